#pragma once
// While the window copies: a busy cursor, the window painted once the save dialog has gone and
// again as the copy goes on, and no input for it taken, neither during the copy nor afterwards
// from what was buffered.
#include <QElapsedTimer>
#include <QObject>

#include "files/Progress.h"

class QWidget;

namespace stellmark::window {

class Busy : public QObject, public ProgressObserver {
public:
    explicit Busy(QWidget* window);
    ~Busy() override;

    // From the copy: paints the window again, at most ten times a second. Only painting, no
    // event loop: nothing else of the program runs in the middle of a copy.
    void Progress(Phase phase, int64_t done, int64_t total) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QElapsedTimer sincePaint_;
    ScopedProgress reports_{*this};
};

}  // namespace stellmark::window
