#pragma once
// The command-line tool run as a child process on the demo images of every class, with data
// files of its own in a temporary folder: data/ holds them, none/ does not, out/ and other/ take
// outputs.
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

#include "tests/support/Process.h"
#include "tests/support/TestSupport.h"

namespace stellmark::test {

inline const std::string EX = "Experte - auszulesenden Bereich angeben";

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* sub : {"data", "none", "out", "other"})
            ::mkdir((dir / sub).c_str(), 0755);
        ResetPanne();
        data = InstallDataFiles(dir / "data");
        images = WriteImages(dir / "img", data.files);
    }
    // The whole call, with the data files' folder (a subfolder of dir) in front.
    std::vector<std::string> Args(std::vector<std::string> args, const std::string& dataDir = "data")
    {
        args.insert(args.begin(), {STELLMARK_CLI, "--data-dir", dir / dataDir});
        return args;
    }
    // Runs in dir, so that relative paths lie there.
    ProcessResult Cmd(std::vector<std::string> args, const std::string& dataDir = "data")
    {
        return RunProcess(Args(std::move(args), dataDir), dir.Path());
    }
    std::string Out(const std::string& name) { return dir / ("out/" + name); }

    TempDir dir;
    DataFiles data;
    std::map<int, std::string> images;  // by class, 0: no valid image
};

}  // namespace stellmark::test
