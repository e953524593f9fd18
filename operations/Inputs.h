#pragma once
// What the user types and what names are made of: expert input and output naming.
#include <cstdint>
#include <string>

namespace stellmark::ops {

// Expert input: "0x" hexadecimal (two's complement, at most 8 digits) or decimal; -1 invalid.
// A decimal outside the signed 32-bit range is an overflow failure through the handler.
int32_t GetInputValue(const std::string& Value);
// The same with 64 bits, for the command line: "0x" with up to 16 digits, or decimal.
int64_t GetPosition(const std::string& Value);

// The name proposed for an image built with the flash-kind tag SubStr from `sourcePath`.
std::string CreateFileName(const std::string& SubStr, const std::string& sourcePath);

}  // namespace stellmark::ops
