// The command-line tool as a shell user meets it: argument forms, actions by name and per image
// class, its answers and exit codes, the summary, the JSON and the CramFS check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "generated/StellmarkVersion.h"
#include "cli/Table.h"
#include "cli/Commands.h"
#include "cli/Progress.h"
#include "tests/cli/CliTest.h"

using namespace stellmark;

namespace {
using test::EX;
const std::string NA = "stellmark-cli: Funktion noch nicht vorhanden\n";
using Cli = test::CliTest;

// A CramFS made by the system's own tool from a small tree, in the given byte order.
std::string MakeCramfs(const std::string& dir, const std::string& name, const char* order,
                       std::size_t randomBytes)
{
    std::string tree = dir + "/tree-" + name, image = dir + "/" + name;
    ::mkdir(tree.c_str(), 0755);
    test::WriteFile(tree + "/liesmich", "Hallo Box\n");
    test::WriteFile(tree + "/zufall", test::Pattern(randomBytes, 5));
    auto r = test::RunProcess({"/sbin/mkfs.cramfs", "-N", order, tree, image});
    return r.exitCode == 0 ? image : "";
}

// The keys of every object in `j` by path (the top is "", an array stands for its first element),
// so that a key renamed, dropped or added shows; what the values are is the rows' business.
std::map<std::string, std::string> Keys(const nlohmann::json& j, const std::string& at = "")
{
    if (j.is_array())
        return j.empty() ? std::map<std::string, std::string>{} : Keys(j[0], at + "[]");
    std::map<std::string, std::string> keys;
    if (!j.is_object())
        return keys;
    for (const auto& [key, value] : j.items()) {
        keys[at] += key + " ";
        keys.merge(Keys(value, at + "." + key));
    }
    return keys;
}
}  // namespace

