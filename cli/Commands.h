#pragma once
// The handlers of the command table's rows, and what the help adds for a command.
#include <string>

#include "cli/Table.h"

namespace stellmark::cli {

int Info(const Call& call);
int Cramfs(const Call& call);
int Run(const Call& call);
int Inhalt(const Call& call);
int Karte(const Call& call);

// Runs `one` for each operand of a command that takes several files: with more than one, each
// block starts with the file's name and JSON comes one object per line; the exit code is the
// worst of them.
int ForEachFile(const Call& call, int (*one)(const Call& call, const std::string& file));

std::string RunActions();

// Parses argv against the table; a usage error gives its exit code instead of a call.
struct Parsed {
    std::optional<Call> call;
    int exitCode = 0;
};
Parsed Parse(int argc, char** argv);
// Checks the call against the table (help, version, command, options, operands) and runs it.
int Dispatch(const Call& call);

std::string GeneralHelp();
std::string CommandHelp(const Command& command);
// The bash completion script, made from the table.
std::string CompletionScript();

}  // namespace stellmark::cli
