#pragma once
// Looks at the bytes of a CramFS file system: its superblock in either byte order, the size it
// states against the root file system area, its signature text, its feature flags and, for file
// systems that carry one, the CRC32 over the stated size. The quick check stops there; the full
// check (CramfsReader.h) also walks the tree and inflates every block. No window, no failure
// handler: unreadable input is a finding like any other.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stellmark::ops {

// Feature flags of the superblock. The box's kernel knows the low byte (the CRC-carrying format
// and sorted directories among them) and the next three bits; any other bit asks for a feature
// it cannot read.
inline constexpr uint32_t kCramfsFlagCrc = 0x1;
inline constexpr uint32_t kCramfsFlagHoles = 0x100;
inline constexpr uint32_t kCramfsFlagWrongSignature = 0x200;
inline constexpr uint32_t kCramfsFlagShiftedRoot = 0x400;
inline constexpr uint32_t kCramfsKnownFlags =
    0xFF | kCramfsFlagHoles | kCramfsFlagWrongSignature | kCramfsFlagShiftedRoot;

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
    uint32_t flags = 0;
    bool deep = false;        // the tree was walked and every block inflated (the full check)
    int64_t entries = 0;      // entries below the root, counted by the full check
    bool holeBlocks = false;  // the full check met blocks stored as holes
    std::string fault;        // the first fault of superblock, tree or blocks; empty: none found
    std::string readError;    // not empty when the bytes could not be read

    uint32_t UnknownFlags() const { return flags & ~kCramfsKnownFlags; }
    // Readable by the box as far as was checked: found, complete, CRC right where there is one,
    // no unknown flag and no fault.
    bool Intact() const;
    // A file system the box can be given: intact and fitting the root file system area.
    bool Sound() const;
    // The findings as lines for a person, without line ends.
    std::vector<std::string> Lines() const;
};

// The full check of `length` bytes of `path` from `offset` on (a whole file: offset 0, its
// length): superblock, CRC, tree and every block (ReadCramfs in CramfsReader.h).
CramfsFindings CheckCramfs(const std::string& path, int64_t offset, int64_t length);
// The quick check of the same: the superblock, then, only where a magic was found, the CRC over
// the stated size, streamed through a small buffer; memory stays the same for any size.
CramfsFindings QuickCheckCramfs(const std::string& path, int64_t offset, int64_t length);
// The same on bytes in memory, for the fuzzer and the tests.
CramfsFindings CheckCramfsBytes(const unsigned char* data, std::size_t size);

// The first reason the findings are no file system the box can be given, in a few words.
std::string CramfsProblem(const CramfsFindings& f);

// Reads the superblock standing at the start of `head` (or behind the padding) into `f`; the
// CRC is left to the caller. False when there is no CramFS magic.
bool ReadCramfsSuperblock(const unsigned char* head, std::size_t size, CramfsFindings& f);
// How far the superblock reader looks: the padding and the superblock behind it.
inline constexpr std::size_t kCramfsHeadSize = 512 + 76;

}  // namespace stellmark::ops
