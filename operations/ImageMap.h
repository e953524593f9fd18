#pragma once
// The map of a valid image: its regions in order with what each holds. The boot loader block
// and the flash-kind block are compared with the data files, the root area is checked in full
// as a CramFS, and the rest of the body is looked at for erased flash and a file system's magic.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Layout.h"
#include "operations/CramfsCheck.h"
#include "operations/CramfsReader.h"
#include "operations/DataFileLookup.h"

namespace stellmark::ops {

struct MapRegion {
    layout::Region region = layout::Region::BootLoader;  // BodyTail for the rest behind the root area
    std::string name;
    int64_t start = 0, end = 0;  // 0-based offsets in the image, both included
    std::string equalTo;         // boot loader, flash-kind block: the data file it equals, or empty
    bool erased = false;         // root area: its bytes behind the file system; rest: all its bytes are 0xFF
    std::string magic;           // rest: "CramFS" or "JFFS2" where its first bytes are one's magic
    std::optional<CramfsFindings> cramfs;  // root area: the full check

    int64_t Size() const { return end - start + 1; }
    // What it holds, in a few words.
    std::string Holds() const;
};

// A CramFS to list: the file itself, or the root area of the valid image it is.
struct Contents {
    int32_t imageClass = 0;  // 0: read as a CramFS file from its first byte
    int64_t start = 0;       // where the file system's bytes begin
    CramfsTree tree;         // the full check and the entries
};
Contents ReadContents(const std::string& file, const DataFiles& data);

// The regions of an image of class `imageClass` (11, 12, 21 or 22) in order. An image that
// cannot be read is a Failure about it.
std::vector<MapRegion> MapImage(const std::string& path, int32_t imageClass, const DataFiles& data);

}  // namespace stellmark::ops
