#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <sys/resource.h>

#include "TestSupport.h"
#include "wsFiles.h"

using namespace stellmark;
using namespace stellmark::wsFiles;

TEST(GetIni, ReadsAWindowsFileAndGivesEmptyForWhatIsMissingAndAtMost254Characters)
{
    std::string umlauts;  // 300 characters of two bytes each
    for (int i = 0; i < 300; ++i)
        umlauts += "ü";
    test::TempDir dir;
    const std::string file = dir / "a.ini", longs = dir / "long.ini";
    // As written on Windows: other letter case, spaces around "=", quotes, a comment.
    test::WriteFile(file, "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\D-Box 2\\\r\nWindowTop = 1500\r\n"
                          "Quoted = \"C:\\Pro \"\r\n\r\n[Other]\r\nKey=x\r\n");
    test::WriteFile(longs, "[S]\r\nA=" + std::string(255, 'a') + "\r\nB=" + std::string(254, 'b') + "\r\nU=" +
                               umlauts + "\r\n");
    const std::vector<std::array<std::string, 4>> cases = {
        {file, "Settings", "LastDir", "C:\\D-Box 2\\"}, {file, "settings", "WINDOWTOP", "1500"},
        {file, "Settings", "Quoted", "C:\\Pro "},       {file, "OTHER", "key", "x"},
        {file, "Settings", "Key", ""},                  {file, "Missing", "LastDir", ""},
        {dir / "no.ini", "Settings", "LastDir", ""},    {dir.Path(), "Settings", "LastDir", ""},
        {longs, "S", "A", std::string(254, 'a')},       {longs, "S", "B", std::string(254, 'b')},
        {longs, "S", "U", umlauts.substr(0, 2 * 254)},  // characters, not bytes
    };
    for (const auto& [path, section, key, want] : cases)
        EXPECT_EQ(GetIni(section, key, path), want) << path << " " << section << "/" << key;

    ASSERT_NE(WriteIni("settings", "WINDOWTOP", "30", file), 0);  // all kept, "=" without spaces
    EXPECT_EQ(test::ReadFile(file), "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir=C:\\D-Box 2\\\r\nWindowTop=30\r\n"
                                    "Quoted=\"C:\\Pro \"\r\n\r\n[Other]\r\nKey=x\r\n");
}

TEST(WriteIni, KeepsKeysInTheOrderFirstWrittenAndDeletesKeysAndSections)
{
    test::TempDir dir;
    const std::string file = dir / "a.ini";
    for (const auto& [section, key, value, want] : std::vector<std::array<std::string, 4>> {
             {"Settings", "Top", "", ""},  // deleting from a missing file makes none
             {"Settings", "Top", "1500", "[Settings]\r\nTop=1500\r\n"},
             {"Settings", "Dir", "/a b", "[Settings]\r\nTop=1500\r\nDir=/a b\r\n"},
             {"SETTINGS", "top", "15", "[Settings]\r\nTop=15\r\nDir=/a b\r\n"},
             {"Other", "Key", "x", "[Settings]\r\nTop=15\r\nDir=/a b\r\n\r\n[Other]\r\nKey=x\r\n"},
             {"settings", "TOP", "", "[Settings]\r\nDir=/a b\r\n\r\n[Other]\r\nKey=x\r\n"},
             {"other", "", "unused", "[Settings]\r\nDir=/a b\r\n"}}) {
        EXPECT_NE(WriteIni(section, key, value, file), 0) << section << "/" << key;
        EXPECT_EQ(test::Exists(file) ? test::ReadFile(file) : "", want) << section << "/" << key;
    }
}

TEST(WriteIni, AFailedWriteGivesZeroWithoutADialogAndChangesNothing)
{
    test::ScriptedPresenter chooser;
    test::TempDir dir;
    const std::string file = dir / "a.ini", before = "[Settings]\r\nDir=/x\r\n", longer = "/a longer one";
    test::WriteFile(file, before);
    std::signal(SIGXFSZ, SIG_IGN);  // a full disk is a file size limit here: root ignores modes
    rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    for (const auto& [path, section, key, value] : std::vector<std::array<std::string, 4>> {
             {file, "Settings", "Dir", longer},  // on a disk full after the old file's size
             {dir / "missing/a.ini", "Settings", "Dir", "/y"}, {dir.Path(), "Settings", "Dir", "/y"},
             {file, "Settings", "Dir", "/y\r\n[Evil]\r\nKey=1"},  // would plant a section
             {file, "Settings", "Dir", "/y\nDir=/z"}, {file, "Settings", "Di=r", "/y"}, {file, "", "Dir", "/y"}}) {
        const rlimit limit {value == longer ? before.size() : old.rlim_cur, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        const int32_t result = WriteIni(section, key, value, path);
        setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(result, 0) << path << " " << key;
        EXPECT_EQ(test::ReadFile(file), before);
        EXPECT_EQ(dir.Entries(), std::vector<std::string> {"a.ini"});  // no temporary left
    }
    EXPECT_TRUE(chooser.calls.empty());
}

TEST(GIandWI, UseTheFileNamedAfterTheProgram)
{
    test::TempDir dir;
    ResetIniFileForTests();
    {
        test::ScopedProgramFile program(dir.Path(), "Stellmark.bin");
        EXPECT_NE(WI("Settings", "Dir", "/home/u"), 0);
        EXPECT_EQ(GI("settings", "dir"), "/home/u");
    }
    EXPECT_EQ(test::ReadFile(dir / "Stellmark.ini"), "[Settings]\r\nDir=/home/u\r\n");
}
