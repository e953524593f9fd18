#pragma once
// Screen metrics in the window's stored unit, the twip (1/1440 inch).

namespace stellmark::platform {

inline constexpr double kTwipsPerInch = 1440.0;

// Twips per pixel at a logical resolution; 15 at 96 dpi.
double TwipsPerPixel(double logicalDpi);

struct ScreenMetrics {
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
    double widthTwips = 0;
    double heightTwips = 0;
};

// The primary screen as Qt reports it; 96 dpi and 800 by 600 pixels where there is none.
ScreenMetrics PrimaryScreen();

}  // namespace stellmark::platform
