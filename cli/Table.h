#pragma once
// The command line as one table: every option and every command (name, operands, the options it
// takes, help, handler). Parsing, the checks of a call, the help texts, the manual page's check
// and the shell completion are all made from it; a new command is a row and a handler.
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stellmark::cli {

// What the shell completes in a place: nothing, a folder, a file, an action's short name.
enum class Completes { Nothing, Folder, File, Action };

struct OptionSpec {
    std::string_view name;                     // long name without "--"
    char shortName = 0;                        // 0: none
    std::string_view value{};                  // the value's name in help ("ORDNER"); empty: a flag
    Completes completes = Completes::Nothing;  // for a value
    std::string_view help{};                   // empty: not in the help texts (the manual page names it)
};

// All options; a command takes the global ones and those its row names.
extern const std::vector<OptionSpec> kOptions;
extern const std::vector<std::string_view> kGlobalOptions;

struct Call;

struct Operand {
    std::string_view name;  // "DATEI"
    Completes completes = Completes::File;
};

struct Command {
    std::string_view name;
    std::vector<Operand> operands;
    std::vector<std::string_view> options;  // its own options, in the order its help lists them
    std::string_view summary;               // its line in the general help
    std::string_view synopsis;              // "Aufruf: stellmark-cli NAME " and this
    std::string_view description;           // the help's text under the synopsis
    std::size_t optionColumn = 0;           // where the help's option texts start
    std::string (*moreHelp)() = nullptr;    // what follows the options in the help
    int (*handler)(const Call&) = nullptr;
    bool many = false;        // the last operand may be given several times, like file(1)'s files
    bool writesFile = false;  // its success means a file was written (exit 5 if stdout then fails)
};

extern const std::vector<Command> kCommands;

const Command* FindCommand(std::string_view name);
const OptionSpec* FindOption(std::string_view name);
// True when `command` takes the option: a global one or one of its row.
bool Takes(const Command& command, std::string_view option);

// One call as parsed: the command, its operands and the options given (flags with empty values).
struct Call {
    const Command* command = nullptr;
    std::string commandName;  // as typed, also when unknown
    std::vector<std::string> operands;
    std::map<std::string, std::string, std::less<>> given;

    bool Has(std::string_view option) const { return given.find(option) != given.end(); }
    std::optional<std::string> Value(std::string_view option) const;
};

}  // namespace stellmark::cli
