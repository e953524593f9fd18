// The bash completion, made from the command table: commands, the options each command takes,
// option values (also as --opt=value), action names, and file names with spaces intact.
#include "cli/Commands.h"
#include "operations/Catalogue.h"

namespace stellmark::cli {

namespace {
std::string Join(const std::vector<std::string>& words)
{
    std::string text;
    for (const auto& w : words)
        text += (text.empty() ? "" : " ") + w;
    return text;
}

std::vector<std::string> OptionWords(const std::vector<std::string_view>& names)
{
    std::vector<std::string> words;
    for (auto name : names)
        words.push_back("--" + std::string(name));
    for (auto name : names)
        if (char s = FindOption(name)->shortName)
            words.push_back(std::string("-") + s);
    return words;
}

// The compgen call that completes `cur` for one kind of place; words for the rest.
std::string Complete(Completes kind, const std::string& words)
{
    switch (kind) {
    case Completes::Folder: return "compopt -o filenames 2>/dev/null; _stellmark_cli_reply -d";
    case Completes::File: return "compopt -o filenames 2>/dev/null; _stellmark_cli_reply -f";
    case Completes::Action: return "_stellmark_cli_reply -W \"" + words + "\"";
    case Completes::Nothing: break;
    }
    return "COMPREPLY=()";
}
}  // namespace

std::string CompletionScript()
{
    std::vector<std::string> actions, commands, valued;
    for (const auto& a : ops::kActions)
        if (!a.shortName.empty())
            actions.emplace_back(a.shortName);
    std::vector<std::string_view> commandOptions;  // before the command: those of any command
    for (const auto& o : kOptions) {
        if (!Takes(Command{}, o.name))
            commandOptions.push_back(o.name);
        if (!o.value.empty())
            valued.push_back("--" + std::string(o.name));
    }
    std::string valueCases, optionCases, operandCases;
    for (const auto& o : kOptions)
        if (!o.value.empty())
            valueCases +=
                "        --" + std::string(o.name) + ") " + Complete(o.completes, "") + "; return ;;\n";
    for (const auto& c : kCommands) {
        commands.emplace_back(c.name);
        optionCases +=
            "            " + std::string(c.name) + ") words=\"" + Join(OptionWords(c.options)) + "\" ;;\n";
        for (std::size_t i = 0; i < c.operands.size(); ++i)
            if (c.operands[i].completes != Completes::File)
                operandCases += "        " + std::string(c.name) + ":" + std::to_string(i) + ") " +
                                Complete(c.operands[i].completes, Join(actions)) + " ;;\n";
    }
    std::string valuedPattern;
    for (const auto& v : valued)
        valuedPattern += (valuedPattern.empty() ? "0:" : "|0:") + v;

    return "# Vervollständigung für stellmark-cli in der bash: Befehle, die Optionen jedes Befehls, Werte\n"
           "# (auch als --option=wert), die Kurznamen der Aktionen und Dateinamen, auch mit Leerzeichen.\n"
           "# Aus der Befehlstabelle des Programms erzeugt; ein Test vergleicht beide.\n"
           "_stellmark_cli_reply()\n"
           "{\n"
           "    mapfile -t COMPREPLY < <(compgen \"$@\" -- \"$cur\")\n"
           "    COMPREPLY=(\"${COMPREPLY[@]/#/$prefix}\")\n"
           "}\n"
           "\n"
           "_stellmark_cli()\n"
           "{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    local i word words option prefix=\"\" command=\"\" operands=0 ended=0\n"
           "    # The option whose value is being completed: --opt WERT, --opt=WERT as one word, or\n"
           "    # split at \"=\" by the shell.\n"
           "    if [[ $cur == --*=* ]]; then\n"
           "        option=${cur%%=*} prefix=${cur%%=*}= cur=${cur#*=}\n"
           "    elif [[ $cur == = ]]; then\n"
           "        option=$prev cur=\"\"\n"
           "    elif [[ $prev == = ]] && ((COMP_CWORD > 1)); then\n"
           "        option=${COMP_WORDS[COMP_CWORD-2]}\n"
           "    else\n"
           "        option=$prev\n"
           "    fi\n"
           "    case $option in\n" +
           valueCases +
           "    esac\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        word=${COMP_WORDS[i]}\n"
           "        case $ended:$word in\n"
           "            0:--) ended=1 ;;\n"
           "            " +
           valuedPattern +
           ") [[ ${COMP_WORDS[i+1]} == = ]] && ((i++)); ((i++)) ;;\n"
           "            0:-*) ;;\n"
           "            *) if [ -z \"$command\" ]; then command=$word; else ((operands++)); fi ;;\n"
           "        esac\n"
           "    done\n"
           "    if [[ $cur == -* ]] && ((!ended)); then\n"
           "        case $command in\n" +
           optionCases + "            *) words=\"" + Join(OptionWords(commandOptions)) +
           "\" ;;\n"
           "        esac\n"
           "        _stellmark_cli_reply -W \"" +
           Join(OptionWords(kGlobalOptions)) +
           " $words\"\n"
           "        return\n"
           "    fi\n"
           "    case $command:$operands in\n"
           "        :*) _stellmark_cli_reply -W \"" +
           Join(commands) + "\" ;;\n" + operandCases +
           "        *) compopt -o filenames 2>/dev/null; _stellmark_cli_reply -f ;;\n"
           "    esac\n"
           "}\n"
           "complete -F _stellmark_cli stellmark-cli\n";
}

}  // namespace stellmark::cli
