#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "TestSupport.h"
#include "wsFiles.h"

using namespace stellmark;
using namespace stellmark::wsFiles;

TEST(IsSlash, EndsWithExactlyOneSlash)
{
    std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""}, {"/", "/"}, {"/opt/stellmark", "/opt/stellmark/"},
        {"/opt/stellmark/", "/opt/stellmark/"}, {"C:\\", "C:\\/"}, {"rel", "rel/"}};
    for (const auto& [in, want] : cases)
        EXPECT_EQ(IsSlash(in), want) << in;
}

TEST(GetNamePart, TakesTheTextBehindTheLastSlash)
{
    std::vector<std::pair<std::string, std::string>> cases = {
        {"/home/u/images/base_2x.img", "base_2x.img"},
        {"image.img", "image.img"},
        {"/home/u/images/", ""},
        {"", ""},
        {"/home/u/a\\b.img", "a\\b.img"},  // a backslash is part of the name here
        {"/home/u/grüße.img", "grüße.img"},
    };
    for (const auto& [in, want] : cases)
        EXPECT_EQ(GetNamePart(in), want) << in;
}

TEST(GetNamePart, TextsBeyondThePositionCounterAreAnOverflow)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser({kLeave});
    EXPECT_EQ(GetNamePart(std::string(32767, 'a')), std::string(32767, 'a'));
    EXPECT_TRUE(chooser.calls.empty());
    // Multi-byte characters count once: 32767 umlauts still fit.
    std::string umlauts;
    for (int i = 0; i < 32767; ++i)
        umlauts += "ü";
    EXPECT_EQ(GetNamePart(umlauts), umlauts);
    EXPECT_EQ(GetNamePart(std::string(32768, 'a')), "");
    ASSERT_EQ(chooser.calls.size(), 1u);
    EXPECT_EQ(chooser.calls[0].number, "6 (Überlauf)");
    EXPECT_EQ(chooser.calls[0].module, "wsFiles");
    EXPECT_EQ(chooser.calls[0].proc, "GetNamePart");
}

TEST(Existence, FilesAndFoldersAreToldApartWithoutFailures)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser;
    test::TempDir dir;
    test::WriteFile(dir / "image.img", "x");
    test::WriteFile(dir / ".hidden", "x");
    test::WriteFile(dir / "a*b?.img", "x");
    test::WriteFile(dir / "axb1.img", "x");
    ::mkdir((dir / "sub").c_str(), 0755);
    ::symlink((dir / "image.img").c_str(), (dir / "link").c_str());
    ::symlink((dir / "gone").c_str(), (dir / "dangling").c_str());
    ::mkfifo((dir / "fifo").c_str(), 0644);

    struct Case {
        std::string path;
        bool file, dir;
    };
    std::vector<Case> cases = {
        {dir / "image.img", true, true},  {dir / ".hidden", true, true},
        {dir / "sub", false, true},       {dir / "link", true, true},
        {dir / "dangling", false, false}, {dir / "missing", false, false},
        {dir / "fifo", false, false},     {"", false, false},
        {dir / "a*b?.img", true, true},   {dir / "a*b2.img", false, false},
        {dir / "*.img", false, false},    {dir / "image.img/x", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileExist(c.path), c.file) << c.path;
        EXPECT_EQ(DirExist(c.path), c.dir) << c.path;
    }
    EXPECT_TRUE(chooser.calls.empty());
}

TEST(Existence, ReportsItsEntryWithItsSignature)
{
    test::ResetPanne();
    DirExist("/tmp");
    const auto& lines = frmPanne::Instance().lstCallStack();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(9), "[wsFiles] Public Function DirExist(DirName As String) As Boolean");
    EXPECT_EQ(lines[1], "\tDirName:\t/tmp");
}
