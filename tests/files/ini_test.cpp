#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>

#include "tests/support/TestSupport.h"
#include "files/wsFiles.h"

using namespace stellmark;
using namespace stellmark::wsFiles;
using namespace std::string_literals;

TEST(GetIni, TakesTheFirstOfDuplicatesAndGivesEmptyForWhatIsMissingAndAtMost254Characters)
{
    // 254 characters: one of each length of UTF-8 sequence at its bounds, then bytes that start
    // none (each a character of its own), then 241 more.
    const std::string mixed =
        "\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xC1\x80\xF5\x80\x80\x80\xC2"
        "A" +
        std::string(241, 'm');
    std::string umlauts;  // 300 characters of two bytes each
    for (int i = 0; i < 300; ++i)
        umlauts += i % 2 ? "ü" : "°";
    test::TempDir dir;
    const std::string file = dir / "a.ini", longs = dir / "long.ini";
    // As written on Windows: other letter case, spaces around "=", quotes, a comment, duplicates,
    // a line without "=", Latin-1 bytes, a zero byte and no line break at the end.
    test::WriteFile(
        file, "\xEF\xBB\xBF; Einstellungen\r\n\r\n[SETTINGS]\r\n;Top=1\r\nlastdir = C:\\D-Box 2\\\r\n"
              "WindowTop = 1500\r\nwindowtop=1\r\nQuoted = \"C:\\Pro \"\r\nEmpty=\"\"\r\nOne=\"\r\nOrt=M\xFC"
              "nchen\r\n"
              "nur Text\r\nZero=ab\0cd\r\n\r\n[ Other ]\r\nKey=x\r\n[settings]\r\nSecond=2\r\n"
              "[Last]\r\nEnd=e"s);
    test::WriteFile(longs, "[S]\r\nA=" + std::string(255, 'a') + "\r\nB=" + std::string(254, 'b') +
                               "\r\nU=" + umlauts + "\r\nF=" + std::string(253, 'f') +
                               "\xF4\x8F\xBF\xBF\r\nM=" + mixed + "n\r\n[]\r\nE=e\r\n");
    struct Case {
        std::string file, section, key, want;
    };
    for (const Case& c : std::vector<Case>{
             {.file = file, .section = "Settings", .key = "LastDir", .want = "C:\\D-Box 2\\"},
             {.file = file, .section = "settings", .key = "WINDOWTOP", .want = "1500"},  // the first of two
             {.file = file, .section = "Settings", .key = "Quoted", .want = "C:\\Pro "},
             {.file = file, .section = "Settings", .key = "Empty", .want = ""},
             {.file = file, .section = "Settings", .key = "One", .want = "\""},  // no pair of quotes
             {.file = file, .section = "Settings", .key = "Ort", .want = "M\xFCnchen"},
             {.file = file, .section = "Settings", .key = "Zero", .want = "ab"},  // a text ends at its zero
             {.file = file, .section = "Settings", .key = "nur Text", .want = ""},
             {.file = file, .section = "Settings", .key = "Ortsteil", .want = ""},  // not "Ort"
             {.file = file, .section = "Settings", .key = ";Top", .want = ""},      // a comment is no key
             {.file = file, .section = "Settings", .key = "Second", .want = ""},    // the first section only
             {.file = file, .section = "OTHER", .key = "key", .want = "x"},
             {.file = file, .section = "Last", .key = "End", .want = "e"},
             {.file = file, .section = "Settings", .key = "Key", .want = ""},
             {.file = file, .section = "Missing", .key = "LastDir", .want = ""},
             {.file = dir / "no.ini", .section = "Settings", .key = "LastDir", .want = ""},
             {.file = dir / "no/a.ini", .section = "Settings", .key = "LastDir", .want = ""},
             {.file = dir.Path(), .section = "Settings", .key = "LastDir", .want = ""},
             {.file = longs, .section = "S", .key = "A", .want = std::string(254, 'a')},
             {.file = longs, .section = "S", .key = "B", .want = std::string(254, 'b')},
             {.file = longs, .section = "S", .key = "U", .want = umlauts.substr(0, 2 * 254)},  // characters
             {.file = longs, .section = "S", .key = "F", .want = std::string(253, 'f') + "\xF4\x8F\xBF\xBF"},
             {.file = longs, .section = "S", .key = "M", .want = mixed},
             {.file = longs, .section = "", .key = "E", .want = ""},  // no section is named ""
         })
        EXPECT_EQ(GetIni(c.section, c.key, c.file), c.want) << c.file << " " << c.section << "/" << c.key;
}

