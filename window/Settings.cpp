#include "window/Settings.h"

#include "files/wsFiles.h"
#include "window/Numeric.h"

namespace stellmark::window::settings {

std::string ReadLastDir()
{
    const std::string dir = wsFiles::GI(kSection, kLastDir);
    return !dir.empty() && wsFiles::DirExist(dir) ? dir : std::string();
}

float ReadTwips(const char* key)
{
    const auto v = NumericValue(wsFiles::GI(kSection, key));
    return v ? ToSingle(*v) : 0;
}

int16_t ReadUseOnlyValidImages()
{
    const auto v = NumericValue(wsFiles::GI(kSection, kUseOnlyValidImages));
    return v ? ToInteger(*v) : 1;
}

Pixels Place(float top, float left, const ScreenTwips& screen, int widthPx, int heightPx)
{
    double x = left, y = top;
    if (top == 0 || left == 0) {
        x = (screen.width - widthPx * screen.perPixelX) / 2;
        y = (screen.height - heightPx * screen.perPixelY) / 2;
    }
    return {ToPixels(x, screen.perPixelX), ToPixels(y, screen.perPixelY)};
}

int32_t WriteLastDir(const std::string& dir) { return wsFiles::WI(kSection, kLastDir, dir); }

int32_t WriteTwips(const char* key, int pixels, double perPixel)
{
    return wsFiles::WI(kSection, key, SettingText(ToSingle(pixels * perPixel)));
}

int32_t WriteUseOnlyValidImages(int16_t value)
{
    return wsFiles::WI(kSection, kUseOnlyValidImages, std::to_string(value));
}

}  // namespace stellmark::window::settings
