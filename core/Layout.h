#pragma once
// The flash partition layout: the fixed regions of a whole-flash image, the boot-loader shift and
// how built images are put together. Every range the program uses comes from here.
#include <cstdint>

namespace stellmark::layout {

inline constexpr int32_t kBlockSize = 0x20000;  // boot loader block and flash-kind block
inline constexpr int32_t kBootShift = 0x20000;  // how far a boot loader moves the body
inline constexpr int32_t kRootSize = 0x600000;  // root file system area, the CramFS limit
inline constexpr int32_t kBodyTailSize = 0x1C0000;
inline constexpr int32_t kBodyRemainderSize = 0x7C0000;
inline constexpr int32_t kBodySize = 0x7E0000;  // an image without boot loader
inline constexpr int32_t kImageWithBootSize = 0x800000;

// Offset of the body (and of its flash-kind signature) in an image of the given size class.
inline constexpr int32_t kSignatureLength = 16;

enum class Region { BootLoader, FlashKind, Root, BodyTail, BodyRemainder };

// A byte range as the copy engine takes it: 1-based positions, first to last, both included.
struct Range {
    int32_t first;
    int32_t last;
    constexpr bool operator==(const Range&) const = default;
};

// A class below 20 (class 0 included) counts as having the boot loader in front.
constexpr bool HasBootLoader(int32_t imageClass) { return imageClass < 20; }

// The region's positions in an image without boot loader; the boot loader block is given as it
// stands in front of the body.
constexpr Range BodyRange(Region region)
{
    switch (region) {
    case Region::BootLoader: return {1, kBlockSize};
    case Region::FlashKind: return {1, kBlockSize};
    case Region::Root: return {kBlockSize + 1, kBlockSize + kRootSize};
    case Region::BodyTail: return {kBlockSize + kRootSize + 1, kBlockSize + kRootSize + kBodyTailSize};
    case Region::BodyRemainder: return {kBlockSize + 1, kBodySize};
    }
    return {0, 0};
}

// The positions of a region in an image of the given class: body ranges move up by the shift
// when a boot loader stands in front; the boot loader block itself never moves.
constexpr Range RangeFor(Region region, int32_t imageClass)
{
    Range r = BodyRange(region);
    if (region != Region::BootLoader && HasBootLoader(imageClass)) {
        r.first += kBootShift;
        r.last += kBootShift;
    }
    return r;
}

enum class FlashKind { k1x, k2x };
enum class DataFile { None, File1zu2, File2zu1, Boot };

// What a built image consists of: up to two data files in front of the source's body remainder.
struct BuildPlan {
    DataFile prevFile;   // written first: the boot loader, or nothing
    DataFile prevFile1;  // written second: the flash-kind block of the wanted kind
    Range range;         // the source's body remainder
};

constexpr BuildPlan PlanBuild(FlashKind kind, bool withBootLoader, int32_t sourceClass)
{
    // 2zu1.dat holds the 1x block, 1zu2.dat the 2x block.
    return {withBootLoader ? DataFile::Boot : DataFile::None,
            kind == FlashKind::k1x ? DataFile::File2zu1 : DataFile::File1zu2,
            RangeFor(Region::BodyRemainder, sourceClass)};
}

}  // namespace stellmark::layout