// Each write changes one line, adds one at the end of its section or a section at the end of
// the file, or deletes a line or a section; every other byte stays as it was.
TEST(WriteIni, ChangesOnlyItsLineAndKeepsEveryOtherByte)
{
    const std::string windows = "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\x\r\nWindowTop = 1500  "
                                "\r\n\r\n[Other]\r\nKey=x\r\n";
    // before, after: the file's bytes, nothing for no file; reads: the key's value afterwards, when not `value`
    struct Case {
        const char* what;
        std::optional<std::string> before;
        std::string section, key, value;  // no value: the key goes; no key: the section
        std::optional<std::string> after, reads = {};
    };
    const std::vector<Case> cases = {
        {"a first write makes the file", std::nullopt, "Settings", "Top", "1500",
         "[Settings]\r\nTop=1500\r\n"},
        {"deleting from no file makes none", std::nullopt, "Settings", "Top", "", std::nullopt},
        {"the value only, spacing and comments kept", windows, "settings", "WINDOWTOP", "30",
         "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\x\r\nWindowTop = "
         "30\r\n\r\n[Other]\r\nKey=x\r\n"},
        {"a new key after the last line of its section", windows, "Settings", "Neu", "1",
         "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\x\r\nWindowTop = 1500  "
         "\r\nNeu=1\r\n\r\n[Other]\r\nKey=x\r\n"},
        {"a new section at the end", windows, "Neu", "K", "v", windows + "\r\n[Neu]\r\nK=v\r\n"},
        {"a key's line only", windows, "settings", "LastDir", "",
         "; Einstellungen\r\n\r\n[SETTINGS]\r\nWindowTop = 1500  \r\n\r\n[Other]\r\nKey=x\r\n"},
        {"a section up to the next", windows, "SETTINGS", "", "",
         "; Einstellungen\r\n\r\n[Other]\r\nKey=x\r\n"},
        {"the last section", windows, "other", "", "",
         "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\x\r\nWindowTop = 1500  \r\n\r\n"},
        {"nothing to delete", windows, "Settings", "Fehlt", "", windows},
        {"no final line break, added", "[S]\r\nA=1", "S", "B", "2", "[S]\r\nA=1\r\nB=2\r\n"},
        {"no final line break, new section", "[S]\r\nA=1", "T", "B", "2", "[S]\r\nA=1\r\n\r\n[T]\r\nB=2\r\n"},
        {"no final line break, deleted", "[S]\r\nA=1\r\nB=2", "S", "b", "", "[S]\r\nA=1\r\n"},
        {"the first of duplicate keys", "[S]\r\nA=1\r\na = 2\r\n", "S", "A", "3", "[S]\r\nA=3\r\na = 2\r\n"},
        {"the first of duplicate keys deleted", "[S]\r\nZ=1\r\nz = 2\r\n", "S", "z", "", "[S]\r\nz = 2\r\n",
         "2"},
        {"the first of duplicate sections", "[S]\r\nA=1\r\n[T]\r\n[s]\r\nB=2\r\n", "S", "B", "3",
         "[S]\r\nA=1\r\nB=3\r\n[T]\r\n[s]\r\nB=2\r\n"},
        {"the first of duplicate sections deleted", "[S]\r\nA=1\r\n[T]\r\n[s]\r\nB=2\r\n", "s", "", "",
         "[T]\r\n[s]\r\nB=2\r\n"},
        {"a comment and a line without \"=\" are no keys", "[S]\r\n;A=1\r\nA\r\n", "S", "A", "2",
         "[S]\r\n;A=1\r\nA\r\nA=2\r\n"},
        {"keys before the first section belong to none", "A=1\r\n[S]\r\n", "S", "A", "2",
         "A=1\r\n[S]\r\nA=2\r\n"},
        {"an empty value", "[S]\r\nA=\r\nB =  \r\n", "S", "B", "5", "[S]\r\nA=\r\nB =  5\r\n"},
        {"line feeds kept, new lines in CR LF", "[S]\nA=1\nB=2\n", "S", "C", "3", "[S]\nA=1\nB=2\nC=3\r\n"},
        {"a byte order mark", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "A", "2", "\xEF\xBB\xBF[S]\r\nA=2\r\n"},
        {"a byte order mark before a deleted section", "\xEF\xBB\xBF[S]\r\nA=1\r\n", "S", "", "",
         "\xEF\xBB\xBF"},
        {"a zero byte", "[S]\r\nA=1\0[X]\r\n[T]\r\nB=2\r\n"s, "T", "B", "3",
         "[S]\r\nA=1\0[X]\r\n[T]\r\nB=3\r\n"s},
        {"Latin-1 bytes",
         "[S]\r\n; Gr\xFC\xDF"
         "e\r\nOrt=K\xF6ln\r\n",
         "S", "Dir", "/x",
         "[S]\r\n; Gr\xFC\xDF"
         "e\r\nOrt=K\xF6ln\r\nDir=/x\r\n"},
        {"blanks at the ends quoted", "[S]\r\n", "S", "Dir", "/a b ", "[S]\r\nDir=\"/a b \"\r\n"},
        {"names match without blanks at their ends", "[S]\r\nA=1\r\n", " s ", " a ", "2", "[S]\r\nA=2\r\n"},
        {"quotes quoted", "[S]\r\n", "S", "Dir", "'x'", "[S]\r\nDir=\"'x'\"\r\n"},
    };
    test::TempDir dir;
    const std::string file = dir / "a.ini";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(file);
        if (c.before) {
            test::WriteFile(file, *c.before);
            std::filesystem::permissions(file, std::filesystem::perms(0604));
        }
        EXPECT_EQ(WriteIni(c.section, c.key, c.value, file), 1);
        ASSERT_EQ(test::Exists(file), c.after.has_value());
        if (!c.after)
            continue;
        EXPECT_EQ(test::ReadFile(file), *c.after);
        if (c.before) {  // the permission bits of the file replaced
            EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0604));
        }
        if (!c.key.empty()) {
            EXPECT_EQ(GetIni(c.section, c.key, file), c.reads.value_or(c.value));
        }
    }
}

