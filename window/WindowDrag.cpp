#include "window/WindowDrag.h"

#include <QWidget>
#include <QWindow>

namespace stellmark::window {

void WindowDrag::Pressed(const QPoint& globalPos)
{
    pressGlobal_ = globalPos;
    pressWindowPos_ = window_->pos();
}

void WindowDrag::Start()
{
    if (QWindow* w = window_->windowHandle(); w && window_->isVisible() && w->startSystemMove())
        return;
    following_ = true;
}

void WindowDrag::Moved(const QPoint& globalPos)
{
    if (following_)
        window_->move(pressWindowPos_ + (globalPos - pressGlobal_));
}

}  // namespace stellmark::window
