#pragma once
// The window's stored settings, section "Settings" of the program's INI file, without a widget:
// what each key's text is taken as, the twips of the window's place and the defaults. Each
// function is one step of the window's loading or closing, so the failure handler can repeat
// or skip it alone.
#include <cstdint>
#include <string>

namespace stellmark::window::settings {

inline constexpr const char* kSection = "Settings";
inline constexpr const char* kLastDir = "LastDir";
inline constexpr const char* kTop = "WindowTop";
inline constexpr const char* kLeft = "WindowLeft";
inline constexpr const char* kUseOnlyValidImages = "UseOnlyValidImages";

// The primary screen in twips, and twips per pixel along each axis.
struct ScreenTwips {
    double perPixelX = 15, perPixelY = 15;
    double width = 0, height = 0;
};

struct Pixels {
    int x = 0, y = 0;
};

// "LastDir" where it names an existing folder; empty otherwise.
std::string ReadLastDir();
// "WindowTop" or "WindowLeft" in twips; 0 where missing or not numeric.
float ReadTwips(const char* key);
// "UseOnlyValidImages" converted to 16 bits, halves to the even neighbour; 1 where missing or
// not numeric.
int16_t ReadUseOnlyValidImages();

// Where the window of `widthPx` by `heightPx` goes for a stored top and left: there, or centred
// on the screen where either is 0.
Pixels Place(float top, float left, const ScreenTwips& screen, int widthPx, int heightPx);

// The writers, in the order the keys are written on closing; each gives WI's result.
int32_t WriteLastDir(const std::string& dir);
// `key` is kTop or kLeft, `pixels` the window's coordinate along that axis.
int32_t WriteTwips(const char* key, int pixels, double perPixel);
int32_t WriteUseOnlyValidImages(int16_t value);

}  // namespace stellmark::window::settings
