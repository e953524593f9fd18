#pragma once
// Puts a CramFS file system into the root file system area of an image: the area's 0x600000
// bytes at the class's root offset become the file system followed by 0xFF (erased flash);
// every other byte is the source's. Refused, with nothing written, for a source that is no valid
// image and for a file system the box could not read from there.
#include <cstdint>
#include <optional>
#include <string>

#include "files/BinaryFile.h"
#include "operations/Actions.h"
#include "operations/CramfsCheck.h"

namespace stellmark::ops {

struct RootInsertCheck {
    std::optional<std::string> refusal;  // why not, in one line
    int64_t rootAt = 0;                  // 0-based offset of the root area in the source
    int64_t cramfsLength = 0;            // bytes of the file system file, all of them inserted
    CramfsFindings findings;             // the full check of the file system
};

// Checks the source's class and the CramFS file (fully: tree and blocks).
RootInsertCheck CheckRootInsert(const std::string& source, int32_t sourceClass, const std::string& cramfs);

// Writes the image to `output` through a temporary file that takes the name only when complete
// and read back from the medium.
// Refuses an output that is the source, the file system, a data file or no regular file, like
// every action.
Outcome InsertRoot(const RootInsertCheck& check, const std::string& source, const std::string& cramfs,
                   const std::string& output, const DataFiles& dataFiles,
                   Overwrite overwrite = Overwrite::Replace);

}  // namespace stellmark::ops
