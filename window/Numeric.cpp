#include "window/Numeric.h"

#include <locale.h>
#include <stdlib.h>

#include <cctype>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <limits>

#include "errors/Failure.h"

namespace stellmark::window {

namespace {
// Stored numbers have the same form under every user's locale: the C locale's, read here
// without changing the process's own.
locale_t NumbersLocale()
{
    static const locale_t c = ::newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    return c;
}
}  // namespace

std::optional<double> NumericValue(const std::string& text)
{
    std::size_t i = 0, n = text.size();
    auto blank = [&](std::size_t k) { return k < n && (text[k] == ' ' || text[k] == '\t'); };
    auto digit = [&](std::size_t k) { return k < n && std::isdigit(static_cast<unsigned char>(text[k])); };
    while (blank(i))
        ++i;
    const std::size_t begin = i;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (digit(i))
        ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (digit(i))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t k = i + 1;
        if (k < n && (text[k] == '+' || text[k] == '-'))
            ++k;
        if (!digit(k))
            return std::nullopt;
        while (digit(k))
            ++k;
        i = k;
    }
    const std::size_t end = i;
    while (blank(i))
        ++i;
    if (i != n)
        return std::nullopt;
    double v = ::strtod_l(text.substr(begin, end - begin).c_str(), nullptr, NumbersLocale());
    if (!std::isfinite(v))
        throw Failure(err::Overflow);
    return v;
}

std::string SettingText(float value)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 7);
    return std::string(buf, r.ptr);
}

float ToSingle(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max())
        throw Failure(err::Overflow);
    return static_cast<float>(value);
}

int16_t ToInteger(double value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(previous);
    if (!(r >= std::numeric_limits<int16_t>::min() && r <= std::numeric_limits<int16_t>::max()))
        throw Failure(err::Overflow);
    return static_cast<int16_t>(r);
}

int ToPixels(double twips, double twipsPerPixel)
{
    const double px = std::round(twips / twipsPerPixel);
    if (!(px >= std::numeric_limits<int>::min() / 2 && px <= std::numeric_limits<int>::max() / 2))
        throw Failure(err::Overflow);
    return static_cast<int>(px);
}

}  // namespace stellmark::window
