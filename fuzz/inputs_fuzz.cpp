// Fuzzes what users type and what file names hold: expert input and output naming.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "operations/Actions.h"
#include "core/modMain.h"

using namespace stellmark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);

    int32_t value = ops::GetInputValue(text);
    // A hex text that was taken must come back as the same number in the window's hex form.
    if (value != -1 && text.rfind("0x", 0) == 0) {
        std::string digits = text.substr(2);
        uint32_t parsed = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
        if (static_cast<uint32_t>(value) != parsed)
            std::abort();
        if (std::stoul(modMain::GetHexValue(value).substr(2), nullptr, 16) != parsed)
            std::abort();
    }

    for (const char* tag : {"1x", "2x", "1X"}) {
        std::string name = ops::CreateFileName(tag, text);
        // The proposal is a bare file name, never longer than the source name plus the tag.
        if (name.find('/') != std::string::npos || name.size() > text.size() + 5)
            std::abort();
    }
    return 0;
}
