#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>

#include "TestSupport.h"
#include "wsFiles.h"

using namespace stellmark;
using namespace stellmark::wsFiles;

namespace {

// The lines, each ended by CR LF.
std::string Lines(std::initializer_list<std::string> lines)
{
    std::string s;
    for (const auto& l : lines)
        s += l + "\r\n";
    return s;
}

std::string Repeat(const std::string& piece, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i)
        s += piece;
    return s;
}

// A file as edited on the original platform: other letter case, spaces around "=", quotes.
const std::string kForeign = Lines({"; Einstellungen", "", "[SETTINGS]", "lastdir = C:\\D-Box 2\\",
                                    "WindowTop = 1500", "Empty =", "Quoted = \"C:\\Pro \"", "",
                                    "[Other]", "Key=anderes"});

}  // namespace

TEST(GetIni, ReadsNamesOfAnyCaseAndGivesEmptyForWhatIsMissing)
{
    test::TempDir dir;
    std::string file = dir / "a.ini";
    test::WriteFile(file, kForeign);
    std::vector<std::array<std::string, 4>> cases = {
        {file, "Settings", "LastDir", "C:\\D-Box 2\\"}, {file, "settings", "WINDOWTOP", "1500"},
        {file, "Settings", "Quoted", "C:\\Pro "},       {file, "Settings", "Empty", ""},
        {file, "Settings", "Key", ""},                  {file, "OTHER", "key", "anderes"},
        {file, "Missing", "LastDir", ""},               {dir / "no.ini", "Settings", "LastDir", ""},
        {dir / "no/a.ini", "Settings", "LastDir", ""},  {dir.Path(), "Settings", "LastDir", ""},
    };
    for (const auto& [path, section, key, want] : cases)
        EXPECT_EQ(GetIni(section, key, path), want) << path << " " << section << "/" << key;
}

TEST(GetIni, LongValuesComeBackCutAfterThe254thCharacter)
{
    test::TempDir dir;
    std::string digits = Repeat("0123456789", 30);
    std::vector<std::pair<std::string, std::string>> cases = {
        {std::string(254, 'a'), std::string(254, 'a')},
        {digits, digits.substr(0, 254)},
        {Repeat("ü", 300), Repeat("ü", 254)},
        {"a" + Repeat("€", 300), "a" + Repeat("€", 253)},
        {std::string(253, 'a') + "😀b", std::string(253, 'a') + "😀"},
        {std::string(300, '\xFC'), std::string(254, '\xFC')},  // not UTF-8: one byte each
    };
    for (const auto& [stored, want] : cases) {
        ASSERT_NE(WriteIni("Settings", "LastDir", stored, dir / "a.ini"), 0);
        EXPECT_EQ(test::ReadFile(dir / "a.ini"), Lines({"[Settings]", "LastDir=" + stored}));
        EXPECT_EQ(GetIni("Settings", "LastDir", dir / "a.ini"), want) << stored.size();
    }
}

