#pragma once
// What a file is, for both front ends: its class and the class's text, its size as the window
// measures it, and the CramFS in the root area of a valid image.
#include <cstdint>
#include <optional>
#include <string>

#include "operations/CramfsCheck.h"
#include "operations/DataFileLookup.h"

namespace stellmark::ops {

// The class of `source` (0 for no valid image), through the failure handler like the window's
// classification.
int32_t Classify(const std::string& source, const DataFiles& dataFiles);
// "1x mit Bootloader", "kein gültiges Image", ...; empty for a number that is no class.
std::string ClassText(int32_t imageClass);
bool IsValidClass(int32_t imageClass);

// The size as the window measures it for the expert range (signed 32 bits; beyond, an overflow
// through the failure handler, and 0).
int32_t ImageSize(const std::string& path);
// "0x" and eight upper-case hexadecimal digits.
std::string HexText(int32_t value);

// The root area of an image of a valid class and what stands in it, by the quick check.
struct RootArea {
    int64_t start = 0;  // 0-based offset of its first byte
    int64_t size = 0;
    CramfsFindings findings;
};
std::optional<RootArea> CheckRootArea(const std::string& image, int32_t imageClass);

// A CramFS file meant for the root area: its size (in 64 bits: 2 GiB or more is simply too
// large, no failure), whether it fits, and what its bytes hold, as far as the area reaches.
struct CramfsFile {
    int64_t size = -1;
    bool fits = false;
    CramfsFindings findings;
    bool Sound() const { return fits && findings.Sound(); }
};
CramfsFile CheckCramfsFile(const std::string& path);

// True when `path` names a regular file (links followed).
bool FileExists(const std::string& path);

}  // namespace stellmark::ops
