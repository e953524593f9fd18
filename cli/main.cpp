// stellmark-cli: the image operations for scripts, with the window's plans, refusals and texts.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "Actions.h"
#include "Program.h"
#include "frmPanne.h"
#include "modMain.h"
#include "wsFiles.h"

using namespace stellmark;

namespace {

enum Exit { kWritten = 0, kRefused = 1, kUsage = 2, kFailed = 3 };

// Terminal lines end in LF; the program's CR LF texts are converted on the way out.
std::string Lines(std::string text)
{
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\n");
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

// A failure ends the run at once: its report is the last thing printed, and the exit removes
// every temporary output, so nothing half-written is left.
class PrintingPresenter : public ErrorPresenter {
public:
    int16_t ShowModal(frmPanne& panne) override
    {
        const auto& e = panne.lblError();
        std::cerr << "Fehler " << e[0] << " in " << e[1] << "." << e[2] << ", Zeile " << e[3]
                  << std::endl;
        return kEnd;
    }
};

void EndWithFailure()
{
    pending::UnlinkAll();
    std::fflush(nullptr);
    std::_Exit(kFailed);
}

const char* kUsageText =
    "Aufruf:\n"
    "  stellmark-cli [--data-dir ORDNER] info DATEI\n"
    "      Art des Images, Größe und die angebotenen Aktionen\n"
    "  stellmark-cli [--data-dir ORDNER] run \"AKTION\" QUELLE AUSGABE [--start X --end Y] [--force]\n"
    "      führt eine Aktion aus; --start/--end (dezimal oder 0x...) nur für die Expertenaktion,\n"
    "      --force überschreibt eine vorhandene Ausgabedatei\n"
    "  stellmark-cli cramfs DATEI\n"
    "      prüft eine CramFS-Datei gegen die Größe des Root-Bereichs\n"
    "  stellmark-cli --help\n"
    "  stellmark-cli --version\n"
    "\n"
    "Die Datendateien 1zu2.dat, 2zu1.dat und boot.dat werden neben dem Programm gesucht\n"
    "oder im Ordner von --data-dir.\n"
    "\n"
    "Rückgabewerte: 0 geschrieben bzw. im Limit, 1 abgelehnt bzw. zu groß, 2 Aufruffehler,\n"
    "3 Fehler.\n"
    "\n"
    "Aktionen:\n";

int Usage(const std::string& problem)
{
    if (!problem.empty())
        std::cerr << "stellmark-cli: " << problem << "\n"
                  << "Hilfe: stellmark-cli --help" << std::endl;
    return kUsage;
}

int Missing(const std::string& path)
{
    std::cerr << "Fehler 53 (Datei nicht gefunden): " << path << std::endl;
    return kFailed;
}

// Looks up the data files; says once when they are missing.
bool DataFiles(const std::optional<std::string>& dataDir)
{
    if (dataDir)
        program::OverrideFile(wsFiles::IsSlash(*dataDir) + "stellmark-cli");
    std::string check = modMain::FileCheck();
    program::OverrideFile("");
    if (check == "ok")
        return true;
    std::cerr << Lines("Die folgende(n) Datei(en)\r\n\r\n" + check) << std::endl;
    return false;
}

int Info(const std::string& file, bool haveData)
{
    if (!wsFiles::FileExist(file))
        return Missing(file);
    int32_t cls = haveData ? modMain::ImageTest(file) : modMain::kNoImage;
    std::cout << modMain::ImageTestText(cls) << "\n"
              << ops::SizeText(modMain::GetImageSize(file)) << "\n";
    for (const auto& entry : ops::ListFor(true, cls, 1).entries)
        std::cout << entry << "\n";
    return kWritten;
}

int Cramfs(const std::string& file)
{
    if (!wsFiles::FileExist(file))
        return Missing(file);
    int32_t size = modMain::GetImageSize(file);
    std::cout << ops::CramfsVerdict(size) << std::endl;
    return ops::CramfsFits(size) ? kWritten : kRefused;
}

int Run(const std::vector<std::string>& args, bool haveData)
{
    std::optional<std::string> start, end;
    bool force = false;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--force")
            force = true;
        else if ((args[i] == "--start" || args[i] == "--end") && i + 1 < args.size()) {
            auto& slot = args[i] == "--start" ? start : end;
            slot = args[i + 1];
            ++i;
        }
        else if (args[i].rfind("--", 0) == 0)
            return Usage("unbekannte oder unvollständige Option " + args[i]);
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 3)
        return Usage("run braucht AKTION, QUELLE und AUSGABE");
    const std::string& action = positional[0];
    const std::string& source = positional[1];
    const std::string& output = positional[2];
    bool known = false;
    for (auto text : ops::kActionTexts)
        known = known || action == text;
    if (!known)
        return Usage("unbekannte Aktion \"" + action + "\"");
    bool expert = action == ops::kExpert;
    if (!expert && (start || end))
        return Usage("--start und --end gelten nur für \"" + std::string(ops::kExpert) + "\"");
    if (!wsFiles::FileExist(source))
        return Missing(source);
    if (!expert && !haveData) {
        std::cerr << "Ohne die Datendateien ist die Art des Images unbekannt; möglich ist nur \""
                  << ops::kExpert << "\"." << std::endl;
        return kRefused;
    }

    ops::Request request {action, source, {}, std::nullopt};
    if (expert) {
        // Measured now, as the window measures it when the expert entry is shown.
        request.expert.imageSize = modMain::GetImageSize(source);
        request.expert.start = start.value_or(modMain::GetHexValue(0));
        request.expert.end = end.value_or(modMain::GetHexValue(request.expert.imageSize));
        if (!haveData)
            request.imageClass = modMain::kNoImage;  // the expert range is never shifted
    }

    bool existsRefused = false;
    Proc p("stellmark-cli", "run", "[stellmark-cli] run");
    ops::Outcome outcome;
    p.Run([&] {
        outcome = ops::Start(p, request, [&](const std::string&) -> std::string {
            if (wsFiles::FileExist(output) && !force && !ops::SameFile(source, output)) {
                existsRefused = true;
                return "";
            }
            return output;
        });
    });
    switch (outcome.kind) {
    case ops::Outcome::Written: return kWritten;
    case ops::Outcome::Refused:
        std::cerr << Lines(outcome.message.text) << std::endl;
        return kRefused;
    case ops::Outcome::Cancelled:
        if (existsRefused)
            std::cerr << "Die Datei '" << output
                      << "' ist schon vorhanden. Zum Überschreiben --force angeben." << std::endl;
        return kRefused;
    case ops::Outcome::Nothing: return kUsage;
    case ops::Outcome::Failed: break;
    }
    std::cerr << "Fehler: die Ausgabe wurde nicht geschrieben." << std::endl;
    return kFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    PrintingPresenter presenter;
    frmPanne::Instance().SetPresenter(&presenter);
    frmPanne::Instance().SetExit(EndWithFailure);

    std::vector<std::string> args(argv + 1, argv + argc);
    std::optional<std::string> dataDir;
    if (args.size() >= 2 && args[0] == "--data-dir") {
        dataDir = args[1];
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty())
        return Usage("kein Befehl angegeben");
    if (args[0] == "--help" || args[0] == "-h") {
        std::cout << kUsageText;
        for (auto text : ops::kActionTexts)
            std::cout << "  " << text << "\n";
        return kWritten;
    }
    if (args[0] == "--version") {
        std::cout << "stellmark-cli " << program::kVersion << "\n";
        return kWritten;
    }
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "cramfs")
        return args.size() == 1 ? Cramfs(args[0]) : Usage("cramfs braucht genau eine DATEI");
    if (command != "info" && command != "run")
        return Usage("unbekannter Befehl " + command);
    if (command == "info" && args.size() != 1)
        return Usage("info braucht genau eine DATEI");
    bool haveData = DataFiles(dataDir);
    return command == "info" ? Info(args[0], haveData) : Run(args, haveData);
}
