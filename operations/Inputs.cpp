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
// overflow failure when it does not fit 32 bits.
std::optional<int32_t> ParseDecimal(const std::string& text)
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

    constexpr int64_t kLimit = int64_t{1} << 32;  // anything beyond is an overflow anyway
    int64_t value = 0;
    bool overflow = false;
    for (char c : whole) {
        value = value * 10 + (c - '0');
        if (value > kLimit) {
            overflow = true;
            break;
        }
    }
    if (!overflow && !frac.empty()) {
        bool restNonZero = frac.substr(1).find_first_not_of('0') != std::string_view::npos;
        if (frac[0] > '5' || (frac[0] == '5' && (restNonZero || value % 2 == 1)))
            ++value;
    }
    if (negative)
        value = -value;
    if (overflow || value > INT32_MAX || value < INT32_MIN)
        throw Failure(err::Overflow);
    return static_cast<int32_t>(value);
}
}  // namespace

int32_t GetInputValue(const std::string& Value)
{
    Proc p("[frmMain] Function GetInputValue(Value As String) As Long", {{"Value", Value}});
    // Held as invalid, so that leaving after a failed conversion never passes as offset 0.
    int32_t result = -1;
    return p.Run(result, [&] {
        std::string lower = Value;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.find("&h") != std::string::npos)
            return;
        if (Value.rfind("0x", 0) == 0) {
            std::string_view hex(Value);
            hex.remove_prefix(2);
            if (hex.empty() || hex.size() > 8 || !std::all_of(hex.begin(), hex.end(), IsHexDigit))
                return;
            result = static_cast<int32_t>(std::stoul(std::string(hex), nullptr, 16));
            return;
        }
        p.Step([&] {
            if (auto v = ParseDecimal(Value))
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
