#pragma once
// Runs a program as a child process and captures what it prints and how it ends.
#include <functional>
#include <string>
#include <vector>

namespace stellmark::test {

struct ProcessResult {
    int exitCode = -1;  // -1 when it did not exit normally
    int signal = 0;     // the signal that ended it, if one did
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
// Runs `body` in a forked child (exit 0 when it returns) and waits for it, as Spawn and Wait do.
ProcessResult RunForked(const std::function<void()>& body);

}  // namespace stellmark::test