TEST_F(Cli, EveryOptionFormActionNameAndUsageError)
{
    test::WriteFile(dir / "--x.img", test::ReadFile(images[21]));
    const std::string D = dir / "data", I = images[21];
    // args: the whole call (no --data-dir added); want: the start of standard output where the
    // call succeeds, else the end of standard error
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string want{};
    };
    // A usage error's last lines: what is wrong and where the help is.
    auto usage = [](const std::string& what, const std::string& command = "") {
        return what + "\nHilfe: stellmark-cli " + (command.empty() ? "" : command + " ") + "--help\n";
    };
    auto inRun = [&](const std::string& what) { return usage(what, "run"); };
    const std::string info = "1x ohne Bootloader\n";
    const std::vector<Case> cases = {
        {{"--data-dir", D, "info", I}, 0, info},
        {{"info", I, "--data-dir", D}, 0, info},
        {{"info", "--data-dir=" + D, I}, 0, info},
        {{"--data-dir", D, "info", "--", "--x.img"}, 0, info},
        {{"run", "--data-dir", D, "bereich", "--start=0x10", I, "--end", "0x20", "out/a"},
         0,
         "geschrieben: 'out/a' 0x00000010 [16] Bytes\n"},
        {{"--data-dir", D, "run", "-q", "1x-block", "--", "--x.img", "out/b"}, 0, ""},
        {{"--data-dir", D, "run", "2x-ohne", "--", "--x.img", "--y.img"},
         0,
         "geschrieben: '--y.img' 0x007E0000 [8257536] Bytes, 2x ohne Bootloader\n"},
        // A command's help wherever -h stands (the texts themselves are the help's, not the test's).
        {{"-h", "run"}, 0, "Aufruf: stellmark-cli run"},
        {{"--help"}, 0, "Aufruf: stellmark-cli [OPTIONEN] BEFEHL"},
        {{"--version"}, 0, "stellmark-cli " STELLMARK_VERSION "\nLizenz GPLv3+: GNU GPL"},
        {{"info", I, "--frob"}, 2, usage("unbekannte Option --frob")},
        {{"-x", "info", I}, 2, usage("unbekannte Option -x")},
        {{"info", I, "--x=y"}, 2, usage("unbekannte Option --x")},
        {{"info", I, "--data-dir"}, 2, usage("Option --data-dir braucht einen Wert")},
        {{}, 2, usage("kein Befehl angegeben")},
        {{"frobnicate"}, 2, usage("unbekannter Befehl frobnicate")},
        {{"info"}, 2, usage("info braucht mindestens eine DATEI", "info")},
        {{"info", I, "--force"}, 2, usage("gelten nur für run", "info")},
        {{"karte", I, I}, 2, usage("karte braucht genau eine DATEI", "karte")},
        {{"run", "bereich", I}, 2, inRun("run braucht AKTION, QUELLE und AUSGABE")},
        {{"run", "bereich", I, ""}, 2, inRun("AUSGABE ist leer")},
        // A message of the operations loses its CR LF ends.
        {{"--data-dir", D, "run", "1x-block", I, I},
         1,
         "selbst gespeichert werden!\nBitte anderen Dateinamen angeben!\n"},
        {{"run", "1x-block", I, "out/c", "--start", "1"},
         2,
         inRun("--start und --end gelten nur für bereich")},
        {{"run", "bereich", I, "out/d", "--json"},
         2,
         inRun("--json gilt nur für info, cramfs, inhalt und karte")},
        // Actions by short name or full text in any letter case; a near miss gets a suggestion.
        {{"--data-dir", D, "run", "1X-BLOCK", I, "out/n1"}, 0},
        {{"--data-dir", D, "run", "Bereich", I, "out/n2"}, 0},
        {{"--data-dir", D, "run", "1x extrahieren", I, "out/n3"}, 0},
        {{"run", "1x-blok", I, "out/n"}, 2, inRun("\"1x-blok\". Meinten Sie 1x-block (1x extrahieren)?")},
        {{"run", "1x-blk", I, "out/n"}, 2, inRun("\"1x-blk\". Meinten Sie 1x-block (1x extrahieren)?")},
        {{"run", "1x Extrahieren", I, "out/n"},
         2,
         inRun("\"1x Extrahieren\". Meinten Sie 1x-block (1x extrahieren)?")},
        {{"run", "root-einfügen", I, "out/n"},
         2,
         inRun("Meinten Sie root-einfuegen (root [CramFS] einfügen)?")},
        {{"run", "quatsch", I, "out/n"}, 2, inRun("unbekannte Aktion \"quatsch\".")},
        // A name behind seven extra letters is no near miss.
        {{"run", "quatschbereich", I, "out/n"}, 2, inRun("unbekannte Aktion \"quatschbereich\".")},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), STELLMARK_CLI);
        auto r = test::RunProcess(args, dir.Path());
        std::string call;
        for (const auto& a : c.args)
            call += a + " ";
        EXPECT_EQ(r.exitCode, c.code) << call << r.err;
        EXPECT_TRUE(c.code == 0 ? r.out.starts_with(c.want) : r.err.ends_with(c.want)) << call << "\n"
                                                                                       << r.out << r.err;
        EXPECT_EQ(c.code == 2 ? r.err.rfind("stellmark-cli: ", 0) : 0u, 0u) << r.err;
    }
    // Every help ends with where to report bugs and describes --json alike where the command takes
    // it; the demo writer answers options too.
    std::string json;
    for (std::string command : {"", "info", "run", "cramfs", "inhalt", "karte"}) {
        auto r = test::RunProcess({STELLMARK_CLI, command, "--help"});
        EXPECT_TRUE(r.out.ends_with("\nFehler melden: <https://github.com/stellmark/stellmark/issues>\n"))
            << r.out;
        auto at = r.out.find("\n  --json");
        std::string line = at == std::string::npos ? "" : r.out.substr(at, r.out.find('\n', at + 1) - at);
        json = json.empty() ? line : json;
        EXPECT_TRUE(line.empty() || line == json) << command << line;
    }
    // The general help lists commands with their operands and options with their values in columns.
    const std::string help = test::RunProcess({STELLMARK_CLI, "--help"}).out;
    for (const char* row :
         {"\nBefehle:\n  info DATEI...               Art,", "\n  karte DATEI                 die",
          "Optionen (vor oder hinter dem Befehl; -- beendet die Optionen):\n  --data-dir ORDNER   "
          "Datendateien",
          "\n  -v, --ausfuehrlich  bei einem Fehler"})
        EXPECT_NE(help.find(row), std::string::npos) << row;
    auto demo = test::RunProcess({STELLMARK_DEMO, "--help"}, dir.Path());
    EXPECT_TRUE(demo.exitCode == 0 && demo.out.starts_with("Aufruf: stellmark-demo") &&
                !test::Exists(dir / "--help"));
    EXPECT_TRUE(test::ReadFile(dir / "out/b") == test::ReadFile(images[21]).substr(0, 0x20000));
    EXPECT_FALSE(test::Exists(dir / "out/c") || test::Exists(dir / "out/d") || test::Exists(dir / "out/n"));
}

