#pragma once
// Reads a whole CramFS file system: the superblock (CramfsCheck.h), the tree of entries with
// their kinds, modes, owners and sizes, and every data block, inflated and measured against the
// length it must have. Bytes from a user's file are hostile: every walk is bounded by the bytes
// there are (each entry and each block pointer is read once, the path is at most 4096 bytes
// deep, the inflated input at most twice the file system), so any input ends with a verdict.
#include <cstdint>
#include <string>
#include <vector>

#include "operations/CramfsCheck.h"

namespace stellmark::ops {

struct CramfsEntry {
    std::string name;     // empty for the root
    int64_t parent = -1;  // index of the directory holding it; -1 for the root
    uint16_t mode = 0;    // kind and permission bits, as stat gives them
    uint16_t uid = 0;
    uint8_t gid = 0;
    uint32_t size = 0;   // length of a file or link target, entry bytes of a directory, number of a device
    std::string target;  // a symbolic link's target

    // 'd', '-', 'l', 'c', 'b', 'p', 's', or '?' for a kind the format does not know.
    char Kind() const;
};

struct CramfsTree {
    CramfsFindings findings;           // deep is set: the full check
    std::vector<CramfsEntry> entries;  // the root first, then depth first in stored order
    // The full path from "/" of entries[i].
    std::string PathOf(std::size_t i) const;
    // entries[i] as ls -l shows an entry: kind and permissions, owner/group, size (or the
    // device's major, minor), the full path last, a link's target behind " -> ".
    std::string Line(std::size_t i) const;
};

// The full check of bytes in memory (a file system, or a root area with one at its start).
CramfsTree ReadCramfsBytes(const unsigned char* data, std::size_t size);
// The full check of `length` bytes of `path` from `offset` on. Only the superblock is read
// where there is no magic; otherwise the stated size, if it is within `length`, else `length`.
CramfsTree ReadCramfs(const std::string& path, int64_t offset, int64_t length);

}  // namespace stellmark::ops
