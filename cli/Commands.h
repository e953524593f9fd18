#pragma once
// The handlers of the command table's rows, and what the help adds for a command.
#include <string>

#include "cli/Table.h"

namespace stellmark::cli {

int Info(const Call& call);
int Cramfs(const Call& call);
int Run(const Call& call);

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