TEST_F(Cli, EachClassOffersTheWindowsListEveryOtherActionIsRefusedAndSomeAreNotYetThere)
{
    // A refusal names the class and what the window's list offers, in its order (the lists
    // themselves are the operations tests' business). Those not yet there say so on any class.
    const std::map<int, std::string> offered = {
        {11, "1x mit Bootloader) nicht möglich.\nMöglich: 1x-ohne, 2x-ohne, 2x-mit, 1x-block, bootloader, "
             "bereich, root, root-einfuegen"},
        {0, "kein gültiges Image) nicht möglich.\nMöglich: bereich"}};
    enum Verdict { Written, Refused, NotYetThere };
    // named: how a refusal names the action
    struct Case {
        int cls;
        std::string action;
        Verdict verdict;
        std::string named = {};
    };
    const std::vector<Case> cases = {
        {11, "BR Bootloader extrahieren", Written},
        {11, "2x extrahieren", Refused, "2x-block (2x extrahieren)"},
        {11, "idxfs extrahieren", Refused, "\"idxfs extrahieren\""},  // never offered
        {11, "var [JFFS2] einfügen", NotYetThere},
        {0, EX, Written},
        {0, "root [CramFS] extrahieren", Refused, "root (root [CramFS] extrahieren)"},
        {0, "var [JFFS2] extrahieren", NotYetThere},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action + " on class " + std::to_string(c.cls));
        const std::string out = Out("r.img");
        ::unlink(out.c_str());
        auto r = Cmd({"run", c.action, images[c.cls], out});
        const std::string err = c.verdict == Written ? ""
                                : c.verdict == NotYetThere
                                    ? NA
                                    : "stellmark-cli: " + c.named + " ist für '" + images[c.cls] + "' (" +
                                          offered.at(c.cls) + "\n";
        EXPECT_EQ(std::to_string(r.exitCode) + r.err, (c.verdict == Written ? "0" : "1") + err);
        EXPECT_EQ(r.out.starts_with("geschrieben: '" + out + "' "), c.verdict == Written) << r.out;
        EXPECT_EQ(test::Exists(out), c.verdict == Written);
    }
}

