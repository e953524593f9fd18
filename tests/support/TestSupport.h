#pragma once
// Shared helpers of the tests: a scripted error chooser, temporary folders and file bytes.
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

#include "core/DataFiles.h"
#include "errors/Program.h"
#include "errors/frmPanne.h"

namespace stellmark::test {

// Replaces parts of the failure handler while the object lives: `change` edits a copy of the
// services in use, which then take their place; the old ones come back at the end.
class ScopedFailureServices {
public:
    explicit ScopedFailureServices(const std::function<void(FailureServices&)>& change)
        : previous_(frmPanne::Instance().Services())
    {
        FailureServices services = previous_;
        change(services);
        frmPanne::Instance().Replace(std::move(services));
    }
    ~ScopedFailureServices() { frmPanne::Instance().Replace(std::move(previous_)); }
    ScopedFailureServices(const ScopedFailureServices&) = delete;
    ScopedFailureServices& operator=(const ScopedFailureServices&) = delete;

private:
    FailureServices previous_;
};

// Answers OnError from a script and records what each call was given.
class ScriptedPresenter : public ErrorPresenter {
public:
    // number: "number (description)", then module, procedure and line as the dialog shows them
    struct Call {
        std::string number, module, proc, line;
        int16_t contBits;
    };
    explicit ScriptedPresenter(std::deque<int16_t> script = {}, int16_t fallback = kLeave)
        : script_(std::move(script)), fallback_(fallback)
    {
    }

    void Prepare(frmPanne&, int16_t contBits) override { pendingBits_ = contBits; }
    int16_t ShowModal(frmPanne& panne) override;

    std::vector<Call> calls;
    std::function<void()> onShow;  // runs while the dialog "shows"

private:
    std::deque<int16_t> script_;
    int16_t fallback_;
    int16_t pendingBits_ = 0;
    ScopedFailureServices installed_{[this](FailureServices& s) { s.presenter = this; }};
};

// Runs `undo` when the scope ends, however it ends: a failed assertion returns early too.
class Finally {
public:
    explicit Finally(std::function<void()> undo) : undo_(std::move(undo)) {}
    ~Finally() { undo_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

private:
    std::function<void()> undo_;
};

// Works in `dir` while the object lives, then goes back.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::string& dir)
        : previous_(std::filesystem::current_path(ec_).string()), entered_(!ec_ && ::chdir(dir.c_str()) == 0)
    {
    }
    ~ScopedWorkingFolder()
    {
        if (entered_)
            (void)!::chdir(previous_.c_str());
    }
    bool Entered() const { return entered_; }

private:
    std::error_code ec_;
    std::string previous_;
    bool entered_;
};

// Sets an environment variable (unsets it for nullptr) while the object lives, then restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = ::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_.c_str(), old_->c_str(), 1) : ::unsetenv(name_.c_str()); }

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Makes writes past `bytes` fail as on a full disk while the object lives: a file size limit,
// with SIGXFSZ ignored so that the write reports it. Tests run as root, whom modes do not stop.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(rlim_t bytes);
    ~ScopedFileSizeLimit();

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Names of the entries in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};

// Makes the program file appear to lie in `dir` under `name` while the object lives.
class ScopedProgramFile {
public:
    ScopedProgramFile(const std::string& dir, const std::string& name = "Stellmark")
    {
        program::OverrideFile(dir + "/" + name);
    }
    ~ScopedProgramFile() { program::OverrideFile(""); }
};

// The number of the Failure that `f` throws; 0 when it throws none.
int FailureNumber(const std::function<void()>& f);

std::string Pattern(std::size_t n, unsigned seed = 1);
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// Writes three data files of 0x20000 bytes with distinct signatures into `dir`. Returns the
// contents (1zu2, 2zu1, boot) and the files as the core locates them there.
struct DataFiles {
    std::string f1zu2, f2zu1, boot;
    modMain::DataFiles files;
};
DataFiles InstallDataFiles(const std::string& dir);
// Writes an image of every class into `dir` from the data files installed last: the demo images,
// by class (0: one byte short of an image, no valid one).
std::map<int, std::string> WriteImages(const std::string& dir, const modMain::DataFiles& dataFiles);

// Empties the trace list and the error component's remembered values.
void ResetPanne();

}  // namespace stellmark::test
