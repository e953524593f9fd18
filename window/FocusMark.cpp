#include "window/FocusMark.h"

#include <QApplication>
#include <QPainter>

namespace stellmark::window {

const QColor FocusMark::kOuter(255, 255, 0);
const QColor FocusMark::kInner(0, 0, 0);

FocusMark::FocusMark(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("FocusMark"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
}

void FocusMark::Follow(QWidget* focused)
{
    QWidget* window = parentWidget();
    // As the platform's own styles do: a mouse user sees no mark until the keyboard is used.
    const bool shown = focused && window->isAncestorOf(focused) &&
                       (focused->focusPolicy() & Qt::TabFocus) == Qt::TabFocus &&
                       window->testAttribute(Qt::WA_KeyboardFocusChange);
    if (!shown) {
        hide();
        return;
    }
    const QRect control(focused->mapTo(window, QPoint(0, 0)), focused->size());
    setGeometry(control.adjusted(-kWidth, -kWidth, kWidth, kWidth));
    raise();
    show();
    update();
}

void FocusMark::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect r = rect();
    p.setPen(Qt::NoPen);
    // Two frames of one pixel each, drawn as filled bands so that no pen rounding shifts them.
    auto frame = [&](const QRect& outer, const QColor& colour) {
        const QRect inner = outer.adjusted(1, 1, -1, -1);
        QRegion band = QRegion(outer).subtracted(QRegion(inner));
        for (const QRect& part : band)
            p.fillRect(part, colour);
    };
    frame(r, kOuter);
    frame(r.adjusted(1, 1, -1, -1), kInner);
}

}  // namespace stellmark::window
