#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "tests/support/TestSupport.h"
#include "files/wsFiles.h"

using namespace stellmark;
using namespace stellmark::wsFiles;

TEST(Paths, IsSlashGetNamePartAndItsOverflow)
{
    std::vector<std::pair<std::string, std::string>> slash = {{"", ""},
                                                              {"/", "/"},
                                                              {"/opt/stellmark", "/opt/stellmark/"},
                                                              {"/opt/stellmark/", "/opt/stellmark/"},
                                                              {"C:\\", "C:\\/"},
                                                              {"rel", "rel/"}};
    for (const auto& [in, want] : slash)
        EXPECT_EQ(IsSlash(in), want) << in;
    std::vector<std::pair<std::string, std::string>> name = {{"/home/u/images/base_2x.img", "base_2x.img"},
                                                             {"image.img", "image.img"},
                                                             {"/home/u/images/", ""},
                                                             {"", ""},
                                                             {"/home/u/a\\b.img", "a\\b.img"},
                                                             {"/home/u/grüße.img", "grüße.img"}};
    for (const auto& [in, want] : name)
        EXPECT_EQ(GetNamePart(in), want) << in;
    // Names beyond the position counter are an overflow.
    test::ResetPanne();
    test::ScriptedPresenter chooser({kLeave});
    std::string umlauts;  // multi-byte characters count once: 32767 umlauts still fit
    for (int i = 0; i < 32767; ++i)
        umlauts += "ü";
    EXPECT_EQ(GetNamePart(umlauts), umlauts);
    EXPECT_EQ(GetNamePart(std::string(32767, 'a')), std::string(32767, 'a'));
    EXPECT_TRUE(chooser.calls.empty());
    EXPECT_EQ(GetNamePart(std::string(32768, 'a')), "");
    ASSERT_EQ(chooser.calls.size(), 1u);
    EXPECT_EQ(chooser.calls[0].number + chooser.calls[0].module + chooser.calls[0].proc,
              "6 (Überlauf)wsFilesGetNamePart");
}

TEST(Paths, FilesAndFoldersAreToldApartWithoutFailures)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser;
    test::TempDir dir;
    for (const char* name : {"image.img", ".hidden", "a*b?.img", "axb1.img"})
        test::WriteFile(dir / name, "x");
    ::mkdir((dir / "sub").c_str(), 0755), ::mkfifo((dir / "fifo").c_str(), 0644);
    ::symlink((dir / "image.img").c_str(), (dir / "link").c_str()),
        ::symlink((dir / "gone").c_str(), (dir / "dangling").c_str());
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
    for (const auto& c : cases)
        EXPECT_EQ(std::make_pair(FileExist(c.path), DirExist(c.path)), std::make_pair(c.file, c.dir))
            << c.path;
    EXPECT_TRUE(chooser.calls.empty());
}
