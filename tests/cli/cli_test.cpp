#include <gtest/gtest.h>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "DemoImages.h"
#include "Process.h"
#include "StellmarkVersion.h"
#include "TestSupport.h"
#include "modMain.h"

using namespace stellmark;

namespace {
class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* sub : {"data", "none", "out"})
            ::mkdir((dir / sub).c_str(), 0755);
        test::ResetPanne(), data = test::InstallDataFiles(dir / "data");
        for (const auto& image : demo::WriteDemoImages(dir / "img"))
            images[image.expectedClass] = image.path;
    }
    test::ProcessResult Cmd(std::vector<std::string> args, const std::string& dataDir = "data")
    {
        return args.insert(args.begin(), {STELLMARK_CLI, "--data-dir", dir / dataDir}), test::RunProcess(args);
    }
    std::string Out(const std::string& name) { return dir / ("out/" + name); }
    test::TempDir dir;
    test::DataFiles data;
    std::map<int, std::string> images;
};
const std::string EX = "Experte - auszulesenden Bereich angeben";
}  // namespace

TEST_F(Cli, InfoCramfsHelpVersionAndTheMissingDataFiles) {
    auto r = Cmd({"info", images[21]});
    EXPECT_EQ(r.exitCode + r.err.size(), 0u);
    EXPECT_EQ(r.out, "1x ohne Bootloader\n0x007E0000 [8257536] Bytes\n2x ohne Bootloader erzeugen\n1x mit Bootloader erzeugen\n"
                     "2x mit Bootloader erzeugen\n1x extrahieren\n" + EX + "\nroot [CramFS] extrahieren\nroot [CramFS] einfügen\n");
    // Without data files the class is unknown, and the tool says why, once; the expert action still works.
    r = Cmd({"info", images[12]}, "none");
    EXPECT_EQ(r.out, "kein gültiges Image\n0x00800000 [8388608] Bytes\n");
    EXPECT_EQ(r.err, "Die folgende(n) Datei(en)\n\n1zu2.dat\n2zu1.dat\nboot.dat\n\nkonnten nicht gefunden werden!\n");
    EXPECT_EQ(Cmd({"run", EX, images[22], Out("e"), "--start", "16", "--end", "0x20"}, "none").exitCode, 0);
    EXPECT_EQ(test::ReadFile(Out("e")), test::ReadFile(images[22]).substr(16, 16));
    test::WriteFile(dir / "fits", std::string(0x600000, 'c')), test::WriteFile(dir / "big", std::string(0x600001, 'c'));
    r = Cmd({"cramfs", dir / "fits"});
    EXPECT_EQ(std::to_string(r.exitCode) + r.out, "00x00600000 [6291456] Bytes - im Limit!\n");
    r = Cmd({"cramfs", dir / "big"});
    EXPECT_EQ(std::to_string(r.exitCode) + r.out, "10x00600001 [6291457] Bytes - zu groß!\n");
    EXPECT_EQ(Cmd({"cramfs", dir / "nothing"}).exitCode, 3);
    r = Cmd({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    for (const char* text : {"1x ohne Bootloader erzeugen", "ppcboot einfügen", "root [CramFS] einfügen", "idxfs extrahieren"})
        EXPECT_NE(r.out.find(std::string("  ") + text + "\n"), std::string::npos) << text;
    r = Cmd({"--version"});
    EXPECT_EQ(std::to_string(r.exitCode) + r.out + r.err, "0stellmark-cli " STELLMARK_VERSION "\n");
}

TEST_F(Cli, RefusalsWriteNothingAndSayWhy) {
    test::WriteFile(Out("existing"), "keep");
    struct Case { std::vector<std::string> args; std::string dataDir; int code; std::string errEnd; };
    std::vector<Case> cases = {
        {{"run", "BR Bootloader extrahieren", images[21], Out("x")}, "data", 1, "Dieses Image besitzt keinen Bootloader!\n"},
        {{"run", "var [JFFS2] einfügen", images[21], Out("x")}, "data", 1, "Funktion noch nicht vorhanden\n"},
        {{"run", EX, images[21], Out("x"), "--start", "5", "--end", "5"}, "data", 1,
         "Die angegebene Größe kann nicht verarbeitet werden.\nBitte die Angaben prüfen\n"},
        {{"run", EX, images[21], Out("x"), "--start", "0", "--end", "0x007E0001"}, "data", 1, "Bitte die Angaben prüfen\n"},
        {{"run", "1x extrahieren", images[21], images[21], "--force"}, "data", 1, "Bitte anderen Dateinamen angeben!\n"},
        {{"run", "1x extrahieren", images[21], Out("existing")}, "data", 1, "Zum Überschreiben --force angeben.\n"},
        {{"run", "1x extrahieren", images[21], Out("x")}, "none", 1, "möglich ist nur \"" + EX + "\".\n"},
        {{"run", "1x Extrahieren", images[21], Out("x")}, "data", 2, "Hilfe: stellmark-cli --help\n"},
        {{"run", "1x extrahieren", images[21], Out("x"), "--start", "1"}, "data", 2, "--help\n"},
        {{"run", "1x extrahieren", images[21]}, "data", 2, "--help\n"}, {{"frobnicate"}, "data", 2, "--help\n"},
    };
    for (const auto& c : cases) {
        auto r = Cmd(c.args, c.dataDir);
        EXPECT_EQ(r.exitCode, c.code) << c.args[1] << r.err;
        EXPECT_TRUE(r.err.ends_with(c.errEnd)) << r.err;
        EXPECT_EQ(test::ReadFile(Out("existing")), "keep");
        EXPECT_FALSE(test::Exists(Out("x")));
    }
}

TEST_F(Cli, ForceReplacesAndFailuresLeaveNoFile) {
    test::WriteFile(Out("existing"), std::string(0x900000, 'x'));
    EXPECT_EQ(Cmd({"run", "2x mit Bootloader erzeugen", images[11], Out("existing"), "--force"}).exitCode, 0);
    EXPECT_TRUE(test::ReadFile(Out("existing")) == data.boot + data.f1zu2 + test::ReadFile(images[11]).substr(0x40000));
    auto r = Cmd({"run", "1x extrahieren", images[21], dir / "out/missing/folder.img"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.ends_with("Fehler 76 (Pfad nicht gefunden) in modMain.CopyFile, Zeile " +
                                r.err.substr(r.err.rfind(' ') + 1))) << r.err;
    EXPECT_EQ(Cmd({"run", "1x extrahieren", dir / "gone.img", Out("y")}).exitCode, 3);
    EXPECT_EQ(dir.Entries().size(), 4u);  // data, none, img, out and nothing new
    EXPECT_EQ(test::RunProcess({"/bin/ls", "-A", dir / "out"}).out, "existing\n");
}

