#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace stellmark::platform {

double TwipsPerPixel(double logicalDpi)
{
    return logicalDpi > 0 ? kTwipsPerInch / logicalDpi : kTwipsPerInch / 96.0;
}

ScreenMetrics PrimaryScreen()
{
    ScreenMetrics m;
    double dpiX = 96, dpiY = 96, w = 800, h = 600;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        dpiX = screen->logicalDotsPerInchX();
        dpiY = screen->logicalDotsPerInchY();
        w = screen->geometry().width();
        h = screen->geometry().height();
    }
    m.twipsPerPixelX = TwipsPerPixel(dpiX);
    m.twipsPerPixelY = TwipsPerPixel(dpiY);
    m.widthTwips = w * m.twipsPerPixelX;
    m.heightTwips = h * m.twipsPerPixelY;
    return m;
}

}  // namespace stellmark::platform
