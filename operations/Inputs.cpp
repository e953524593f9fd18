#include "operations/Inputs.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string_view>

#include "errors/Proc.h"
#include "files/wsFiles.h"

namespace stellmark::ops {

namespace {
bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Plain decimal with optional sign, surrounding spaces and a full stop as decimal separator.
// Empty when the text is no such number; otherwise the value rounded half to even, or an
// overflow failure when it lies outside min..max.
std::optional<int64_t> ParseDecimal(const std::string& text, int64_t min, int64_t max)
{
    std::size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos)
        return std::nullopt;
    std::size_t e = text.find_last_not_of(' ');
    std::string_view t(text.data() + b, e - b + 1);
    bool negative = false;
    if (!t.empty() && (t[0] == '+' || t[0] == '-')) {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    auto dot = t.find('.');
    std::string_view whole = t.substr(0, dot);
    std::string_view frac = dot == std::string_view::npos ? std::string_view() : t.substr(dot + 1);
    auto digits = [](std::string_view s) {
        return s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if ((whole.empty() && frac.empty()) || !digits(whole) || !digits(frac))
        return std::nullopt;

    int64_t value = 0;
    bool overflow = false;
    for (char c : whole) {
        if (value > (INT64_MAX - (c - '0')) / 10) {
            overflow = true;  // beyond 63 bits is beyond every limit
            break;
        }
        value = value * 10 + (c - '0');
    }
    if (!overflow && !frac.empty()) {
        bool restNonZero = frac.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (frac[0] > '5' || (frac[0] == '5' && (restNonZero || value % 2 == 1)))
            overflow = value++ == INT64_MAX;
    }
    if (negative)
        value = -value;
    if (overflow || value > max || value < min)
        throw Failure(err::Overflow);
    return value;
}

// "0x" and 1 to `digits` hexadecimal digits, taken as two's complement of that width; empty
// when the text is no such number.
std::optional<uint64_t> ParseHex(const std::string& text, std::size_t digits)
{
    std::string_view hex(text);
    hex.remove_prefix(2);
    if (hex.empty() || hex.size() > digits || !std::all_of(hex.begin(), hex.end(), IsHexDigit))
        return std::nullopt;
    return std::stoull(std::string(hex), nullptr, 16);
}

bool HasVbHexPrefix(const std::string& text)
{
    std::string lower = text;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("&h") != std::string::npos;
}
}  // namespace

int32_t GetInputValue(const std::string& Value)
{
    Proc p("[frmMain] Function GetInputValue(Value As String) As Long", {{"Value", Value}});
    // Held as invalid, so that leaving after a failed conversion never passes as offset 0.
    int32_t result = -1;
    return p.Run(result, [&] {
        if (HasVbHexPrefix(Value))
            return;
        if (Value.rfind("0x", 0) == 0) {
            if (auto v = ParseHex(Value, 8))
                result = static_cast<int32_t>(static_cast<uint32_t>(*v));
            return;
        }
        p.Step([&] {
            if (auto v = ParseDecimal(Value, INT32_MIN, INT32_MAX))
                result = static_cast<int32_t>(*v);
        });
    });
}

int64_t GetPosition(const std::string& Value)
{
    Proc p("[ops] Function GetPosition(Value As String) As LongLong", {{"Value", Value}});
    int64_t result = -1;
    return p.Run(result, [&] {
        if (HasVbHexPrefix(Value))
            return;
        if (Value.rfind("0x", 0) == 0) {
            if (auto v = ParseHex(Value, 16))
                result = static_cast<int64_t>(*v);
            return;
        }
        p.Step([&] {
            if (auto v = ParseDecimal(Value, INT64_MIN, INT64_MAX))
                result = *v;
        });
    });
}

std::string CreateFileName(const std::string& SubStr, const std::string& sourcePath)
{
    Proc p("[frmMain] Function CreateFileName(SubStr As String) As String", {{"SubStr", SubStr}});
    std::string result;
    return p.Run(result, [&] {
        std::string name;
        p.Step([&] { name = wsFiles::GetNamePart(sourcePath); });
        if (auto dot = name.rfind('.'); dot != std::string::npos)
            name.erase(dot);
        std::string tag = SubStr;
        for (char& c : tag)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        std::string other = tag == "1x" ? "2x" : tag == "2x" ? "1x" : "";
        auto at = other.empty() ? std::string::npos : name.find(other);
        if (at == std::string::npos)
            result = name + "_[" + SubStr + "]";
        else
            result = name.replace(at, 2, SubStr);
    });
}

}  // namespace stellmark::ops
