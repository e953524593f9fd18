// Fuzzes the CramFS check with any bytes as a file system: no crash, no read outside the bytes,
// and findings that agree with each other.
#include <cstdint>
#include <cstdlib>

#include "operations/CramfsCheck.h"

using namespace stellmark;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ops::CramfsFindings f = ops::CheckCramfsBytes(data, size);
    if (f.Lines().empty())
        std::abort();
    // A CRC is only ever computed over bytes that are there, and only for a found superblock.
    if (f.crcChecked && (!f.found || !f.complete || f.statedSize > static_cast<int64_t>(size)))
        std::abort();
    if (f.Sound() && !(f.found && f.signature && f.fits && f.complete))
        std::abort();
    // One flipped bit inside a file system whose CRC held must break the CRC.
    if (f.crcChecked && f.crcOk && f.statedSize > f.offset + 64) {
        std::basic_string<unsigned char> copy(data, size);
        copy[static_cast<std::size_t>(f.statedSize) - 1] ^= 0x01;
        ops::CramfsFindings g = ops::CheckCramfsBytes(copy.data(), copy.size());
        if (!g.crcChecked || g.crcOk)
            std::abort();
    }
    return 0;
}
