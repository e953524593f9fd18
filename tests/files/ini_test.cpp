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
    std::string umlauts;  // 300 characters of two bytes each
    for (int i = 0; i < 300; ++i)
        umlauts += i % 2 ? "ü" : "°";
    test::TempDir dir;
    const std::string file = dir / "a.ini", longs = dir / "long.ini";
    // As written on Windows: other letter case, spaces around "=", quotes, a comment, duplicates,
    // a line without "=", Latin-1 bytes, a zero byte and no line break at the end.
    test::WriteFile(file,
                    "\xEF\xBB\xBF; Einstellungen\r\n\r\n[SETTINGS]\r\n;Top=1\r\nlastdir = C:\\D-Box 2\\\r\n"
                    "WindowTop = 1500\r\nwindowtop=1\r\nQuoted = \"C:\\Pro \"\r\nOrt=M\xFC"
                    "nchen\r\n"
                    "nur Text\r\nZero=ab\0cd\r\n\r\n[ Other ]\r\nKey=x\r\n[settings]\r\nSecond=2\r\n"
                    "[Last]\r\nEnd=e"s);
    test::WriteFile(longs, "[S]\r\nA=" + std::string(255, 'a') + "\r\nB=" + std::string(254, 'b') +
                               "\r\nU=" + umlauts + "\r\n");
    struct Case {
        std::string file, section, key, want;
    };
    for (const Case& c : std::vector<Case>{
             {.file = file, .section = "Settings", .key = "LastDir", .want = "C:\\D-Box 2\\"},
             {.file = file, .section = "settings", .key = "WINDOWTOP", .want = "1500"},  // the first of two
             {.file = file, .section = "Settings", .key = "Quoted", .want = "C:\\Pro "},
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
        std::string section = {}, key = {}, value = {};
        std::optional<std::string> after = {}, reads = {};
    };
    const std::vector<Case> cases = {
        {.what = "a first write makes the file",
         .before = {},
         .section = "Settings",
         .key = "Top",
         .value = "1500",
         .after = "[Settings]\r\nTop=1500\r\n"},
        {.what = "deleting from no file makes none",
         .before = {},
         .section = "Settings",
         .key = "Top",
         .after = {}},
        {.what = "the value only, spacing and comments kept",
         .before = windows,
         .section = "settings",
         .key = "WINDOWTOP",
         .value = "30",
         .after = "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\x\r\nWindowTop = "
                  "30\r\n\r\n[Other]\r\nKey=x\r\n"},
        {.what = "a new key after the last line of its section",
         .before = windows,
         .section = "Settings",
         .key = "Neu",
         .value = "1",
         .after = "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\x\r\nWindowTop = 1500  "
                  "\r\nNeu=1\r\n\r\n[Other]\r\nKey=x\r\n"},
        {.what = "a new section at the end",
         .before = windows,
         .section = "Neu",
         .key = "K",
         .value = "v",
         .after = windows + "\r\n[Neu]\r\nK=v\r\n"},
        {.what = "a key's line only",
         .before = windows,
         .section = "settings",
         .key = "LastDir",
         .after = "; Einstellungen\r\n\r\n[SETTINGS]\r\nWindowTop = 1500  \r\n\r\n[Other]\r\nKey=x\r\n"},
        {.what = "a section up to the next",
         .before = windows,
         .section = "SETTINGS",
         .key = "",
         .after = "; Einstellungen\r\n\r\n[Other]\r\nKey=x\r\n"},
        {.what = "the last section",
         .before = windows,
         .section = "other",
         .key = "",
         .after = "; Einstellungen\r\n\r\n[SETTINGS]\r\nlastdir = C:\\x\r\nWindowTop = 1500  \r\n\r\n"},
        {.what = "nothing to delete",
         .before = windows,
         .section = "Settings",
         .key = "Fehlt",
         .after = windows},
        {.what = "no final line break, added",
         .before = "[S]\r\nA=1",
         .section = "S",
         .key = "B",
         .value = "2",
         .after = "[S]\r\nA=1\r\nB=2\r\n"},
        {.what = "no final line break, new section",
         .before = "[S]\r\nA=1",
         .section = "T",
         .key = "B",
         .value = "2",
         .after = "[S]\r\nA=1\r\n\r\n[T]\r\nB=2\r\n"},
        {.what = "no final line break, deleted",
         .before = "[S]\r\nA=1\r\nB=2",
         .section = "S",
         .key = "b",
         .after = "[S]\r\nA=1\r\n"},
        {.what = "the first of duplicate keys",
         .before = "[S]\r\nA=1\r\na = 2\r\n",
         .section = "S",
         .key = "A",
         .value = "3",
         .after = "[S]\r\nA=3\r\na = 2\r\n"},
        {.what = "the first of duplicate keys deleted",
         .before = "[S]\r\nA=1\r\na = 2\r\n",
         .section = "S",
         .key = "a",
         .after = "[S]\r\na = 2\r\n",
         .reads = "2"},
        {.what = "the first of duplicate sections",
         .before = "[S]\r\nA=1\r\n[T]\r\n[s]\r\nB=2\r\n",
         .section = "S",
         .key = "B",
         .value = "3",
         .after = "[S]\r\nA=1\r\nB=3\r\n[T]\r\n[s]\r\nB=2\r\n"},
        {.what = "the first of duplicate sections deleted",
         .before = "[S]\r\nA=1\r\n[T]\r\n[s]\r\nB=2\r\n",
         .section = "s",
         .key = "",
         .after = "[T]\r\n[s]\r\nB=2\r\n"},
        {.what = "a comment and a line without \"=\" are no keys",
         .before = "[S]\r\n;A=1\r\nA\r\n",
         .section = "S",
         .key = "A",
         .value = "2",
         .after = "[S]\r\n;A=1\r\nA\r\nA=2\r\n"},
        {.what = "keys before the first section belong to none",
         .before = "A=1\r\n[S]\r\n",
         .section = "S",
         .key = "A",
         .value = "2",
         .after = "A=1\r\n[S]\r\nA=2\r\n"},
        {.what = "an empty value",
         .before = "[S]\r\nA=\r\nB =  \r\n",
         .section = "S",
         .key = "B",
         .value = "5",
         .after = "[S]\r\nA=\r\nB =  5\r\n"},
        {.what = "line feeds kept, new lines in CR LF",
         .before = "[S]\nA=1\nB=2\n",
         .section = "S",
         .key = "C",
         .value = "3",
         .after = "[S]\nA=1\nB=2\nC=3\r\n"},
        {.what = "a byte order mark",
         .before = "\xEF\xBB\xBF[S]\r\nA=1\r\n",
         .section = "S",
         .key = "A",
         .value = "2",
         .after = "\xEF\xBB\xBF[S]\r\nA=2\r\n"},
        {.what = "a byte order mark before a deleted section",
         .before = "\xEF\xBB\xBF[S]\r\nA=1\r\n",
         .section = "S",
         .key = "",
         .after = "\xEF\xBB\xBF"},
        {.what = "a zero byte",
         .before = "[S]\r\nA=1\0[X]\r\n[T]\r\nB=2\r\n"s,
         .section = "T",
         .key = "B",
         .value = "3",
         .after = "[S]\r\nA=1\0[X]\r\n[T]\r\nB=3\r\n"s},
        {.what = "Latin-1 bytes",
         .before = "[S]\r\n; Gr\xFC\xDF"
                   "e\r\nOrt=K\xF6ln\r\n",
         .section = "S",
         .key = "Dir",
         .value = "/x",
         .after = "[S]\r\n; Gr\xFC\xDF"
                  "e\r\nOrt=K\xF6ln\r\nDir=/x\r\n"},
        {.what = "blanks at the ends quoted",
         .before = "[S]\r\n",
         .section = "S",
         .key = "Dir",
         .value = "/a b ",
         .after = "[S]\r\nDir=\"/a b \"\r\n"},
        {.what = "names match without blanks at their ends",
         .before = "[S]\r\nA=1\r\n",
         .section = " s ",
         .key = " a ",
         .value = "2",
         .after = "[S]\r\nA=2\r\n"},
        {.what = "quotes quoted",
         .before = "[S]\r\n",
         .section = "S",
         .key = "Dir",
         .value = "'x'",
         .after = "[S]\r\nDir=\"'x'\"\r\n"},
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
