#include <gtest/gtest.h>

#include "Layout.h"

using namespace stellmark::layout;

TEST(Layout, RangesAndTheBootLoaderShift)
{
    struct Case {
        Region region;
        int32_t cls;
        Range want;
    };
    std::vector<Case> cases = {
        {Region::BootLoader, 11, {1, 0x20000}},
        {Region::BootLoader, 12, {1, 0x20000}},
        {Region::FlashKind, 21, {1, 0x20000}},
        {Region::FlashKind, 11, {0x20001, 0x40000}},
        {Region::Root, 22, {0x20001, 0x620000}},
        {Region::Root, 12, {0x40001, 0x640000}},
        {Region::BodyRemainder, 21, {0x20001, 0x7E0000}},
        {Region::BodyRemainder, 11, {0x40001, 0x800000}},
        {Region::BodyRemainder, 0, {0x40001, 0x800000}},  // class 0 counts as with boot loader
        {Region::BodyTail, 22, {0x620001, 0x7E0000}},
        {Region::BodyTail, 11, {0x640001, 0x800000}},
    };
    for (const auto& c : cases) {
        Range got = RangeFor(c.region, c.cls);
        EXPECT_EQ(got, c.want) << static_cast<int>(c.region) << " class " << c.cls;
    }
    // Sizes fit the image: root plus tail is the remainder, block plus remainder the body.
    EXPECT_EQ(kRootSize + kBodyTailSize, kBodyRemainderSize);
    EXPECT_EQ(kBlockSize + kBodyRemainderSize, kBodySize);
    EXPECT_EQ(kBlockSize + kBodySize, kImageWithBootSize);
}

TEST(Layout, BuiltImagesTakeBothLeadingBlocksFromTheDataFiles)
{
    struct Case {
        FlashKind kind;
        bool boot;
        int32_t cls;
        DataFile prev, prev1;
        Range range;
    };
    std::vector<Case> cases = {
        {FlashKind::k1x, false, 22, DataFile::None, DataFile::File2zu1, {0x20001, 0x7E0000}},
        {FlashKind::k2x, false, 11, DataFile::None, DataFile::File1zu2, {0x40001, 0x800000}},
        {FlashKind::k1x, true, 12, DataFile::Boot, DataFile::File2zu1, {0x40001, 0x800000}},
        {FlashKind::k2x, true, 21, DataFile::Boot, DataFile::File1zu2, {0x20001, 0x7E0000}},
    };
    for (const auto& c : cases) {
        BuildPlan plan = PlanBuild(c.kind, c.boot, c.cls);
        EXPECT_EQ(plan.prevFile, c.prev);
        EXPECT_EQ(plan.prevFile1, c.prev1);
        EXPECT_EQ(plan.range, c.range);
    }
}
