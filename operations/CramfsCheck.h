#pragma once
// Looks at the bytes of a CramFS file system: its superblock in either byte order, the size it
// states against the root file system area, its signature text and, for file systems that carry
// one, the CRC32 over the stated size. No window, no failure handler: unreadable input is a
// finding like any other.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stellmark::ops {

struct CramfsFindings {
    bool found = false;       // the magic stands at the start (or behind 512 bytes of padding)
    bool bigEndian = false;   // the box's own order; a PC makes little-endian ones by default
    int64_t offset = 0;       // where the superblock stands: 0 or 512
    bool signature = false;   // "Compressed ROMFS"
    int64_t statedSize = 0;   // the size the superblock states, padding included
    int64_t available = 0;    // the bytes there are to look at
    bool fits = false;        // stated size within the root file system area
    bool complete = false;    // all stated bytes are there
    bool plausible = false;   // the stated size holds at least the superblock
    bool crcPresent = false;  // the version-2 flag: the superblock carries a CRC
    bool crcChecked = false;  // present and all bytes there
    bool crcOk = false;
    uint32_t crcStored = 0, crcComputed = 0;
    std::string readError;  // not empty when the bytes could not be read

    // A file system the box can be given: found, signed, fitting, complete and, where it carries
    // a CRC, intact.
    bool Sound() const;
    // The findings as lines for a person, without line ends.
    std::vector<std::string> Lines() const;
};

// Checks `length` bytes of `path` from `offset` on (a whole file: offset 0, its length).
CramfsFindings CheckCramfs(const std::string& path, int64_t offset, int64_t length);
// The same on bytes in memory, for the fuzzer and the tests.
CramfsFindings CheckCramfsBytes(const unsigned char* data, std::size_t size);

}  // namespace stellmark::ops
