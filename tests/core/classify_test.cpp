#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "tests/support/TestSupport.h"
#include "core/DemoImages.h"
#include "core/modMain.h"

using namespace stellmark;
using namespace stellmark::modMain;

namespace {
auto OpenDescriptors() { return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}); }

class Classify : public ::testing::Test {
protected:
    void SetUp() override { test::ResetPanne(), data = test::InstallDataFiles(dir.Path()); }
    std::string Image(const std::string& name, std::string bytes)
    {
        return test::WriteFile(dir / name, bytes), dir / name;
    }
    test::TempDir dir;
    test::DataFiles data;
};

std::string WithAt(std::size_t size, std::size_t offset, const std::string& head)
{
    return test::Pattern(size, 5).replace(offset, head.size(), head);
}
}  // namespace

TEST_F(Classify, SizeAndSignatureDecideTheClass)
{
    const std::string sig1 = data.f2zu1.substr(0, 16), sig2 = data.f1zu2.substr(0, 16);
    std::string nearly = sig2;
    nearly[15] ^= 1;
    struct Case {
        const char* what;
        std::string bytes;
        int32_t cls;
    };
    std::vector<Case> cases = {
        {"empty", "", 0},
        {"one byte short", WithAt(0x7FFFFF, 0x20000, sig1), 0},
        {"one byte long", WithAt(0x800001, 0x20000, sig1), 0},
        {"1x with boot loader", WithAt(0x800000, 0x20000, sig1), 11},
        {"2x with boot loader", WithAt(0x800000, 0x20000, sig2), 12},
        {"signature at 0 with boot loader", WithAt(0x800000, 0, sig1), 0},
        {"1x without boot loader", WithAt(0x7E0000, 0, sig1), 21},
        {"2x without boot loader", WithAt(0x7E0000, 0, sig2), 22},
        {"one byte off the 2x signature", WithAt(0x7E0000, 0, nearly), 0},
        {"only the signature counts", WithAt(0x7E0000, 0, sig1 + "x"), 21},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int before = OpenDescriptors();
        EXPECT_EQ(ImageTest(Image("img", c.bytes), data.files), c.cls);
        EXPECT_EQ(OpenDescriptors(), before);
    }
    // Equal data-file signatures make every match 2x.
    test::WriteFile(data.files.file1zu2, data.f2zu1);
    EXPECT_EQ(ImageTest(Image("a", WithAt(0x800000, 0x20000, sig1)), data.files), 12);
    EXPECT_EQ(ImageTest(Image("b", WithAt(0x7E0000, 0, sig1)), data.files), 22);
    // A zero-filled body against data files shorter than the signature matches nothing.
    test::WriteFile(data.files.file2zu1, std::string(10, '\0')), test::WriteFile(data.files.file1zu2, "");
    EXPECT_EQ(ImageTest(Image("zeros", std::string(0x7E0000, '\0')), data.files), 0);
}

TEST_F(Classify, FailuresGiveClassZeroAndWrongLengthOpensNoDataFile)
{
    test::ScriptedPresenter chooser({kLeave, kLeave});
    EXPECT_EQ(ImageTest(dir / "missing.img", data.files), 0);
    ASSERT_EQ(chooser.calls.size(), 1u);
    EXPECT_EQ(chooser.calls[0].number, "53 (Datei nicht gefunden)");
    data.files.file1zu2 = dir / "gone1", data.files.file2zu1 = dir / "gone2";
    EXPECT_EQ(ImageTest(Image("txt", "hello"), data.files), 0);
    EXPECT_EQ(chooser.calls.size(), 1u);
    EXPECT_EQ(ImageTest(Image("body", WithAt(0x7E0000, 0, data.f2zu1.substr(0, 16))), data.files), 0);
    ASSERT_EQ(chooser.calls.size(), 2u);
    EXPECT_EQ(chooser.calls[1].number + " " + chooser.calls[1].proc, "53 (Datei nicht gefunden) ImageTest");
    // Nor are demo images written without them.
    EXPECT_ANY_THROW(demo::WriteDemoImages(dir / "demo", data.files));
}

// The class names are seen in the command-line tool's answers; the hexadecimal form has edges.
TEST(Texts, GetHexValue)
{
    // Padded to eight digits, none cut; negative values as their 32-bit pattern.
    std::vector<std::pair<int32_t, std::string>> hex = {
        {0, "0x00000000"}, {0xABCDEF, "0x00ABCDEF"}, {-1, "0xFFFFFFFF"}};
    for (const auto& [value, text] : hex)
        EXPECT_EQ(GetHexValue(value), text) << value;
}

TEST(GetImageSize, MeasuresFilesAndTwoGibibytesOrMoreAreAnOverflow)
{
    test::ResetPanne();
    test::TempDir dir;
    test::WriteFile(dir / "empty", ""), test::WriteFile(dir / "kb", std::string(1024, 'k'));
    {
        test::ScriptedPresenter chooser;
        for (auto [path, size] : std::vector<std::pair<std::string, int32_t>>{
                 {"", 0}, {dir / "missing", 0}, {dir / "empty", 0}, {dir / "kb", 1024}, {dir.Path(), 0}})
            EXPECT_EQ(GetImageSize(path), size) << path;
        EXPECT_TRUE(chooser.calls.empty());
    }
    const std::string big = dir / "big";
    test::WriteFile(big, "");
    for (long long size : {0x7FFFFFFFLL, 0x80000000LL, 0x100000001LL}) {
        ASSERT_EQ(::truncate(big.c_str(), size), 0);  // sparse: takes no space
        test::ScriptedPresenter chooser({kLeave});
        EXPECT_EQ(GetImageSize(big), size <= 0x7FFFFFFF ? 0x7FFFFFFF : 0) << size;
        EXPECT_EQ(chooser.calls.empty() ? "" : chooser.calls[0].number,
                  size <= 0x7FFFFFFF ? "" : "6 (Überlauf)");
        EXPECT_LE(chooser.calls.size(), 1u);
    }
}
