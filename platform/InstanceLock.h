#pragma once
// Whether another instance of the program runs: a lock held for the program's lifetime.
#include <string>

namespace stellmark::platform {

class InstanceLock {
public:
    virtual ~InstanceLock() = default;
    // True when this instance now holds the lock; false when another running one does.
    virtual bool Acquire() = 0;
};

// One lock per settings folder (errors/Places.h): copies of the program in different folders
// keep different settings and may run side by side. The file lies in the user's runtime folder,
// or where there is none in a private folder of the user's cache; never in a folder another user
// can write to. The system's own file lock (flock): it ends with the process however that ends,
// so nothing is left to take over, and taking it writes nothing, so that the start waits for no
// disk.
class FileInstanceLock final : public InstanceLock {
public:
    // path empty: the per-user default for this program's name.
    explicit FileInstanceLock(std::string path = {});
    ~FileInstanceLock() override;
    bool Acquire() override;
    const std::string& Path() const { return path_; }

    // Empty when no folder is safe for it; the instance test is then left out.
    static std::string DefaultPath();
    // The lock file's name for the settings kept in `settingsDir`.
    static std::string FileName(const std::string& settingsDir);

private:
    std::string path_;
    int fd_ = -1;
};

}  // namespace stellmark::platform
