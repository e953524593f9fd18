#pragma once
// Value texts of the trace list's parameter lines, chosen by the kind of the value.
#include <concepts>
#include <cstdio>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <variant>
#include <vector>

namespace stellmark {

std::string DemangledTypeName(const std::type_info& type);

inline std::string ValueText(std::string_view s) { return std::string(s); }
inline std::string ValueText(const char* s) { return s ? std::string(s) : "[NOTHING]"; }
inline std::string ValueText(const std::string& s) { return s; }
inline std::string ValueText(bool b) { return b ? "Wahr" : "Falsch"; }
inline std::string ValueText(std::monostate) { return "[EMPTY]"; }
inline std::string ValueText(std::nullptr_t) { return "[NOTHING]"; }
inline std::string ValueText(std::nullopt_t) { return "[NULL]"; }

template <std::integral T>
requires(!std::same_as<T, bool> && !std::same_as<T, char>) std::string ValueText(T v)
{
    return std::to_string(v);
}

// Single-precision values print with up to 7 significant digits and no trailing zeros.
std::string ValueText(float v);
std::string ValueText(double v);

template <class T>
std::string ValueText(const std::vector<T>&)
{
    return "[ARRAY]";
}

template <class T>
std::string ValueText(const std::optional<T>& v)
{
    return v ? ValueText(*v) : "[NULL]";
}

template <class T>
requires std::is_class_v<T> std::string ValueText(const T* object)
{
    return object ? "[OBJECT:" + DemangledTypeName(typeid(*object)) + "]" : "[NOTHING]";
}

}  // namespace stellmark
