// stellmark-cli: the image operations for scripts and shells, with the window's plans, refusals
// and texts, and the arguments, answers and exit codes of a Linux tool.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "operations/Actions.h"
#include "operations/CramfsCheck.h"
#include "errors/Pending.h"
#include "errors/Program.h"
#include "errors/frmPanne.h"

using namespace stellmark;
using Json = nlohmann::ordered_json;

namespace {

enum Exit {
    kOk = 0,          // written, in the limit, classified
    kRefused = 1,     // refused, too large, not a sound CramFS, class unknown
    kUsage = 2,       // the call itself is wrong
    kFailed = 3,      // a failure, or the output was not written
    kWrongClass = 4,  // written, but the built image is not of the class its action builds
};

const char* const kName = "stellmark-cli";

struct Options {
    bool help = false, version = false, force = false, quiet = false, verbose = false, json = false,
         listActions = false;
    std::optional<std::string> dataDir, start, end;
    std::vector<std::string> args;  // the command and its operands
};
Options options;

// Terminal lines end in LF; the program's CR LF texts are converted on the way out.
std::string Lines(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

void Say(const std::string& text) { std::cerr << kName << ": " << Lines(text) << std::endl; }

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// A failure ends the run at once: what could not be done to which path, plainly, as the last
// thing printed; where it arose only on request. The exit removes every temporary output.
class PrintingPresenter : public ErrorPresenter {
public:
    int16_t ShowModal(frmPanne& panne) override
    {
        Failure f = panne.HandledFailure().value_or(Failure(0, "", 0));
        std::string what = f.Description() + " (Fehler " + std::to_string(f.Number()) + ")";
        if (f.GetAccess() != Access::None)
            what = Quoted(f.Path()) + " kann nicht " +
                   (f.GetAccess() == Access::Read ? "gelesen" : "geschrieben") + " werden: " + what;
        Say(what);
        if (options.verbose) {
            const auto& e = panne.lblError();
            std::cerr << "  in " << e[1] << "." << e[2] << ", Zeile " << e[3] << std::endl;
        }
        return kEnd;
    }
};

void EndWithFailure()
{
    pending::UnlinkAll();
    std::fflush(nullptr);
    std::_Exit(kFailed);
}

// --- help -----------------------------------------------------------------------------------

const char* const kGeneralHelp =
    "Aufruf: stellmark-cli [OPTIONEN] BEFEHL ...\n"
    "\n"
    "Befehle:\n"
    "  info DATEI                  Art, Größe, angebotene Aktionen und CramFS im Root-Bereich\n"
    "  run AKTION QUELLE AUSGABE   führt eine Aktion aus wie der Start-Knopf des Fensters\n"
    "  cramfs DATEI                prüft eine CramFS-Datei gegen den Root-Bereich (6 MiB)\n"
    "\n"
    "Optionen (vor oder hinter dem Befehl; -- beendet die Optionen):\n"
    "  --data-dir ORDNER   Datendateien 1zu2.dat, 2zu1.dat, boot.dat dort statt neben dem Programm\n"
    "  -v, --ausfuehrlich  bei einem Fehler auch Prozedur und Zeile nennen\n"
    "  -h, --help          Hilfe; hinter einem Befehl die Hilfe zu diesem Befehl\n"
    "  --version           Name und Version\n"
    "\n"
    "Rückgabewerte: 0 erledigt, 1 abgelehnt (bzw. zu groß, kein intaktes CramFS, Art\n"
    "unbekannt), 2 Aufruffehler, 3 Fehler oder nicht geschrieben, 4 geschrieben, aber nicht\n"
    "von der Art, die die Aktion baut, 128+N nach Signal N.\n";

const char* const kInfoHelp =
    "Aufruf: stellmark-cli info [--json] [--data-dir ORDNER] DATEI\n"
    "\n"
    "Nennt die Art des Images, seine Größe und die Aktionen, die das Fenster dafür anbietet\n"
    "(Kurzname und voller Text); bei einem gültigen Image auch, ob im Root-Bereich ein\n"
    "intaktes CramFS steht. Ohne Datendateien bleibt die Art unbekannt (Rückgabewert 1).\n"
    "  --json   ein JSON-Objekt statt Textzeilen\n";

const char* const kCramfsHelp =
    "Aufruf: stellmark-cli cramfs [--json] DATEI\n"
    "\n"
    "Die erste Zeile ist die Größe der Datei und ob sie in den Root-Bereich passt\n"
    "(„- im Limit!“ oder „- zu groß!“); die weiteren sagen, ob ein CramFS darin steht\n"
    "(Kennung in beiden Byte-Reihenfolgen, Signatur, Größe laut Superblock, CRC32).\n"
    "Rückgabewert 0 nur, wenn die Datei passt und ein intaktes CramFS ist.\n"
    "  --json   ein JSON-Objekt statt Textzeilen\n";

// "  1x-block        1x extrahieren": short name and full text in two columns.
std::string ActionLine(const ops::Action& a)
{
    std::string name(a.shortName);
    return "  " + name + std::string(name.size() < 16 ? 16 - name.size() : 1, ' ') + std::string(a.text) +
           "\n";
}

std::string RunHelp()
{
    std::string text = "Aufruf: stellmark-cli run [OPTIONEN] AKTION QUELLE AUSGABE\n"
                       "\n"
                       "AKTION ist ein Kurzname (Groß-/Kleinschreibung egal) oder der volle Text, wie ihn\n"
                       "das Fenster zeigt. Angeboten wird, was das Fenster für die Art der QUELLE anbietet;\n"
                       "für jede Datei „bereich“.\n"
                       "  -f, --force       eine vorhandene AUSGABE ersetzen\n"
                       "  --start X         Beginn für „bereich“ (dezimal oder 0x...), Vorgabe 0\n"
                       "  --end Y           Ende (ausschließlich) für „bereich“, Vorgabe die Dateigröße\n"
                       "  -q, --quiet       keine Zeile über das Geschriebene\n"
                       "\n"
                       "Aktionen:\n";
    for (const auto& a : ops::kActions)
        if (!a.shortName.empty())
            text += ActionLine(a);
    return text + "\n"
                  "Nach dem Schreiben nennt eine Zeile Pfad, Größe und bei gebauten Images deren Art.\n"
                  "Ist ein gebautes Image nicht von der Art, die die Aktion baut (Datendateien\n"
                  "vertauscht oder falsch), folgen eine Warnung und Rückgabewert 4.\n";
}

// --- arguments ------------------------------------------------------------------------------

// Usage errors name the problem and where help is; exit 2.
int Usage(const std::string& problem, const std::string& command = "")
{
    Say(problem);
    std::cerr << "Hilfe: stellmark-cli " << (command.empty() ? "" : command + " ") << "--help" << std::endl;
    return kUsage;
}

std::optional<int> Parse(int argc, char** argv)
{
    static const option kLong[] = {{"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'V'},
                                   {"data-dir", required_argument, nullptr, 'd'},
                                   {"start", required_argument, nullptr, 's'},
                                   {"end", required_argument, nullptr, 'e'},
                                   {"force", no_argument, nullptr, 'f'},
                                   {"quiet", no_argument, nullptr, 'q'},
                                   {"ausfuehrlich", no_argument, nullptr, 'v'},
                                   {"json", no_argument, nullptr, 'j'},
                                   {"aktionen", no_argument, nullptr, 'a'},
                                   {nullptr, 0, nullptr, 0}};
    opterr = 0;  // the messages are ours, in German
    for (int c; (c = getopt_long(argc, argv, ":hfqv", kLong, nullptr)) != -1;) {
        switch (c) {
        case 'h': options.help = true; break;
        case 'V': options.version = true; break;
        case 'd': options.dataDir = optarg; break;
        case 's': options.start = optarg; break;
        case 'e': options.end = optarg; break;
        case 'f': options.force = true; break;
        case 'q': options.quiet = true; break;
        case 'v': options.verbose = true; break;
        case 'j': options.json = true; break;
        case 'a': options.listActions = true; break;
        case ':': return Usage("Option " + std::string(argv[optind - 1]) + " braucht einen Wert");
        default: {
            std::string arg = optopt ? std::string("-") + char(optopt) : argv[optind - 1];
            if (auto eq = arg.find('='); eq != std::string::npos && arg.starts_with("--"))
                arg.erase(eq);
            return Usage("unbekannte Option " + arg);
        }
        }
    }
    options.args.assign(argv + optind, argv + argc);
    return std::nullopt;
}

// --- actions by name ------------------------------------------------------------------------

std::string Named(const ops::Action& a)
{
    return a.shortName.empty() ? "\"" + std::string(a.text) + "\""
                               : std::string(a.shortName) + " (" + std::string(a.text) + ")";
}

std::string Suggestion(const std::string& name)
{
    const ops::Action* near = ops::NearMiss(name);
    return near ? " Meinten Sie " + Named(*near) + "?" : "";
}

// --- data files -----------------------------------------------------------------------------

struct DataState {
    bool found = false;
    std::string folder;
    std::vector<std::string> missing;
    ops::DataFiles files;
};

DataState LookUpDataFiles()
{
    // --data-dir, else the program's own folder.
    auto files = ops::LocateDataFiles({options.dataDir.value_or(program::Dir())});
    return {files.Found(), files.folder, files.Missing(), files};
}

void SayDataFilesMissing(const DataState& data)
{
    std::string names;
    for (const auto& n : data.missing)
        names += (names.empty() ? "" : ", ") + n;
    Say("im Ordner " + Quoted(data.folder) + " fehlen die Datendateien " + names +
        ".\nMit --data-dir ORDNER lässt sich der Ordner angeben, in dem sie liegen.");
}

// --- commands -------------------------------------------------------------------------------

Json SizeJson(int64_t size) { return {{"bytes", size}, {"text", ops::SizeText(size)}}; }

Json FindingsJson(const ops::CramfsFindings& f)
{
    return {{"found", f.found},
            {"big_endian", f.bigEndian},
            {"offset", f.offset},
            {"signature", f.signature},
            {"stated_size", f.statedSize},
            {"available", f.available},
            {"fits", f.fits},
            {"complete", f.complete},
            {"crc",
             {{"present", f.crcPresent},
              {"checked", f.crcChecked},
              {"ok", f.crcOk},
              {"stored", f.crcStored},
              {"computed", f.crcComputed}}},
            {"sound", f.Sound()},
            {"lines", f.Lines()}};
}

int Missing(const std::string& path)
{
    Say(Quoted(path) + " kann nicht gelesen werden: Datei nicht gefunden (Fehler 53)");
    return kFailed;
}

int Info(const std::string& file)
{
    if (!ops::FileExists(file))
        return Missing(file);
    DataState data = LookUpDataFiles();
    std::optional<int32_t> cls;
    if (data.found)
        cls = ops::Classify(file, data.files);
    int64_t size = ops::FileLength(file);
    std::optional<ops::RootArea> root;
    if (cls)
        root = ops::CheckRootArea(file, *cls);
    std::string classText = cls ? ops::ClassText(*cls) : "Art unbekannt, die Datendateien fehlen";
    auto offered = ops::Offered(cls);

    if (options.json) {
        Json j = {{"file", file},
                  {"class", {{"code", cls ? Json(*cls) : Json(nullptr)}, {"text", classText}}},
                  {"size", SizeJson(size)},
                  {"data_files", {{"folder", data.folder}, {"found", data.found}, {"missing", data.missing}}},
                  {"actions", Json::array()},
                  {"root_cramfs", nullptr}};
        for (const auto* a : offered)
            j["actions"].push_back({{"short", a->shortName}, {"text", a->text}});
        if (root)
            j["root_cramfs"] = FindingsJson(root->findings);
        std::cout << j.dump(2) << "\n";
    } else {
        std::cout << classText << "\n" << ops::SizeText(size) << "\n";
        for (const auto* a : offered)
            std::cout << ActionLine(*a);
        if (root) {
            std::cout << "Root-Bereich " << ops::HexText(static_cast<int32_t>(root->start)) << " bis "
                      << ops::HexText(static_cast<int32_t>(root->start + root->size - 1)) << ":\n";
            for (const auto& line : root->findings.Lines())
                std::cout << "  " << line << "\n";
        }
    }
    if (!data.found) {
        SayDataFilesMissing(data);
        return kRefused;
    }
    return kOk;
}

int Cramfs(const std::string& file)
{
    if (!ops::FileExists(file))
        return Missing(file);
    auto checked = ops::CheckCramfsFile(file);
    int64_t size = checked.size;
    const auto& findings = checked.findings;
    if (options.json) {
        Json j = {{"file", file},
                  {"size", SizeJson(size)},
                  {"fits", checked.fits},
                  {"verdict", ops::CramfsVerdict(size)},
                  {"cramfs", FindingsJson(findings)}};
        std::cout << j.dump(2) << "\n";
    } else {
        std::cout << ops::CramfsVerdict(size) << "\n";
        for (const auto& line : findings.Lines())
            std::cout << line << "\n";
    }
    return checked.Sound() ? kOk : kRefused;
}

int Run(const std::string& actionName, const std::string& source, const std::string& output)
{
    const ops::Action* action = ops::FindByName(actionName);
    if (!action)
        return Usage("unbekannte Aktion \"" + actionName + "\"." + Suggestion(actionName), "run");
    bool expert = action->does == ops::Action::Does::Expert;
    if (!expert && (options.start || options.end))
        return Usage("--start und --end gelten nur für bereich", "run");
    if (output.empty())
        return Usage("AUSGABE ist leer", "run");
    if (!ops::FileExists(source))
        return Missing(source);
    // What the window answers for every file, offered or not.
    if (action->does == ops::Action::Does::NotAvailable) {
        Say(ops::kNotAvailable.text);
        return kRefused;
    }

    DataState data = LookUpDataFiles();
    std::optional<int32_t> cls;
    if (data.found)
        cls = ops::Classify(source, data.files);
    auto offered = ops::Offered(cls);
    if (std::find(offered.begin(), offered.end(), action) == offered.end()) {
        if (!data.found) {
            SayDataFilesMissing(data);
            Say("ohne sie ist die Art von " + Quoted(source) + " unbekannt; möglich ist nur bereich.");
            return kRefused;
        }
        std::string list;
        for (const auto* a : offered)
            list += std::string(list.empty() ? "" : ", ") + std::string(a->shortName);
        Say(Named(*action) + " ist für " + Quoted(source) + " (" + ops::ClassText(*cls) +
            ") nicht möglich.\nMöglich: " + list);
        return kRefused;
    }

    ops::Request request{std::string(action->text), source, {}, cls.value_or(0), data.files};
    if (expert) {
        // Measured now, as the window measures it when the expert entry is shown; the range
        // is never shifted.
        request.expert.imageSize = ops::ImageSize(source);
        request.expert.start = options.start.value_or("0");
        request.expert.end = options.end.value_or(ops::HexText(request.expert.imageSize));
        request.imageClass = 0;  // the range is never shifted
    }

    Proc p("[stellmark-cli] run");
    ops::Outcome outcome;
    p.Run([&] {
        // Without --force "no overwrite" holds up to the moment the result takes its name.
        outcome = ops::Start(p, request, [&](const std::string&) {
            return ops::Choice{output, options.force ? Overwrite::Replace : Overwrite::Refuse};
        });
    });
    switch (outcome.kind) {
    case ops::Outcome::Written: break;
    case ops::Outcome::Refused: Say(outcome.message.text); return kRefused;
    case ops::Outcome::Exists:
        Say("Die Datei " + Quoted(output) + " ist schon vorhanden. Zum Überschreiben --force angeben.");
        return kRefused;
    case ops::Outcome::NotWritten: Say(outcome.message.text); return kFailed;
    case ops::Outcome::Cancelled:
    case ops::Outcome::Nothing:
    case ops::Outcome::Failed: Say(Quoted(output) + " wurde nicht geschrieben."); return kFailed;
    }

    for (const auto& note : outcome.notes)
        Say(note);
    std::string summary = "geschrieben: " + Quoted(output) + " " + ops::SizeText(ops::FileLength(output));
    int code = kOk;
    if (action->does == ops::Action::Does::Build) {
        int32_t built = ops::Classify(output, data.files);
        summary += ", " + ops::ClassText(built);
        if (built != ops::BuiltClass(*action)) {
            Say("Warnung: " + Quoted(output) + " ist kein \"" + ops::ClassText(ops::BuiltClass(*action)) +
                "\", sondern \"" + ops::ClassText(built) + "\". Die Datendateien in " + Quoted(data.folder) +
                " sind vertauscht oder falsch.");
            code = kWrongClass;
        }
    }
    if (!options.quiet)
        std::cout << summary << "\n";
    return code;
}

int Dispatch()
{
    const auto& args = options.args;
    const std::string command = args.empty() ? "" : args[0];
    bool known = command == "info" || command == "run" || command == "cramfs";
    if (options.version) {
        std::cout << kName << " " << program::kVersion << "\n";
        return kOk;
    }
    // For the shell's completion: short name and full text of every action that can be offered.
    if (options.listActions) {
        for (const auto& a : ops::kActions)
            if (!a.shortName.empty())
                std::cout << a.shortName << "\t" << a.text << "\n";
        return kOk;
    }
    if (options.help) {
        std::cout << (command == "info"     ? kInfoHelp
                      : command == "cramfs" ? kCramfsHelp
                      : command == "run"    ? RunHelp()
                                            : std::string(kGeneralHelp));
        return kOk;
    }
    if (command.empty())
        return Usage("kein Befehl angegeben");
    if (!known)
        return Usage("unbekannter Befehl " + command);
    bool runOnly = options.force || options.quiet || options.start || options.end;
    if (command != "run" && runOnly)
        return Usage("--force, --quiet, --start und --end gelten nur für run", command);
    if (command == "run" && options.json)
        return Usage("--json gilt nur für info und cramfs", command);
    std::size_t operands = command == "run" ? 3 : 1;
    if (args.size() - 1 != operands)
        return Usage(command == "run" ? "run braucht AKTION, QUELLE und AUSGABE"
                                      : command + " braucht genau eine DATEI",
                     command);
    if (command == "info")
        return Info(args[1]);
    if (command == "cramfs")
        return Cramfs(args[1]);
    return Run(args[1], args[2], args[3]);
}

}  // namespace

int main(int argc, char** argv)
{
    pending::EndOnSignals();
    // A closed pipe is a write error to report, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    PrintingPresenter presenter;
    frmPanne::Instance().Replace({.presenter = &presenter, .exit = EndWithFailure});

    int code = Parse(argc, argv).value_or(-1);
    if (code == -1)
        code = Dispatch();
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        int e = errno;
        std::cerr << kName << ": Schreibfehler auf der Standardausgabe: " << std::strerror(e) << std::endl;
        return code == kOk ? kFailed : code;
    }
    return code;
}