TEST(WriteIni, KeepsKeysInTheOrderFirstWrittenAndDeletesKeysAndSections)
{
    test::TempDir dir;
    std::string file = dir / "a.ini";
    const std::string last = "LastDir=/home/u/mit Leer\\zeichen";
    struct Case {
        std::string section, key, value, file;
    };
    std::vector<Case> cases = {
        {"Settings", "", "", ""},  // deleting from a missing file makes none
        {"Settings", "LastDir", "", ""},
        {"Settings", "LastDir", "/home/u/mit Leer\\zeichen", Lines({"[Settings]", last})},
        {"Settings", "WindowTop", "1500", Lines({"[Settings]", last, "WindowTop=1500"})},
        {"Settings", "WindowLeft", "3000",
         Lines({"[Settings]", last, "WindowTop=1500", "WindowLeft=3000"})},
        {"SETTINGS", "windowtop", "15",
         Lines({"[Settings]", last, "WindowTop=15", "WindowLeft=3000"})},
        {"Other", "Key", "x",
         Lines({"[Settings]", last, "WindowTop=15", "WindowLeft=3000", "", "[Other]", "Key=x"})},
        {"settings", "WINDOWLEFT", "",
         Lines({"[Settings]", last, "WindowTop=15", "", "[Other]", "Key=x"})},
        {"Settings", "Missing", "",
         Lines({"[Settings]", last, "WindowTop=15", "", "[Other]", "Key=x"})},
        {"other", "", "unused", Lines({"[Settings]", last, "WindowTop=15"})},
    };
    for (const auto& c : cases) {
        EXPECT_NE(WriteIni(c.section, c.key, c.value, file), 0) << c.section << "/" << c.key;
        EXPECT_EQ(test::Exists(file) ? test::ReadFile(file) : "", c.file) << c.key;
        // The next read gives what was written, or the empty text after a deletion.
        EXPECT_EQ(GetIni(c.section, c.key.empty() ? "Key" : c.key, file),
                  c.key.empty() ? "" : c.value);
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string> {"a.ini"});

    // A foreign file keeps its comment, sections, names and order; only the line format changes.
    test::WriteFile(file, kForeign);
    EXPECT_NE(WriteIni("settings", "WINDOWTOP", "30", file), 0);
    EXPECT_EQ(test::ReadFile(file),
              Lines({"; Einstellungen", "", "[SETTINGS]", "lastdir=C:\\D-Box 2\\", "WindowTop=30",
                     "Empty=", "Quoted=\"C:\\Pro \"", "", "[Other]", "Key=anderes"}));
}

TEST(WriteIni, ValuesReadBackAsGiven)
{
    test::TempDir dir;
    // Only values that reading would trim or unquote are written in quotes.
    std::vector<std::pair<std::string, std::string>> cases = {
        {"C:\\Bilder\\", "C:\\Bilder\\"}, {"a b", "a b"}, {"/dir ", "\"/dir \""},
        {"\tx", "\"\tx\""}, {"\"x\"", "\"\"x\"\""}, {"'x'", "\"'x'\""}, {"\"x", "\"x"}};
    for (const auto& [value, line] : cases) {
        ASSERT_NE(WriteIni("Settings", "LastDir", value, dir / "a.ini"), 0);
        EXPECT_EQ(test::ReadFile(dir / "a.ini"), Lines({"[Settings]", "LastDir=" + line}));
        EXPECT_EQ(GetIni("Settings", "LastDir", dir / "a.ini"), value);
    }
}

TEST(WriteIni, AFailedWriteGivesZeroWithoutADialogAndChangesNothing)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser;
    test::TempDir dir;
    std::string file = dir / "a.ini";
    const std::string before = Lines({"[Settings]", "LastDir=/x"});
    test::WriteFile(file, before);
    std::vector<std::array<std::string, 4>> cases = {
        {dir / "missing/a.ini", "Settings", "LastDir", "/y"},
        {dir.Path(), "Settings", "LastDir", "/y"},  // a folder stands under the name
        // A folder name may hold line breaks; written raw they would plant keys and sections.
        {file, "Settings", "LastDir", "/y\r\n[Evil]\r\nKey=1"},
        {file, "Settings", "LastDir", "/y\nLastDir=/z"},
        {file, "Settings", "LastDir", std::string("/y\0z", 4)},
        {file, "Settings", "Last=Dir", "/y"},
        {file, "Settings", " ;LastDir", "/y"},
        {file, "Settings", "   ", "/y"},
        {file, "Sett]ings", "LastDir", "/y"},
        {file, "", "LastDir", "/y"},
    };
    for (const auto& [path, section, key, value] : cases) {
        EXPECT_EQ(WriteIni(section, key, value, path), 0) << path << " " << key;
        EXPECT_EQ(test::ReadFile(file), before);
        EXPECT_EQ(dir.Entries(), std::vector<std::string> {"a.ini"});
    }
    EXPECT_TRUE(chooser.calls.empty());
}