TEST_F(Cli, AnswersNameThePathAndTheSummarySaysWhatWasWritten)
{
    // Failures: what could not be done to which path; where in the program only with -v.
    auto r = Cmd({"run", "1x-block", images[21], "out/missing/folder.img"});
    EXPECT_EQ(std::to_string(r.exitCode) + r.err, "3stellmark-cli: 'out/missing/folder.img' kann nicht "
                                                  "geschrieben werden: Pfad nicht gefunden (Fehler 76)\n");
    r = Cmd({"run", "-v", "1x-block", images[21], "out/missing/folder.img"});
    EXPECT_TRUE(r.err.find("(Fehler 76)\n  in modMain.CopyFile, Zeile ") != std::string::npos) << r.err;
    r = Cmd({"info", "gone.img"});
    EXPECT_EQ(std::to_string(r.exitCode) + r.err,
              "3stellmark-cli: 'gone.img' kann nicht gelesen werden: Datei nicht gefunden (Fehler 53)\n");

    // Missing data files: the folder searched and how to point elsewhere; info cannot classify.
    const std::string folderHint =
        "stellmark-cli: im Ordner '" + dir / "none/" +
        "' fehlen die Datendateien 1zu2.dat, 2zu1.dat, "
        "boot.dat.\nMit --data-dir ORDNER lässt sich der Ordner angeben, in dem sie liegen.\n";
    r = Cmd({"info", images[12]}, "none");
    EXPECT_EQ(std::to_string(r.exitCode) + r.err, "1" + folderHint);
    EXPECT_TRUE(r.out.starts_with(
        "Art unbekannt, die Datendateien fehlen\n0x00800000 [8388608] Bytes\n  bereich         Experte"))
        << r.out;
    r = Cmd({"run", "2x-mit", images[12], Out("x")}, "none");
    EXPECT_EQ(std::to_string(r.exitCode) + r.err, "1" + folderHint +
                                                      "stellmark-cli: ohne sie ist die Art von '" +
                                                      images[12] + "' unbekannt; möglich ist nur bereich.\n");
    EXPECT_EQ(
        Cmd({"run", "bereich", images[22], Out("e"), "--start", "16", "--end", "0x20"}, "none").exitCode, 0);
    EXPECT_EQ(test::ReadFile(Out("e")), test::ReadFile(images[22]).substr(16, 16));

    // The summary, and a warning when a build is not what it should be (data files swapped).
    r = Cmd({"run", "1x-ohne", images[22], Out("built")});
    EXPECT_EQ(std::to_string(r.exitCode) + r.out,
              "0geschrieben: '" + Out("built") + "' 0x007E0000 [8257536] Bytes, 1x ohne Bootloader\n");
    test::WriteFile(dir / "data/2zu1.dat", data.f1zu2);  // the 2x block twice: every image reads as 2x
    r = Cmd({"run", "1x-ohne", images[22], Out("swapped")});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_EQ(r.out,
              "geschrieben: '" + Out("swapped") + "' 0x007E0000 [8257536] Bytes, 2x ohne Bootloader\n");
    EXPECT_EQ(r.err, "stellmark-cli: Warnung: '" + Out("swapped") +
                         "' ist kein \"1x ohne Bootloader\", sondern \"2x ohne Bootloader\". "
                         "Die Datendateien in '" +
                         dir / "data/" + "' sind vertauscht oder falsch.\n");

    // Standard output that cannot be written: a message and a failure, as the core utilities do.
    // The pipe's reader has ended (waited for) before the tool starts, however loaded the machine.
    for (const char* call :
         {"\"$0\" --help >/dev/full", "exec 3> >(true); wait $!; exec \"$0\" --help >&3"}) {
        r = test::RunProcess({"/bin/bash", "-c", call, STELLMARK_CLI});
        EXPECT_TRUE(r.err.starts_with("stellmark-cli: Schreibfehler auf der Standardausgabe: "))
            << call << r.err;
    }
    EXPECT_EQ(test::RunProcess({"/bin/sh", "-c", "\"$0\" --help >/dev/full; echo $?", STELLMARK_CLI}).out,
              "3\n");
    // An output written in full, only the summary lost: its own exit code.
    r = test::RunProcess({"/bin/sh", "-c", "\"$0\" run bereich \"$1\" \"$2\" >/dev/full; echo $?",
                          STELLMARK_CLI, images[0], Out("full")});
    EXPECT_EQ(r.out, "5\n");
    EXPECT_TRUE(test::ReadFile(Out("full")) == test::ReadFile(images[0]));

    // What stands where a file is wanted is named; positions past 32 bits on a file of 5 GiB; names
    // that are no UTF-8 stay readable in JSON.
    ::mkfifo((dir / "fifo").c_str(), 0644);
    ::mkdir((dir / "odd").c_str(), 0755);
    ::mkdir((dir / "odd/1zu2.dat").c_str(), 0755);
    test::WriteFile(dir / "5g", "");
    ASSERT_EQ(::truncate((dir / "5g").c_str(), 0x140000000LL), 0);
    const std::string latin1 = "M\xFCll";
    ::mkdir((dir / latin1).c_str(), 0755);
    test::WriteFile(dir / (latin1 + "/a.img"), test::ReadFile(images[22]));
    for (const char* name : {"1zu2.dat", "2zu1.dat", "boot.dat"})
        test::WriteFile(dir / (latin1 + "/" + name), test::ReadFile(dir / ("data/" + std::string(name))));
    struct Case {
        std::vector<std::string> args;
        std::string dataDir, codeAndErr, out = "";
    };
    const std::vector<Case> cases = {
        {{"info", dir / "img"}, "data", "3stellmark-cli: '" + dir / "img" + "' ist ein Ordner.\n"},
        {{"run", "bereich", "fifo", Out("f")},
         "data",
         "3stellmark-cli: 'fifo' ist keine normale Datei (eine benannte Pipe (FIFO)).\n"},
        {{"info", images[22]},
         "odd",
         "1stellmark-cli: im Ordner '" + dir / "odd/" + "' fehlen die Datendateien 2zu1.dat, boot.dat.\n'" +
             dir /
                 "odd/1zu2.dat' ist ein Ordner.\nMit --data-dir ORDNER lässt sich der Ordner angeben, in dem "
                 "sie liegen.\n"},
        {{"run", "bereich", "5g", Out("tail"), "--start", "0x13FFFFFF0"}, "data", "0", "geschrieben: '"},
        {{"run", "bereich", "5g", Out("over"), "--end", "0x140000001"},
         "data",
         "1stellmark-cli: Die angegebene"},
        {{"info", "--json", latin1 + "/a.img"}, latin1, "0", "{\n  \"file\": \"M\xEF\xBF\xBDll/a.img\""},
    };
    for (const auto& c : cases) {
        r = Cmd(c.args, c.dataDir);
        EXPECT_TRUE((std::to_string(r.exitCode) + r.err).starts_with(c.codeAndErr)) << c.args[1] << "\n"
                                                                                    << r.err;
        EXPECT_TRUE(r.out.starts_with(c.out)) << r.out;
    }
    EXPECT_EQ(test::ReadFile(Out("tail")), std::string(16, '\0'));
    EXPECT_FALSE(test::Exists(Out("over")));
}

