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
    sincePaint_.start();
}

void Busy::Progress(Phase, int64_t, int64_t)
{
    if (sincePaint_.elapsed() < 100)
        return;
    window_->repaint();
    sincePaint_.restart();
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
