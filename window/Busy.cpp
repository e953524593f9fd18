#include "window/Busy.h"

#include <QApplication>
#include <QWidget>

namespace stellmark::window {

Busy::Busy(QWidget* window) : window_(window)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    qApp->installEventFilter(this);
    window_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

Busy::~Busy()
{
    QCoreApplication::processEvents();  // what came in meanwhile, through the filter
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool Busy::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut: {
        auto* w = qobject_cast<QWidget*>(watched);
        return w && w->window() == window_;
    }
    default: return false;
    }
}

}  // namespace stellmark::window
