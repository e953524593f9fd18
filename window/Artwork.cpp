#include "window/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace stellmark::window {

QPixmap Background()
{
    QPixmap pm(400, 320);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 320);
    sky.setColorAt(0.0, QColor(20, 40, 150));
    sky.setColorAt(0.3, QColor(0, 0, 110));
    sky.setColorAt(1.0, QColor(0, 0, 48));
    p.fillRect(pm.rect(), sky);

    // A pale band at the top carries the dark subtitle.
    QLinearGradient band(0, 0, 0, 30);
    band.setColorAt(0.0, QColor(200, 212, 255));
    band.setColorAt(0.6, QColor(150, 170, 245));
    band.setColorAt(1.0, QColor(150, 170, 245, 0));
    p.fillRect(QRect(0, 0, 400, 30), band);

    // A soft glow behind the title.
    QRadialGradient glow(190, 34, 190);
    glow.setColorAt(0.0, QColor(90, 130, 255, 150));
    glow.setColorAt(1.0, QColor(90, 130, 255, 0));
    p.fillRect(QRect(0, 0, 400, 80), glow);

    // Faint traces of a circuit board: the flash memory the images are written to.
    QPen trace(QColor(120, 150, 255, 45), 1.2);
    p.setPen(trace);
    for (int i = 0; i < 9; ++i) {
        const int y = 150 + i * 17;
        QPainterPath path;
        path.moveTo(0, y);
        path.lineTo(40 + i * 9, y);
        path.lineTo(60 + i * 9, y - 14);
        path.lineTo(400, y - 14);
        p.drawPath(path);
        p.setBrush(QColor(120, 150, 255, 60));
        p.drawEllipse(QPointF(60 + i * 9, y - 14), 2.2, 2.2);
        p.setBrush(Qt::NoBrush);
    }

    // A flash chip in the lower right, its pins along both sides.
    const QRectF chip(340, 228, 44, 30);
    p.setPen(QPen(QColor(160, 180, 255, 90), 1));
    p.setBrush(QColor(10, 10, 60, 160));
    p.drawRoundedRect(chip, 3, 3);
    for (int i = 0; i < 5; ++i) {
        const qreal x = chip.left() + 5 + i * 8;
        p.drawLine(QPointF(x, chip.top() - 5), QPointF(x, chip.top()));
        p.drawLine(QPointF(x, chip.bottom()), QPointF(x, chip.bottom() + 5));
    }

    // A thin rule above the footer and a frame around the whole picture.
    p.setPen(QPen(QColor(255, 255, 128, 110), 1));
    p.drawLine(QPointF(8, 284.5), QPointF(390, 284.5));
    p.setPen(QPen(QColor(160, 170, 255), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, 396, 316));
    return pm;
}

QPixmap FolderPicture()
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 60, 0), 1));
    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(1.5, 3.5);
    back.lineTo(6.5, 3.5);
    back.lineTo(7.5, 5.0);
    back.lineTo(13.5, 5.0);
    back.lineTo(13.5, 13.5);
    back.lineTo(1.5, 13.5);
    back.closeSubpath();
    p.setBrush(QColor(225, 180, 40));
    p.drawPath(back);
    // The open front, tilted towards the viewer.
    QPainterPath front;
    front.moveTo(3.5, 7.5);
    front.lineTo(15.0, 7.5);
    front.lineTo(13.5, 13.5);
    front.lineTo(1.5, 13.5);
    front.closeSubpath();
    p.setBrush(QColor(255, 220, 90));
    p.drawPath(front);
    return pm;
}

namespace {
QPixmap Glyph(bool close)
{
    QPixmap pm(11, 11);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    if (close) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(2, 2), QPointF(9, 9));
        p.drawLine(QPointF(9, 2), QPointF(2, 9));
    } else {
        p.fillRect(QRect(2, 7, 7, 2), Qt::black);
    }
    return pm;
}
}  // namespace

QIcon MinimiseGlyph() { return QIcon(Glyph(false)); }
QIcon CloseGlyph() { return QIcon(Glyph(true)); }

}  // namespace stellmark::window
