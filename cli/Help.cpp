// The help texts, made from the command table.
#include "cli/Commands.h"

namespace stellmark::cli {

namespace {
// Text in a column: `left` padded to `column` characters (at least one space), then `right`.
std::string Columns(const std::string& left, std::size_t column, std::string_view right)
{
    return "  " + left + std::string(left.size() < column ? column - left.size() : 1, ' ') +
           std::string(right) + "\n";
}

// "-f, --force", "--start X".
std::string Flags(const OptionSpec& o)
{
    std::string flags = o.shortName ? std::string("-") + o.shortName + ", " : "";
    flags += "--" + std::string(o.name);
    if (!o.value.empty())
        flags += " " + std::string(o.value);
    return flags;
}
}  // namespace

std::string GeneralHelp()
{
    std::string text = "Aufruf: stellmark-cli [OPTIONEN] BEFEHL ...\n\nBefehle:\n";
    for (const auto& c : kCommands) {
        std::string call(c.name);
        for (const auto& operand : c.operands)
            call += " " + std::string(operand.name);
        text += Columns(call + (c.many ? "..." : ""), 28, c.summary);
    }
    text += "\nOptionen (vor oder hinter dem Befehl; -- beendet die Optionen):\n";
    for (auto name : kGlobalOptions)
        if (const OptionSpec* o = FindOption(name); !o->help.empty())
            text += Columns(Flags(*o), 20, o->help);
    return text + "\n"
                  "Rückgabewerte: 0 erledigt, 1 abgelehnt (bzw. zu groß, kein intaktes CramFS, Art\n"
                  "unbekannt), 2 Aufruffehler, 3 Fehler oder nicht geschrieben, 4 geschrieben, aber nicht\n"
                  "von der Art, die die Aktion baut, 5 geschrieben, aber die Standardausgabe versagte,\n"
                  "128+N nach Signal N.\n";
}

std::string CommandHelp(const Command& command)
{
    std::string text = "Aufruf: stellmark-cli " + std::string(command.name) + " " +
                       std::string(command.synopsis) + "\n\n" + std::string(command.description);
    for (auto name : command.options)
        text += Columns(Flags(*FindOption(name)), command.optionColumn, FindOption(name)->help);
    return command.moreHelp ? text + command.moreHelp() : text;
}

}  // namespace stellmark::cli
