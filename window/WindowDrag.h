#pragma once
// Moving a window without the platform's frame by pressing on its background: the window
// system's own move, as a press on a title bar starts it; where there is none (no window
// manager, offscreen) the window follows the pointer itself from the press to the release.
#include <QPoint>

class QWidget;

namespace stellmark::window {

class WindowDrag {
public:
    explicit WindowDrag(QWidget* window) : window_(window) {}

    // Every press that might start a move: where the pointer and the window were.
    void Pressed(const QPoint& globalPos);
    // Starts the move from the last press.
    void Start();
    void Moved(const QPoint& globalPos);
    void Released() { following_ = false; }
    // True while the window follows the pointer itself.
    bool Following() const { return following_; }

private:
    QWidget* window_;
    bool following_ = false;
    QPoint pressGlobal_;
    QPoint pressWindowPos_;
};

}  // namespace stellmark::window