TEST(WriteIni, ReplacesTheFileWholeKeepingItsModeAndLink)
{
    test::TempDir dir;
    ::mkdir((dir / "real").c_str(), 0755);
    std::string target = dir / "real/settings.ini";
    test::WriteFile(target, Lines({"[Settings]", "LastDir=/x"}));
    ::chmod(target.c_str(), 0600);
    ::symlink(target.c_str(), (dir / "a.ini").c_str());
    for (const char* value : {"1", "22"})
        ASSERT_NE(WriteIni("Settings", "WindowTop", value, dir / "a.ini"), 0);

    EXPECT_EQ(test::ReadFile(target), Lines({"[Settings]", "LastDir=/x", "WindowTop=22"}));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "a.ini"));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "real"), {}), 1);
}

TEST(GIandWI, UseTheFileNamedAfterTheProgramOnceWorkedOut)
{
    test::TempDir dir;
    std::vector<std::pair<std::string, std::string>> names = {
        {"Stellmark", "Stellmark.ini"}, {"Stellmark.bin", "Stellmark.ini"}, {"a.b.c", "a.b.ini"}};
    for (const auto& [program, ini] : names) {
        test::ScopedProgramFile file(dir.Path(), program);
        EXPECT_EQ(GetIniFile(), dir / ini) << program;
    }
    ResetIniFileForTests();
    {
        test::ScopedProgramFile file(dir.Path(), "Stellmark");
        EXPECT_NE(WI("Settings", "LastDir", "/home/u"), 0);
        EXPECT_EQ(test::ReadFile(dir / "Stellmark.ini"), Lines({"[Settings]", "LastDir=/home/u"}));
    }
    {
        // Renaming the program file counts from the next run: the path is worked out once.
        test::ScopedProgramFile file(dir.Path(), "Umbenannt");
        EXPECT_EQ(GI("settings", "lastdir"), "/home/u");
        ResetIniFileForTests();
        EXPECT_EQ(GI("Settings", "LastDir"), "");
        EXPECT_NE(WI("Settings", "WindowTop", "15"), 0);
    }
    EXPECT_EQ(test::ReadFile(dir / "Umbenannt.ini"), Lines({"[Settings]", "WindowTop=15"}));
    ResetIniFileForTests();
}

TEST(IniTrace, EachFunctionReportsItsParametersInDeclarationOrder)
{
    test::TempDir dir;
    test::ScopedProgramFile program(dir.Path(), "Stellmark");
    std::string f = dir / "x.ini";
    struct Case {
        std::function<void()> call;
        std::string signature;
        std::vector<std::string> params;
    };
    std::vector<Case> cases = {
        {[&] { GetIni("S", "K", f); },
         "GetIni(Bereich As String, Eintrag As String, File As String) As String",
         {"\tBereich:\tS", "\tEintrag:\tK", "\tFile:\t" + f}},
        {[&] { WriteIni("S", "K", "V", f); },
         "WriteIni(Bereich As String, Eintrag As String, Wert As String, File As String) As Long",
         {"\tBereich:\tS", "\tEintrag:\tK", "\tWert:\tV", "\tFile:\t" + f}},
        {[&] { GI("S", "K"); }, "GI(Bereich As String, Eintrag As String) As String",
         {"\tBereich:\tS", "\tEintrag:\tK"}},
        {[&] { WI("S", "K", "V"); },
         "WI(Bereich As String, Eintrag As String, Wert As String) As Long",
         {"\tBereich:\tS", "\tEintrag:\tK", "\tWert:\tV"}},
        {[&] { GetIniFile(); }, "GetIniFile() As String", {}},
    };
    for (const auto& c : cases) {
        test::ResetPanne();
        ResetIniFileForTests();
        c.call();
        // GI and WI call further traced functions, so their own lines need not be on top.
        const auto& lines = frmPanne::Instance().lstCallStack();
        std::string signature = "[wsFiles] Public Function " + c.signature;
        auto entry = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.size() > 9 && l.substr(9) == signature;
        });
        ASSERT_NE(entry, lines.end()) << signature;
        std::vector<std::string> below;
        for (auto it = entry + 1; it != lines.end() && (*it)[0] == '\t'; ++it)
            below.push_back(*it);
        EXPECT_EQ(below, c.params) << signature;
    }
    ResetIniFileForTests();
}
