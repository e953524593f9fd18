// Parsing a call and checking it against the command table.
#include <getopt.h>

#include <iostream>

#include "cli/Commands.h"
#include "cli/Output.h"
#include "errors/Program.h"

namespace stellmark::cli {

Parsed Parse(int argc, char** argv)
{
    // getopt_long's table, made from ours: a long option's index is its place in kOptions.
    std::vector<option> longOptions;
    std::string shortOptions = ":";  // the messages are ours, in German
    for (const auto& o : kOptions) {
        longOptions.push_back({o.name.data(), o.value.empty() ? no_argument : required_argument, nullptr,
                               static_cast<int>(0x100 + longOptions.size())});
        if (o.shortName)
            shortOptions += o.shortName;
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});
    opterr = 0;
    Call call;
    for (int c; (c = getopt_long(argc, argv, shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        const OptionSpec* spec = nullptr;
        if (c >= 0x100)
            spec = &kOptions[static_cast<std::size_t>(c - 0x100)];
        for (const auto& o : kOptions)
            if (o.shortName && o.shortName == c)
                spec = &o;
        if (spec) {
            call.given[std::string(spec->name)] = spec->value.empty() || !optarg ? "" : optarg;
            continue;
        }
        if (c == ':')
            return {std::nullopt, Usage("Option " + std::string(argv[optind - 1]) + " braucht einen Wert")};
        std::string arg = optopt ? std::string("-") + char(optopt) : argv[optind - 1];
        if (auto eq = arg.find('='); eq != std::string::npos && arg.starts_with("--"))
            arg.erase(eq);
        return {std::nullopt, Usage("unbekannte Option " + arg)};
    }
    std::vector<std::string> args(argv + optind, argv + argc);
    if (!args.empty()) {
        call.commandName = args.front();
        call.command = FindCommand(call.commandName);
        call.operands.assign(args.begin() + 1, args.end());
    }
    return {call, 0};
}

namespace {
// "a", "a und b", "a, b und c".
std::string Enumeration(const std::vector<std::string>& items)
{
    std::string text;
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " und " : ", ") + items[i];
    return text;
}

std::vector<std::string> CommandsTaking(std::string_view option)
{
    std::vector<std::string> names;
    for (const auto& c : kCommands)
        if (Takes(c, option))
            names.emplace_back(c.name);
    return names;
}

// The option given that the command does not take, said with every option that the same
// commands take: "--force, --quiet, --start und --end gelten nur für run".
std::optional<std::string> OptionNotTaken(const Call& call)
{
    for (const auto& o : kOptions) {
        if (!call.Has(o.name) || Takes(*call.command, o.name))
            continue;
        auto takers = CommandsTaking(o.name);
        std::vector<std::string> alike;
        for (const auto& other : kOptions)
            if (CommandsTaking(other.name) == takers)
                alike.push_back("--" + std::string(other.name));
        return Enumeration(alike) + (alike.size() == 1 ? " gilt" : " gelten") + " nur für " +
               Enumeration(takers);
    }
    return std::nullopt;
}
}  // namespace

int Dispatch(const Call& call)
{
    if (call.Has("version")) {
        std::cout << kName << " " << program::kVersion << "\n"
                  << "Lizenz GPLv3+: GNU GPL Version 3 oder neuer <https://gnu.org/licenses/gpl.html>\n";
        return kOk;
    }
    // For the shell's completion: short name and full text of every action that can be offered.
    if (call.Has("aktionen")) {
        for (const auto& a : ops::kActions)
            if (!a.shortName.empty())
                std::cout << a.shortName << "\t" << a.text << "\n";
        return kOk;
    }
    if (call.Has("help")) {
        std::cout << (call.command ? CommandHelp(*call.command) : GeneralHelp()) << "\nFehler melden: <"
                  << kBugReports << ">\n";
        return kOk;
    }
    if (call.commandName.empty())
        return Usage("kein Befehl angegeben");
    if (!call.command)
        return Usage("unbekannter Befehl " + call.commandName);
    const Command& command = *call.command;
    if (auto problem = OptionNotTaken(call))
        return Usage(*problem, call.commandName);
    if (call.operands.size() != command.operands.size() &&
        !(command.many && call.operands.size() > command.operands.size())) {
        std::vector<std::string> names;
        for (const auto& operand : command.operands)
            names.emplace_back(operand.name);
        return Usage(std::string(command.name) + " braucht " +
                         (names.size() == 1 ? (command.many ? "mindestens eine " : "genau eine ") + names[0]
                                            : Enumeration(names)),
                     call.commandName);
    }
    return command.handler(call);
}

}  // namespace stellmark::cli
