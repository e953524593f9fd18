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

}  // namespace stellmark::test
