#include "errors/TraceValue.h"

#include <cxxabi.h>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace stellmark {

std::string DemangledTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(type.name());
}

static std::string Shortest(double v, int digits)
{
    if (std::isnan(v))
        return "NaN";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return buf;
}

std::string ValueText(float v) { return Shortest(v, 7); }
std::string ValueText(double v) { return Shortest(v, 15); }

}  // namespace stellmark
