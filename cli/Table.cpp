#include "cli/Table.h"

#include <algorithm>

#include "cli/Commands.h"

namespace stellmark::cli {

const std::vector<OptionRow> kOptions = {
    {.name = "data-dir",
     .value = "ORDNER",
     .completes = Completes::Folder,
     .help = "Datendateien 1zu2.dat, 2zu1.dat, boot.dat dort statt neben dem Programm"},
    {.name = "ausfuehrlich", .shortName = 'v', .help = "bei einem Fehler auch Prozedur und Zeile nennen"},
    {.name = "help", .shortName = 'h', .help = "Hilfe; hinter einem Befehl die Hilfe zu diesem Befehl"},
    {.name = "version", .help = "Name und Version"},
    // For the shell's completion; the manual page names it.
    {.name = "aktionen"},
    {.name = "force", .shortName = 'f', .help = "eine vorhandene AUSGABE ersetzen"},
    {.name = "quiet", .shortName = 'q', .help = "keine Zeile über das Geschriebene, kein Fortschritt"},
    {.name = "start", .value = "X", .help = "Beginn für „bereich“ (dezimal oder 0x..., 64 Bit), Vorgabe 0"},
    {.name = "end", .value = "Y", .help = "Ende (ausschließlich) für „bereich“, Vorgabe die Dateigröße"},
    {.name = "json", .help = "ein JSON-Objekt statt Textzeilen; bei mehreren Dateien eines je Zeile"},
    {.name = "cramfs",
     .value = "DATEI",
     .completes = Completes::File,
     .help = "für root-einfuegen: das CramFS (mit mkfs.cramfs -N big erzeugt)"},
};

const std::vector<std::string_view> kGlobalOptions = {"data-dir", "ausfuehrlich", "help", "version",
                                                      "aktionen"};

const std::vector<Command> kCommands = {
    {.name = "info",
     .operands = {{"DATEI"}},
     .several = true,
     .options = {"json"},
     .summary = "Art, Größe, angebotene Aktionen und CramFS im Root-Bereich",
     .synopsis = "[--json] [--data-dir ORDNER] DATEI...",
     .description = "Nennt die Art des Images, seine Größe und die Aktionen, die das Fenster dafür anbietet\n"
                    "(Kurzname und voller Text); bei einem gültigen Image auch, ob im Root-Bereich ein\n"
                    "CramFS steht (Schnellprüfung von Superblock und CRC32; vollständig prüft karte).\n"
                    "Ohne Datendateien bleibt die Art unbekannt (Rückgabewert 1). Bei mehreren Dateien\n"
                    "beginnt jeder Block mit dem Namen der Datei; der Rückgabewert ist der schlechteste.\n",
     .optionColumn = 9,
     .handler = Info},
    {.name = "run",
     .operands = {{"AKTION", Completes::Action}, {"QUELLE"}, {"AUSGABE"}},
     .options = {"force", "start", "end", "cramfs", "quiet"},
     .summary = "führt eine Aktion aus wie der Start-Knopf des Fensters",
     .synopsis = "[OPTIONEN] AKTION QUELLE AUSGABE",
     .description = "AKTION ist ein Kurzname (Groß-/Kleinschreibung egal) oder der volle Text, wie ihn\n"
                    "das Fenster zeigt. Angeboten wird, was das Fenster für die Art der QUELLE anbietet;\n"
                    "für jede Datei „bereich“.\n",
     .optionColumn = 18,
     .moreHelp = RunActions,
     .handler = Run,
     .writesFile = true},
    {.name = "cramfs",
     .operands = {{"DATEI"}},
     .several = true,
     .options = {"json"},
     .summary = "prüft eine CramFS-Datei gegen den Root-Bereich (6 MiB)",
     .synopsis = "[--json] DATEI...",
     .description = "Die erste Zeile ist die Größe der Datei und ob sie in den Root-Bereich passt\n"
                    "(„- im Limit!“ oder „- zu groß!“); die weiteren sagen, ob ein CramFS darin steht\n"
                    "(Kennung in beiden Byte-Reihenfolgen, Signatur, Größe laut Superblock, CRC32,\n"
                    "Merkmale) und ob alle Einträge lesbar sind und jeder Block sich entpacken lässt.\n"
                    "Rückgabewert 0 nur, wenn die Datei passt und ein intaktes CramFS ist.\n",
     .optionColumn = 9,
     .handler = Cramfs},
    {.name = "inhalt",
     .operands = {{"DATEI"}},
     .several = true,
     .options = {"json"},
     .summary = "listet jeden Eintrag eines CramFS (Datei oder Root-Bereich eines Images)",
     .synopsis = "[--json] [--data-dir ORDNER] DATEI...",
     .description = "Eine Zeile je Eintrag wie bei ls -l: Art und Rechte, Besitzer/Gruppe, Größe (bei\n"
                    "Geräten die Nummern), zuletzt der volle Pfad ab „/“, bei Verweisen mit „-> Ziel“.\n"
                    "Ist DATEI ein gültiges Image, wird das CramFS in seinem Root-Bereich gelistet.\n"
                    "Rückgabewert 0 nur für ein intaktes CramFS.\n",
     .optionColumn = 9,
     .handler = Inhalt},
    {.name = "karte",
     .operands = {{"DATEI"}},
     .options = {"json"},
     .summary = "die Bereiche eines gültigen Images und was in jedem steht",
     .synopsis = "[--json] [--data-dir ORDNER] DATEI",
     .description = "Nennt die Bereiche in ihrer Reihenfolge mit Beginn, Ende und Größe: Bootloader\n"
                    "(gleich boot.dat oder nicht), Flash-Art-Block (gleich 1zu2.dat oder 2zu1.dat),\n"
                    "Root-Bereich (CramFS vollständig geprüft, Zahl der Einträge, ungenutzter Rest\n"
                    "0xFF oder nicht) und den Rest dahinter (leer oder belegt, mit CramFS- oder\n"
                    "JFFS2-Kennung an seinem Anfang). Rückgabewert 0 nur, wenn der Root-Bereich ein\n"
                    "intaktes CramFS hält.\n",
     .optionColumn = 9,
     .handler = Karte},
};

const Command* FindCommand(std::string_view name)
{
    auto it =
        std::find_if(kCommands.begin(), kCommands.end(), [&](const Command& c) { return c.name == name; });
    return it == kCommands.end() ? nullptr : &*it;
}

const OptionRow* FindOption(std::string_view name)
{
    auto it =
        std::find_if(kOptions.begin(), kOptions.end(), [&](const OptionRow& o) { return o.name == name; });
    return it == kOptions.end() ? nullptr : &*it;
}

bool Takes(const Command& command, std::string_view option)
{
    auto has = [&](const std::vector<std::string_view>& list) {
        return std::find(list.begin(), list.end(), option) != list.end();
    };
    return has(kGlobalOptions) || has(command.options);
}

std::optional<std::string> Call::Value(std::string_view option) const
{
    auto it = given.find(option);
    return it == given.end() ? std::nullopt : std::optional<std::string>(it->second);
}

}  // namespace stellmark::cli
