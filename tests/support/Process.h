#pragma once
// Runs a program as a child process and captures what it prints and how it ends.
#include <string>
#include <vector>

namespace stellmark::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workDir = "");

// A child started without waiting for it, with the default answer to every signal.
struct Child {
    int pid = -1;
    int out = -1, err = -1;
};
Child Spawn(const std::vector<std::string>& argv, const std::string& workDir = "");
// Reads what the child prints until it ends, and how it ended: a signal that killed it shows
// as -1, an exit as its code.
ProcessResult Wait(Child child);

}  // namespace stellmark::test
