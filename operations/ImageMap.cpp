#include "operations/ImageMap.h"

#include <algorithm>
#include <cstring>

#include "files/BinaryFile.h"
#include "operations/Actions.h"
#include "operations/Examine.h"
#include "operations/RootInsert.h"

namespace stellmark::ops {

namespace {
constexpr std::size_t kChunk = 64 * 1024;

// Streams [offset, offset + n) of an open file in small pieces; false where it is shorter.
template <class Each>
bool Stream(const BinaryFile& file, int64_t offset, int64_t n, Each&& each)
{
    std::vector<unsigned char> buffer(kChunk);
    while (n > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<int64_t>(n, kChunk));
        if (file.ReadAt(offset, buffer.data(), chunk) < chunk)
            return false;
        if (!each(buffer.data(), chunk, offset))
            return false;
        offset += static_cast<int64_t>(chunk), n -= static_cast<int64_t>(chunk);
    }
    return true;
}

bool Erased(const BinaryFile& file, int64_t offset, int64_t n)
{
    return Stream(file, offset, n, [](const unsigned char* p, std::size_t k, int64_t) {
        return std::all_of(p, p + k, [](unsigned char c) { return c == 0xFF; });
    });
}

// True when the region equals the whole of the data file at `path`.
bool Equals(const BinaryFile& image, int64_t offset, int64_t n, const std::string& path)
{
    BinaryFile data;
    try {
        data.OpenRead(path);
        if (data.Length() != n)
            return false;
        std::vector<unsigned char> other(kChunk);
        return Stream(image, offset, n, [&](const unsigned char* p, std::size_t k, int64_t at) {
            return data.ReadAt(at - offset, other.data(), k) == k && std::memcmp(p, other.data(), k) == 0;
        });
    } catch (const Failure&) {
        return false;  // a data file that cannot be read equals nothing
    }
}
}  // namespace

std::string MapRegion::Holds() const
{
    switch (region) {
    case layout::Region::BootLoader: return equalTo.empty() ? "nicht gleich boot.dat" : "gleich " + equalTo;
    case layout::Region::FlashKind:
        return equalTo.empty() ? "weder gleich 1zu2.dat noch gleich 2zu1.dat"
                               : "gleich " + equalTo + (equalTo == "2zu1.dat" ? " (1x)" : " (2x)");
    case layout::Region::Root: {
        if (!cramfs || !cramfs->found)
            return std::string("kein CramFS, ") + (erased ? "leer (0xFF)" : "belegt");
        const CramfsFindings& f = *cramfs;
        std::string text = std::string("CramFS ") + (f.bigEndian ? "big-endian" : "little-endian") + ", " +
                           SizeText(f.statedSize) + ", ";
        text += f.Sound() ? "intakt" : "nicht intakt (" + CramfsProblem(f) + ")";
        if (f.deep)
            text += ", " + std::to_string(f.entries) + (f.entries == 1 ? " Eintrag" : " Einträge");
        if (f.fits && f.plausible)
            text += erased ? ", Rest 0xFF" : ", Rest nicht 0xFF";
        return text;
    }
    default:
        if (erased)
            return "leer (0xFF)";
        return magic.empty() ? "belegt" : "belegt, beginnt mit " + magic + "-Kennung";
    }
}

Contents ReadContents(const std::string& file, const DataFiles& data)
{
    Contents c;
    if (data.Found())
        c.imageClass = Classify(file, data);
    if (IsValidClass(c.imageClass)) {
        c.start = layout::RangeFor(layout::Region::Root, c.imageClass).first - 1;
        c.tree = ReadCramfs(file, c.start, layout::kRootSize);
    } else {
        c.imageClass = 0;
        c.tree = ReadCramfs(file, 0, FileLength(file));
    }
    return c;
}

std::vector<MapRegion> MapImage(const std::string& path, int32_t imageClass, const DataFiles& data)
{
    using layout::Region;
    BinaryFile image;
    image.OpenRead(path);
    const int64_t length = image.Length();
    std::vector<MapRegion> map;
    map.reserve(4);  // the references below stay valid
    auto add = [&](Region region, const char* name) -> MapRegion& {
        const layout::Range r = layout::RangeFor(region, imageClass);
        MapRegion& m = map.emplace_back();
        m.region = region, m.name = name, m.start = r.first - 1, m.end = r.last - 1;
        return m;
    };
    if (layout::HasBootLoader(imageClass)) {
        MapRegion& boot = add(Region::BootLoader, "Bootloader");
        if (Equals(image, boot.start, boot.Size(), data.fileBoot))
            boot.equalTo = "boot.dat";
    }
    MapRegion& kind = add(Region::FlashKind, "Flash-Art-Block");
    for (auto [file, name] : {std::pair{&data.file2zu1, "2zu1.dat"}, std::pair{&data.file1zu2, "1zu2.dat"}})
        if (kind.equalTo.empty() && Equals(image, kind.start, kind.Size(), *file))
            kind.equalTo = name;
    MapRegion& root = add(Region::Root, "Root-Bereich");
    root.cramfs = CheckCramfs(path, root.start, root.Size());
    // Behind a file system that fits, the rest of the area should be erased flash.
    int64_t used = 0;
    if (root.cramfs->found && root.cramfs->plausible && root.cramfs->fits)
        used = root.cramfs->statedSize;
    root.erased = Erased(image, root.start + used, root.Size() - used);
    MapRegion& rest = add(Region::BodyTail, "Rest");
    rest.end = std::min(rest.end, length - 1);
    rest.erased = Erased(image, rest.start, rest.Size());
    unsigned char head[4] = {};
    if (image.ReadAt(rest.start, head, 4) == 4) {
        const uint32_t be = uint32_t(head[0]) << 24 | head[1] << 16 | head[2] << 8 | head[3];
        if (be == 0x28CD3D45 || be == 0x453DCD28)
            rest.magic = "CramFS";
        else if ((head[0] == 0x19 && head[1] == 0x85) || (head[0] == 0x85 && head[1] == 0x19))
            rest.magic = "JFFS2";
    }
    return map;
}

}  // namespace stellmark::ops
