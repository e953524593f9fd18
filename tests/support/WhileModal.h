#pragma once
// Answers a modal dialog of type T: runs `answer` on it every 10 ms, once it is the modal window
// on screen, until `answer` returns true. A dialog nobody answers is hidden by the watchdog of
// QtTestMain.cpp, which fails the test, so a forgotten modal cannot hang the run.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace stellmark::test {

template <class T>
struct WhileModal {
    explicit WhileModal(std::function<bool(T&)> answer)
    {
        timer.callOnTimeout([this, answer] {
            if (auto* d = dynamic_cast<T*>(QApplication::activeModalWidget());
                d && d->isVisible() && answer(*d))
                timer.stop(), answered = true;
        });
        timer.start(10);
    }
    QTimer timer;
    bool answered = false;
};

}  // namespace stellmark::test
