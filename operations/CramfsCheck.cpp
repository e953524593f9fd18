#include "operations/CramfsCheck.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "operations/Actions.h"
#include "operations/CramfsReader.h"
#include "core/Layout.h"

namespace stellmark::ops {

namespace {
constexpr uint32_t kMagic = 0x28CD3D45;
constexpr std::size_t kPadding = 512;   // room some boot loaders keep in front of the superblock
constexpr std::size_t kSuperSize = 76;  // the superblock with the root directory's entry
constexpr std::size_t kCrcAt = 32;      // offset of the CRC in the superblock
constexpr std::size_t kFilesAt = 44;    // offset of the file count in the superblock
constexpr std::size_t kStreamBuffer = 64 * 1024;
constexpr char kSignature[] = "Compressed ROMFS";

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint32_t Be32(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

std::string Hex32(uint32_t v)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

// The CRC runs over the stated size from the superblock on, its own field counted as zeros:
// adds `n` bytes that stand at `at` bytes behind the superblock.
uLong CrcPart(uLong crc, const unsigned char* p, std::size_t n, std::size_t at)
{
    static const unsigned char zeros[4] = {};
    while (n > 0) {
        std::size_t take = n;
        if (at < kCrcAt)
            take = std::min(n, kCrcAt - at);
        else if (at < kCrcAt + 4)
            take = std::min(n, kCrcAt + 4 - at);
        crc = crc32(crc, at >= kCrcAt && at < kCrcAt + 4 ? zeros : p, static_cast<uInt>(take));
        p += take, at += take, n -= take;
    }
    return crc;
}

bool CrcCheckable(const CramfsFindings& f) { return f.found && f.crcPresent && f.complete && f.plausible; }

std::string NamedFlag(uint32_t bit)
{
    switch (bit) {
    case kCramfsFlagHoles: return "Löcher (Blöcke aus Nullen)";
    case kCramfsFlagWrongSignature: return "abweichende Signatur erlaubt";
    case kCramfsFlagShiftedRoot: return "verschobener Wurzel-Versatz";
    }
    return "dem Kernel der Box unbekannt!";
}
}  // namespace

bool ReadCramfsSuperblock(const unsigned char* head, std::size_t size, CramfsFindings& f)
{
    for (std::size_t at : {std::size_t{0}, kPadding}) {
        if (size < at + kSuperSize)
            break;
        const unsigned char* sb = head + at;
        if (Le32(sb) != kMagic && Be32(sb) != kMagic)
            continue;
        f.found = true;
        f.offset = static_cast<int64_t>(at);
        f.bigEndian = Be32(sb) == kMagic;
        auto u32 = [&](std::size_t off) { return f.bigEndian ? Be32(sb + off) : Le32(sb + off); };
        f.statedSize = u32(4);
        f.flags = u32(8);
        f.signature = std::memcmp(sb + 16, kSignature, 16) == 0;
        f.fits = f.statedSize <= layout::kRootSize;
        f.complete = f.statedSize <= f.available;
        f.crcPresent = (f.flags & kCramfsFlagCrc) != 0;
        f.crcStored = u32(kCrcAt);
        // A stated size that does not even hold the superblock is checked no further.
        f.plausible = f.statedSize >= static_cast<int64_t>(at + kSuperSize);
        if (f.crcPresent && u32(kFilesAt) == 0)
            f.fault = "Dateianzahl im Superblock ist 0";
        return true;
    }
    return false;
}

CramfsFindings CheckCramfsBytes(const unsigned char* data, std::size_t size)
{
    CramfsFindings f;
    f.available = static_cast<int64_t>(size);
    if (ReadCramfsSuperblock(data, size, f) && CrcCheckable(f)) {
        f.crcChecked = true;
        const std::size_t at = static_cast<std::size_t>(f.offset);
        uLong crc = CrcPart(crc32(0L, Z_NULL, 0), data + at, static_cast<std::size_t>(f.statedSize) - at, 0);
        f.crcComputed = static_cast<uint32_t>(crc);
        f.crcOk = f.crcComputed == f.crcStored;
    }
    return f;
}

CramfsFindings CheckCramfs(const std::string& path, int64_t offset, int64_t length)
{
    return ReadCramfs(path, offset, length).findings;
}

CramfsFindings QuickCheckCramfs(const std::string& path, int64_t offset, int64_t length)
{
    CramfsFindings f;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        f.readError = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return f;
    }
    f.available = std::max<int64_t>(0, std::min<int64_t>(length, st.st_size - offset));
    // Reads n bytes at `at` behind `offset`; false (with the reason kept) when they are not all there.
    auto read = [&](unsigned char* buffer, std::size_t n, int64_t at) {
        for (std::size_t got = 0; got < n;) {
            ssize_t r = ::pread(fd, buffer + got, n - got, offset + at + static_cast<off_t>(got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0) {
                f.readError = std::strerror(r < 0 ? errno : EIO);
                return false;
            }
            got += static_cast<std::size_t>(r);
        }
        return true;
    };
    unsigned char head[kCramfsHeadSize];
    const std::size_t headSize = static_cast<std::size_t>(std::min<int64_t>(f.available, sizeof head));
    if (read(head, headSize, 0) && ReadCramfsSuperblock(head, headSize, f) && CrcCheckable(f)) {
        std::vector<unsigned char> buffer(kStreamBuffer);
        uLong crc = crc32(0L, Z_NULL, 0);
        bool whole = true;
        for (int64_t at = f.offset; whole && at < f.statedSize;) {
            std::size_t n = static_cast<std::size_t>(std::min<int64_t>(kStreamBuffer, f.statedSize - at));
            whole = read(buffer.data(), n, at);
            crc = CrcPart(crc, buffer.data(), n, static_cast<std::size_t>(at - f.offset));
            at += static_cast<int64_t>(n);
        }
        f.crcChecked = whole;
        f.crcComputed = static_cast<uint32_t>(crc);
        f.crcOk = whole && f.crcComputed == f.crcStored;
    }
    ::close(fd);
    return f;
}

std::string CramfsProblem(const CramfsFindings& f)
{
    if (!f.readError.empty())
        return "nicht lesbar (" + f.readError + ")";
    if (!f.found)
        return "keine CramFS-Kennung gefunden";
    if (!f.plausible)
        return "Größe laut Superblock zu klein für einen Superblock";
    if (!f.complete)
        return "unvollständig";
    if (f.crcPresent && !f.crcOk)
        return "CRC32 falsch";
    if (f.UnknownFlags() != 0) {
        char text[64];
        std::snprintf(text, sizeof text, "Merkmal 0x%08X dem Kernel der Box unbekannt", f.UnknownFlags());
        return text;
    }
    if (!f.fault.empty())
        return f.fault;
    if (!f.fits)
        return "Größe laut Superblock - zu groß!";
    return "";
}

bool CramfsFindings::Intact() const
{
    return found && plausible && complete && (!crcPresent || crcOk) && UnknownFlags() == 0 && fault.empty() &&
           readError.empty();
}

bool CramfsFindings::Sound() const { return Intact() && fits; }

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
    for (uint32_t bit = 0x100; bit != 0; bit <<= 1)
        if (flags & bit)
            lines.push_back("Merkmal " + Hex32(bit) + ": " + NamedFlag(bit));
    if (!fault.empty())
        lines.push_back("Fehler: " + fault);
    else if (deep)
        lines.push_back("Inhalt: " + std::to_string(entries) + (entries == 1 ? " Eintrag" : " Einträge") +
                        ", alle Blöcke entpackt" + (holeBlocks ? ", mit Löchern" : "") +
                        (crcPresent ? "" : "; ohne CRC nur am Aufbau geprüft"));
    else if (plausible)
        lines.push_back("Inhalt: nicht geprüft (Schnellprüfung; vollständig: stellmark-cli karte)");
    return lines;
}

}  // namespace stellmark::ops