TEST_F(Cli, CramfsVerdictsForWhatTheSystemToolMakesAndBreaks)
{
    const std::string big = MakeCramfs(dir.Path(), "big.cramfs", "big", 50000),
                      little = MakeCramfs(dir.Path(), "little.cramfs", "little", 50000),
                      huge = MakeCramfs(dir.Path(), "huge.cramfs", "big", 0x680000);
    ASSERT_FALSE(big.empty() || little.empty() || huge.empty()) << "mkfs.cramfs failed";
    const std::string bytes = test::ReadFile(big), flipped = dir / "flipped.cramfs",
                      truncated = dir / "truncated.cramfs", text = dir / "text.cramfs";
    std::string changed = bytes;
    changed[bytes.size() / 2] ^= 0x01;
    test::WriteFile(flipped, changed);
    test::WriteFile(truncated, bytes.substr(0, bytes.size() - 4096));
    test::WriteFile(text, "kein CramFS\n");
    const std::string size = [&] {
        char t[64];
        std::snprintf(t, sizeof t, "0x%08zX [%zu] Bytes", bytes.size(), bytes.size());
        return std::string(t);
    }();
    // Beyond the 32 bits of a size: too large, never a failure.
    for (auto [name, size] : {std::pair{"2g", 0x80000000LL}, std::pair{"5g", 0x140000000LL}}) {
        test::WriteFile(dir / name, "");
        ASSERT_EQ(::truncate((dir / name).c_str(), size), 0);
    }
    // fsck: what the system's checker says; lines: the findings after the size verdict, the end of
    // whose line is `first`
    struct Case {
        std::string file;
        int code;
        bool fsck;
        std::vector<std::string> lines;
        std::string first = "- im Limit!";
    };
    const std::string signature = "Signatur: \"Compressed ROMFS\"", ok = "CRC32: in Ordnung",
                      all = "Inhalt: 2 Einträge, alle Blöcke entpackt", unchecked = "CRC32: nicht prüfbar",
                      pastEnd = "Fehler: Block von '/zufall' reicht hinter das Ende",
                      fits = "Größe laut Superblock: " + size + " - im Limit!";
    // The first findings of a file system in the box's byte order, then `rest`.
    auto boxOrder = [&](std::vector<std::string> rest, const std::string& stated) {
        rest.insert(rest.begin(), {"CramFS: ja, big-endian (wie die Box)", signature, stated});
        return rest;
    };
    const std::vector<Case> cases = {
        {big, 0, true, boxOrder({ok, all}, fits)},
        {little, 0, true, {"CramFS: ja, little-endian", signature, fits, ok, all}},
        {flipped, 1, false, boxOrder({"CRC32: falsch (gespeichert ", "Fehler: Block von '/zufall' "}, fits)},
        {truncated, 1, false, boxOrder({"Vollständig: nein, nur ", unchecked, pastEnd}, fits)},
        {huge, 1, true,
         boxOrder({"Vollständig: nein, nur 0x00600000 [6291456] Bytes vorhanden", unchecked, pastEnd},
                  "Größe laut Superblock: 0x00"),
         "- zu groß!"},
        {text, 1, false, {"CramFS: nein, keine CramFS-Kennung gefunden"}},
        {dir / "2g", 1, false, {"CramFS: nein"}, "0x80000000 [2147483648] Bytes - zu groß!"},
        {dir / "5g", 1, false, {"CramFS: nein"}, "0x140000000 [5368709120] Bytes - zu groß!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(test::RunProcess({"/sbin/fsck.cramfs", c.file}).exitCode == 0, c.fsck);
        auto r = Cmd({"cramfs", c.file});
        EXPECT_EQ(r.exitCode, c.code);
        std::vector<std::string> lines;
        std::istringstream in(r.out);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        ASSERT_EQ(lines.size(), c.lines.size() + 1) << r.out;
        EXPECT_TRUE(lines[0].ends_with(c.first) && r.err.empty()) << lines[0] << r.err;
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_TRUE(lines[i + 1].starts_with(c.lines[i])) << lines[i + 1];
    }
    // In an image's root area (where it lies in each class is the layout's, which the operations
    // tests check): a sound file system, then one byte flipped inside it.
    std::string image = test::ReadFile(images[22]);
    image.replace(0x20000, bytes.size(), bytes);
    test::WriteFile(Out("with-root.img"), image);
    auto r = Cmd({"info", Out("with-root.img")});
    EXPECT_NE(r.out.find("Root-Bereich 0x00020000 bis 0x0061FFFF:\n  CramFS: ja, big-endian (wie die Box)\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("  CRC32: in Ordnung"), std::string::npos) << r.out;
    image[0x20000 + 1000] ^= 0x40;
    test::WriteFile(Out("with-root.img"), image);
    EXPECT_NE(Cmd({"info", Out("with-root.img")}).out.find("  CRC32: falsch"), std::string::npos);
}

TEST_F(Cli, JsonOfInfoAndCramfsKeepsItsKeys)
{
    const std::map<std::string, std::string> info = {{"", "actions class data_files file root_cramfs size "},
                                                     {".actions[]", "short text "},
                                                     {".class", "code text "},
                                                     {".data_files", "folder found missing "},
                                                     {".size", "bytes text "}},
                                             cramfs = {{"", "cramfs file fits size verdict "},
                                                       {".size", "bytes text "}};
    // The found file system's keys, under `at`.
    auto with = [](std::map<std::string, std::string> keys, const std::string& at) {
        keys[at] =
            "available big_endian complete crc entries fault fits flags found full_check holes intact lines "
            "offset signature sound stated_size unknown_flags ";
        keys[at + ".crc"] = "checked computed ok present stored ";
        return keys;
    };
    struct Case {
        std::vector<std::string> args;
        std::string dataDir;
        std::map<std::string, std::string> keys;
    };
    const std::string little = MakeCramfs(dir.Path(), "l.cramfs", "little", 1000);
    const std::vector<Case> cases = {
        {.args = {"info", "--json", images[11]}, .dataDir = "data", .keys = with(info, ".root_cramfs")},
        {.args = {"info", "--json", images[0]}, .dataDir = "data", .keys = info},
        {.args = {"info", "--json", images[21]}, .dataDir = "none", .keys = info},
        {.args = {"cramfs", "--json", little}, .dataDir = "data", .keys = with(cramfs, ".cramfs")},
        {.args = {"cramfs", "--json", images[22]}, .dataDir = "data", .keys = with(cramfs, ".cramfs")},
    };
    for (const auto& c : cases) {
        auto j = nlohmann::json::parse(Cmd(c.args, c.dataDir).out, nullptr, false);
        EXPECT_EQ(Keys(j), c.keys) << c.args[2];
    }
    auto j = nlohmann::json::parse(Cmd({"info", "--json", images[22]}).out);
    EXPECT_EQ(j["class"]["code"], 22);
    EXPECT_EQ(j["actions"][3]["short"], "2x-block");
    EXPECT_EQ(j["size"]["bytes"], 0x7E0000);
    EXPECT_EQ(j["root_cramfs"]["found"], false);
    j = nlohmann::json::parse(Cmd({"info", "--json", images[22]}, "none").out);
    EXPECT_EQ(j["class"]["code"], nullptr);
    EXPECT_EQ(j["data_files"]["missing"].size(), 3u);
    j = nlohmann::json::parse(Cmd({"cramfs", "--json", little}).out);
    EXPECT_EQ(j["cramfs"]["crc"]["ok"], true);
    EXPECT_EQ(j["cramfs"]["big_endian"], false);
    j = nlohmann::json::parse(Cmd({"cramfs", "--json", images[22]}).out);  // none found: nothing stated
    EXPECT_EQ(j["cramfs"]["stated_size"], 0);
    EXPECT_EQ(j["cramfs"]["crc"]["computed"], 0);
}

TEST_F(Cli, TheManualPageAndTheCompletionFollowTheCommandTable)
{
    const std::string page = std::string(STELLMARK_PACKAGING) + "/stellmark-cli.1",
                      completion = std::string(STELLMARK_PACKAGING) + "/stellmark-cli.bash";
    // The page sets without a warning (that it is installed and shows is the install check's),
    // names every command and option of the table, and its table of actions is the tool's own list.
    EXPECT_EQ(test::RunProcess({"/usr/bin/groff", "-k", "-man", "-Tutf8", "-ww", "-z", page}).err, "");
    const std::string text = test::ReadFile(page);
    auto roff = [](std::string_view name) {
        std::string escaped;
        for (char c : name)
            escaped += c == '-' ? std::string("\\-") : std::string(1, c);
        return escaped;
    };
    for (const auto& c : cli::kCommands)
        EXPECT_NE(text.find(".BI " + roff(c.name) + " \""), std::string::npos) << c.name;
    for (const auto& o : cli::kOptions)
        EXPECT_NE(text.find((o.shortName ? std::string("\\-") + o.shortName + " \", \" " : std::string()) +
                            "\\-\\-" + roff(o.name)),
                  std::string::npos)
            << o.name;
    const std::string actions = test::RunProcess({STELLMARK_CLI, "--aktionen"}).out;
    EXPECT_EQ(std::count(actions.begin(), actions.end(), '\n'), 10) << actions;
    EXPECT_NE(text.find(".TS\nl l.\n" + actions + ".TE\n"), std::string::npos) << actions;

    // The completion script is the one the table makes; a changed table leaves the new one here.
    if (test::ReadFile(completion) != cli::CompletionScript()) {
        test::WriteFile("stellmark-cli.bash", cli::CompletionScript());
        ADD_FAILURE() << "the completion differs from the table; the one it makes is in "
                      << std::filesystem::current_path() / "stellmark-cli.bash";
    }
    test::WriteFile(dir / "mit leer.img", "");
    // words: the command line typed so far, the last word being completed; want: the answers
    // joined by "|"
    struct Case {
        std::string words, want;
    };
    const std::vector<Case> cases = {
        {.words = "CLI ''", .want = "info|run|cramfs|inhalt|karte"},
        {.words = "CLI --data-dir /tmp r", .want = "run"},
        {.words = "CLI run 1x-", .want = "1x-ohne|1x-mit|1x-block"},
        {.words = "CLI -f run --start 0 b", .want = "bootloader|bereich"},
        {.words = "CLI --da", .want = "--data-dir"},
        {.words = "CLI info --j", .want = "--json"},
        {.words = "CLI run --j", .want = ""},
        {.words = "CLI info --s", .want = ""},
        {.words = "CLI info mit", .want = "mit leer.img"},
        {.words = "CLI run bereich mit", .want = "mit leer.img"},
        {.words = "CLI --data-dir=no", .want = "--data-dir=none"},
        {.words = "CLI --data-dir = none info mi", .want = "mit leer.img"},
        {.words = "CLI --data-dir = no", .want = "none"},
        {.words = "CLI -- run b", .want = "bootloader|bereich"},
    };
    for (const auto& c : cases) {
        std::string script = "CLI=" + std::string(STELLMARK_CLI) + "; source \"$0\"; COMP_WORDS=(" + c.words +
                             "); COMP_WORDS[0]=$CLI; COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _stellmark_cli; "
                             "IFS='|'; echo \"${COMPREPLY[*]}\"";
        EXPECT_EQ(test::RunProcess({"/bin/bash", "-c", script, completion}, dir.Path()).out, c.want + "\n")
            << c.words;
    }
}

TEST_F(Cli, TheImageBuildersLoopInsertListMapAndManyFiles)
{
    const std::string big = MakeCramfs(dir.Path(), "big.cramfs", "big", 5000),
                      little = MakeCramfs(dir.Path(), "little.cramfs", "little", 5000);
    ASSERT_FALSE(big.empty() || little.empty()) << "mkfs.cramfs failed";
    test::WriteFile(dir / "text", "kein CramFS\n");
    test::WriteFile(dir / "cut.cramfs", test::ReadFile(big).substr(0, 2000));
    const std::string with = Out("with-root.img"), cut = Out("root.cramfs");
    // Insert, cut the root area out again: fsck.cramfs extracts the same tree from both.
    auto r = Cmd({"run", "root-einfuegen", images[12], with, "--cramfs", big});
    EXPECT_EQ(std::to_string(r.exitCode) + r.out,
              "0geschrieben: '" + with + "' 0x00800000 [8388608] Bytes, 2x mit Bootloader\n")
        << r.err;
    ASSERT_EQ(Cmd({"run", "root", with, cut}).exitCode, 0);
    auto fsck = [&](const std::string& file, const std::string& where) {
        ::mkdir((dir / where).c_str(), 0755);
        auto f = test::RunProcess({"/sbin/fsck.cramfs", "-v", "--extract=x", file}, dir / where);
        std::string out = f.out.substr(f.out.find('\n') + 1);      // after the byte order
        out = out.substr(0, out.rfind('\n', out.size() - 2) + 1);  // before "FILE: OK"
        return std::to_string(f.exitCode) + out;
    };
    const std::string extracted = fsck(cut, "a");
    EXPECT_EQ(extracted, fsck(big, "b"));
    EXPECT_TRUE(extracted.starts_with("0") && extracted.ends_with(" x/zufall\n")) << extracted;
    const std::string listing = "drwxr-xr-x     0/0           40 /\n"
                                "-rw-r--r--     0/0           10 /liesmich\n"
                                "-rw-r--r--     0/0         5000 /zufall\n";
    // args: the call; code; out: the start of stdout; err: the end of stderr
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out{}, err{};
    };
    // Inserting `fs` into `source`, written to out/`name`.
    auto insert = [&](const std::string& source, const char* name, const std::string& fs) {
        return std::vector<std::string>{"run", "root-einfuegen", source, Out(name), "--cramfs", fs};
    };
    const std::string help = "\nHilfe: stellmark-cli run --help\n";
    const std::vector<Case> cases = {
        {{"inhalt", big}, 0, listing},
        {{"inhalt", with}, 0, listing},
        {{"inhalt", images[22]}, 1, "", "' enthält im Root-Bereich kein CramFS\n"},
        {{"inhalt", dir / "cut.cramfs"}, 1, listing, "' nicht intakt: unvollständig\n"},
        {{"karte", with},
         0,
         "2x mit Bootloader\n0x00000000 bis 0x0001FFFF  0x00020000 [131072] Bytes  Bootloader: gleich "
         "boot.dat\n0x00020000 bis 0x0003FFFF  0x00020000 [131072] Bytes  Flash-Art-Block: gleich "
         "1zu2.dat (2x)\n0x00040000 bis 0x0063FFFF  0x00600000 [6291456] Bytes  Root-Bereich: CramFS "
         "big-endian, "},
        {{"karte", images[0]}, 1, "", "' ist kein gültiges Image\n"},
        {insert(images[21], "n1", little), 1, "", ": little-endian — mit mkfs.cramfs -N big neu erzeugen\n"},
        {insert(images[0], "n2", big), 1, "", "' ist kein gültiges Image\n"},
        {insert(images[21], "n3", dir / "text"), 1, "",
         "' ist kein intaktes CramFS: keine CramFS-Kennung gefunden\n"},
        {{"run", "root-einfuegen", images[21], Out("n4")},
         2,
         "",
         "root-einfuegen braucht --cramfs DATEI" + help},
        {{"run", "1x-block", images[21], Out("n5"), "--cramfs", big},
         2,
         "",
         "--cramfs gilt nur für root-einfuegen" + help},
        // Several files: blocks headed by the name, the worst exit code.
        {{"cramfs", big, dir / "text"},
         1,
         big + ":\n0x00002000 [8192] Bytes - im Limit!\nCramFS: ja, big-endian"},
        {{"info", "gone.img", images[21]}, 3, "gone.img:\n\n" + images[21] + ":\n1x ohne"},
    };
    for (const auto& c : cases) {
        auto r = Cmd(c.args);
        std::string call;
        for (const auto& a : c.args)
            call += a + " ";
        EXPECT_EQ(r.exitCode, c.code) << call << r.err;
        EXPECT_TRUE(r.out.starts_with(c.out)) << call << "\n" << r.out;
        EXPECT_TRUE(r.err.ends_with(c.err)) << call << "\n" << r.err;
    }
    for (const char* n : {"n1", "n2", "n3", "n4", "n5"})
        EXPECT_FALSE(test::Exists(Out(n))) << n;
    // JSON Lines for several files, one object as before for one.
    r = Cmd({"inhalt", "--json", big, with});
    auto second = r.out.find('\n');
    ASSERT_NE(second, std::string::npos);
    auto one = nlohmann::json::parse(r.out.substr(0, second)),
         two = nlohmann::json::parse(r.out.substr(second + 1));
    EXPECT_EQ(one["entries"], two["entries"]);
    // Only a link names a target.
    EXPECT_EQ(one["entries"][2], nlohmann::json({{"path", "/zufall"},
                                                 {"kind", "-"},
                                                 {"permissions", "-rw-r--r--"},
                                                 {"mode", 0100644},
                                                 {"uid", 0},
                                                 {"gid", 0},
                                                 {"size", 5000}}));
    EXPECT_EQ(two["root_area"], 0x40000);
    // A region says what it can: a block its equal, an area whether it is erased, the rest its
    // magic, the root area its file system; one without a file system lists no findings.
    const auto regions = nlohmann::json::parse(Cmd({"karte", "--json", with}).out)["regions"];
    EXPECT_EQ(regions[2]["cramfs"]["entries"], 2);
    std::string keys;
    for (const auto& region : regions) {
        for (const auto& [key, value] : region.items())
            keys += key + " ";
        keys += "| ";
    }
    EXPECT_EQ(keys,
              "end equal_to holds name size start | end equal_to holds name size start | cramfs end erased "
              "holds name size start | end erased holds magic name size start | ");
    EXPECT_EQ(Cmd({"karte", images[12]}).out.find("\n    "), std::string::npos);
    EXPECT_NE(Cmd({"karte", with}, "none").err.find("fehlen die Datendateien"), std::string::npos);
}

TEST(CliProgress, OnlyATerminalWithoutQuietSeesItAfterASecondAtMostTenTimesASecond)
{
    constexpr int64_t MiB = 1024 * 1024;
    struct Report {
        int ms;  // since the run began
        Phase phase;
        int64_t done, total;
    };
    const std::vector<Report> slow = {
        {500, Phase::Write, 1 * MiB, 8 * MiB},    // within the first second: nothing
        {1000, Phase::Write, 4 * MiB, 8 * MiB},   // 3 MiB in 0.5 s
        {1050, Phase::Write, 5 * MiB, 8 * MiB},   // too soon after the one before
        {1200, Phase::Verify, 2 * MiB, 8 * MiB},  // shorter: the rest of the longer line is blanked
    };
    const std::string slowShown = "\rschreiben 50 % (6,0 MiB/s)\rprüfen 25 %" + std::string(15, ' ') + "\r" +
                                  std::string(26, ' ') + "\r";
    struct Case {
        const char* what;
        bool terminal, quiet;
        std::vector<Report> reports;
        std::string want;
    };
    const std::vector<Case> cases = {
        {"a terminal", true, false, slow, slowShown},
        {"a pipe or a file", false, false, slow, ""},
        {"--quiet", true, true, slow, ""},
        {"done within a second", true, false, {{200, Phase::Write, 1, 2}, {999, Phase::Verify, 2, 2}}, ""},
        {"no total known",
         true,
         false,
         {{1500, Phase::Write, 3 * MiB, 0}, {2000, Phase::Write, 4 * MiB, 0}},
         "\rschreiben 3,0 MiB\rschreiben 4,0 MiB (2,0 MiB/s)\r" + std::string(29, ' ') + "\r"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ostringstream err;
        auto now = std::chrono::steady_clock::time_point{};
        {
            cli::ProgressPrinter printer(c.quiet, c.terminal, err, [&] { return now; });
            for (const Report& r : c.reports) {
                now = std::chrono::steady_clock::time_point{} + std::chrono::milliseconds(r.ms);
                // As the writer reports it: through the observer installed for the run.
                ReportProgress(r.phase, r.done, r.total);
            }
        }
        EXPECT_EQ(err.str(), c.want);
    }
}