TEST(WriteIni, AFailedWriteGivesZeroWithoutADialogAndChangesNothing)
{
    test::ScriptedPresenter chooser;
    test::TempDir dir;
    const std::string file = dir / "a.ini", before = "[Settings]\r\nDir=/x\r\n", longer = "/a longer one";
    test::WriteFile(file, before);
    for (const auto& [path, section, key, value] : std::vector<std::array<std::string, 4>>{
             {file, "Settings", "Dir", longer},  // on a disk full after the old file's size
             {dir / "missing/a.ini", "Settings", "Dir", "/y"},
             {dir.Path(), "Settings", "Dir", "/y"},
             {file, "Settings", "Dir", "/y\r\n[Evil]\r\nKey=1"},  // would plant a section
             {file, "Settings", "Dir", "/y\nDir=/z"},
             {file, "Settings", "Di=r", "/y"},
             {file, "Settings", "#Dir", "/y"},  // other readers take it for a comment
             {file, "", "Dir", "/y"}}) {
        std::optional<test::ScopedFileSizeLimit> full;
        if (value == longer)
            full.emplace(before.size());
        EXPECT_EQ(WriteIni(section, key, value, path), 0) << path << " " << key;
        full.reset();
        EXPECT_EQ(test::ReadFile(file), before);
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.ini"});  // no temporary left
    }
    // A file of two-byte characters has lines this store cannot see: it is neither read nor changed.
    const std::string wide = dir / "wide.ini", utf16 = "\xFF\xFE[\0S\0]\0\r\0\n\0A\0=\0\x31\0\r\0\n\0"s;
    test::WriteFile(wide, utf16);
    EXPECT_EQ(WriteIni("S", "A", "2", wide), 0);
    EXPECT_EQ(test::ReadFile(wide), utf16);
    EXPECT_EQ(GetIni("S", "A", wide), "");
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
