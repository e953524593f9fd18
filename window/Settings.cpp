#include "window/Settings.h"

#include <optional>

#include "errors/Failure.h"
#include "files/wsFiles.h"
#include "window/Numeric.h"

namespace stellmark::window::settings {

std::string ReadLastDir()
{
    const std::string dir = wsFiles::GI(kSection, kLastDir);
    return !dir.empty() && wsFiles::DirExist(dir) ? dir : std::string();
}

namespace {
// The stored number, converted; nothing where it is missing, not numeric or out of range.
template <class Convert>
auto Stored(const char* key, Convert convert) -> std::optional<decltype(convert(0.0))>
{
    const std::string text = wsFiles::GI(kSection, key);
    try {
        if (const auto v = NumericValue(text))
            return convert(*v);
    } catch (const Failure& f) {
        if (f.Number() != err::Overflow)
            throw;
    }
    return std::nullopt;
}
}  // namespace

float ReadTwips(const char* key) { return Stored(key, ToSingle).value_or(0); }

int16_t ReadUseOnlyValidImages()
{
    const int16_t v = Stored(kUseOnlyValidImages, ToInteger).value_or(1);
    return v >= 0 && v <= 2 ? v : 1;
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

std::string NotKeptText(const std::string& iniFile)
{
    return "Die Einstellungen (letzter Ordner, Fensterposition, \"nur gültige Images verwenden\") "
           "konnten nicht in die Datei '" +
           iniFile + "' geschrieben werden und gelten beim nächsten Start nicht.";
}

}  // namespace stellmark::window::settings
