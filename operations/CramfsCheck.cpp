#include "operations/CramfsCheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include "operations/Actions.h"
#include "core/Layout.h"

namespace stellmark::ops {

namespace {
constexpr uint32_t kMagic = 0x28CD3D45;
constexpr uint32_t kFlagVersion2 = 0x1;  // the superblock carries a CRC over the stated size
constexpr std::size_t kPadding = 512;    // room some boot loaders keep in front of the superblock
constexpr std::size_t kCrcAt = 32;       // offset of the CRC in the superblock
constexpr char kSignature[] = "Compressed ROMFS";

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

std::string Hex32(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}
}  // namespace

CramfsFindings CheckCramfsBytes(const unsigned char* data, std::size_t size)
{
    CramfsFindings f;
    f.available = static_cast<int64_t>(size);
    for (std::size_t at : {std::size_t{0}, kPadding}) {
        if (size < at + 48)
            break;
        const unsigned char* sb = data + at;
        if (Le32(sb) != kMagic && Be32(sb) != kMagic)
            continue;
        f.found = true;
        f.offset = static_cast<int64_t>(at);
        f.bigEndian = Be32(sb) == kMagic;
        auto u32 = [&](std::size_t off) { return f.bigEndian ? Be32(sb + off) : Le32(sb + off); };
        f.statedSize = u32(4);
        uint32_t flags = u32(8);
        f.signature = std::memcmp(sb + 16, kSignature, 16) == 0;
        f.fits = f.statedSize <= layout::kRootSize;
        f.complete = f.statedSize <= f.available;
        f.crcPresent = (flags & kFlagVersion2) != 0;
        // A stated size that does not even hold the superblock is checked no further.
        f.plausible = f.statedSize >= static_cast<int64_t>(at + 48);
        if (f.crcPresent && f.complete && f.plausible) {
            f.crcChecked = true;
            f.crcStored = u32(kCrcAt);
            // The CRC runs over the stated size from the superblock on, its own field as zeros.
            const unsigned char zeros[4] = {};
            const std::size_t end = static_cast<std::size_t>(f.statedSize);
            uLong crc = crc32(0L, Z_NULL, 0);
            crc = crc32(crc, sb, static_cast<uInt>(kCrcAt));
            crc = crc32(crc, zeros, 4);
            crc = crc32(crc, sb + kCrcAt + 4, static_cast<uInt>(end - at - kCrcAt - 4));
            f.crcComputed = static_cast<uint32_t>(crc);
            f.crcOk = f.crcComputed == f.crcStored;
        }
        break;
    }
    return f;
}

CramfsFindings CheckCramfs(const std::string& path, int64_t offset, int64_t length)
{
    std::vector<unsigned char> bytes(static_cast<std::size_t>(length > 0 ? length : 0));
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    std::size_t got = 0;
    int error = fd < 0 ? errno : 0;
    while (fd >= 0 && got < bytes.size()) {
        ssize_t r = ::pread(fd, bytes.data() + got, bytes.size() - got, offset + static_cast<off_t>(got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            error = r < 0 ? errno : 0;
            break;
        }
        got += static_cast<std::size_t>(r);
    }
    if (fd >= 0)
        ::close(fd);
    CramfsFindings f = CheckCramfsBytes(bytes.data(), got);
    if (error != 0)
        f.readError = std::strerror(error);
    return f;
}

bool CramfsFindings::Sound() const
{
    return found && signature && plausible && fits && complete && (!crcPresent || crcOk) && readError.empty();
}

std::vector<std::string> CramfsFindings::Lines() const
{
    if (!readError.empty())
        return {"CramFS: nicht lesbar (" + readError + ")"};
    if (!found)
        return {"CramFS: nein, keine CramFS-Kennung gefunden"};
    std::vector<std::string> lines;
    lines.push_back(std::string("CramFS: ja, ") + (bigEndian ? "big-endian (wie die Box)" : "little-endian") +
                    (offset ? ", hinter 512 Bytes Vorspann" : ""));
    lines.push_back(signature ? "Signatur: \"Compressed ROMFS\"" : "Signatur: fehlt");
    lines.push_back("Größe laut Superblock: " + SizeText(statedSize) + " " +
                    (!plausible ? "- zu klein für einen Superblock!"
                     : fits     ? "- im Limit!"
                                : "- zu groß!"));
    if (!complete)
        lines.push_back("Vollständig: nein, nur " + SizeText(available) + " vorhanden");
    if (!crcPresent)
        lines.push_back("CRC32: keine (altes Format)");
    else if (!crcChecked)
        lines.push_back("CRC32: nicht prüfbar");
    else if (crcOk)
        lines.push_back("CRC32: in Ordnung (" + Hex32(crcStored) + ")");
    else
        lines.push_back("CRC32: falsch (gespeichert " + Hex32(crcStored) + ", berechnet " +
                        Hex32(crcComputed) + ")");
    return lines;
}

}  // namespace stellmark::ops
