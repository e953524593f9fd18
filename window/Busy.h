#pragma once
// While the window copies: a busy cursor, the window painted once the save dialog has gone,
// and no input for it taken, neither during the copy nor afterwards from what was buffered.
#include <QObject>

class QWidget;

namespace stellmark::window {

class Busy : public QObject {
public:
    explicit Busy(QWidget* window);
    ~Busy() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

}  // namespace stellmark::window
