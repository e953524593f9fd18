#pragma once
// Answers the modal dialogs a test expects, from a timer, and fails fast on one it forgot.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

namespace stellmark::test {

// Runs `answer` on the next modal widget that shows (within `withinMs`).
inline void WhenModal(std::function<void(QWidget*)> answer, int withinMs = 5000)
{
    auto* timer = new QTimer;
    auto waited = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, answer, withinMs] {
        *waited += 20;
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        } else if (*waited > withinMs) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected dialog did not show";
        }
    });
    timer->start(20);
}

// While alive, closes any modal widget that stays open longer than `limitMs` and fails.
class ModalGuard {
public:
    explicit ModalGuard(int limitMs = 8000)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, limitMs] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) {
                open_ = 0;
                return;
            }
            open_ += 100;
            if (open_ > limitMs) {
                ADD_FAILURE() << "a dialog was left open: " << modal->windowTitle().toStdString();
                modal->close();
                open_ = 0;
            }
        });
        timer_.start(100);
    }

private:
    QTimer timer_;
    int open_ = 0;
};

}  // namespace stellmark::test
