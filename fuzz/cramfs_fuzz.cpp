// Fuzzes the CramFS check and the full reader with any bytes as a file system: no crash, no read
// outside the bytes, no hang, and findings that agree with each other.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "operations/CramfsCheck.h"
#include "operations/CramfsReader.h"

using namespace stellmark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ops::CramfsFindings f = ops::CheckCramfsBytes(data, size);
    if (f.Lines().empty())
        std::abort();
    // A CRC is only ever computed over bytes that are there, and only for a found superblock.
    if (f.crcChecked && (!f.found || !f.complete || f.statedSize > static_cast<int64_t>(size)))
        std::abort();
    if (f.Sound() && !(f.found && f.fits && f.complete && f.UnknownFlags() == 0))
        std::abort();
    // One flipped bit inside a file system whose CRC held must break the CRC.
    if (f.crcChecked && f.crcOk && f.statedSize > f.offset + 64) {
        std::basic_string<unsigned char> copy(data, size);
        copy[static_cast<std::size_t>(f.statedSize) - 1] ^= 0x01;
        ops::CramfsFindings g = ops::CheckCramfsBytes(copy.data(), copy.size());
        if (!g.crcChecked || g.crcOk)
            std::abort();
    }
    // The full reader sees the same superblock, and walks only what it can bound: every entry
    // stands on bytes of its own, every path leads back to the root.
    ops::CramfsTree tree = ops::ReadCramfsBytes(data, size);
    const ops::CramfsFindings& full = tree.findings;
    if (full.found != f.found || full.crcOk != f.crcOk || full.statedSize != f.statedSize)
        std::abort();
    if (full.Intact() && !f.Intact())
        std::abort();
    if (tree.entries.size() > size / 12 + 1 || full.deep != (f.found && f.plausible))
        std::abort();
    for (std::size_t i = 0; i < tree.entries.size(); ++i)
        if (tree.PathOf(i).size() > 4096 + 256)
            std::abort();
    return 0;
}
