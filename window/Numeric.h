#pragma once
// Reading the stored settings: which texts count as numbers, and their conversions.
#include <cstdint>
#include <optional>
#include <string>

namespace stellmark::window {

// The value of a numeric text: optional blanks, an optional sign, digits with an optional
// fraction (a full stop, under every locale) and an optional exponent; nothing else. Empty when
// not numeric; a number beyond any floating-point value is an overflow failure.
std::optional<double> NumericValue(const std::string& text);

// The stored text of a single-precision number: up to 7 significant digits, "." before the
// fraction, no grouping, whatever the user's locale.
std::string SettingText(float value);

// Conversions as the stored values need them; a value out of range is an overflow failure.
float ToSingle(double value);
// Halves go to the even neighbour.
int16_t ToInteger(double value);
int ToPixels(double twips, double twipsPerPixel);

}  // namespace stellmark::window
