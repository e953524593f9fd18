#pragma once
// How far a long piece of work has come, for whoever wants to show it. The work reports; a front
// end that cares installs an observer for one run; without one, reporting costs a pointer check.
//
//   ScopedProgress shown(printer);   // for this thread, until `shown` ends
//   ReportProgress(Phase::Write, done, total);
#include <cstdint>

namespace stellmark {

enum class Phase {
    Write,   // bytes written into an output
    Verify,  // bytes of an output read back and compared
};

class ProgressObserver {
public:
    virtual ~ProgressObserver() = default;
    // `done` of `total` bytes of `phase`; a total of 0 is not known yet.
    virtual void Progress(Phase phase, int64_t done, int64_t total) = 0;
};

// Installs `observer` for the work of this thread while it lives, then restores the one before.
class ScopedProgress {
public:
    explicit ScopedProgress(ProgressObserver& observer);
    ~ScopedProgress();
    ScopedProgress(const ScopedProgress&) = delete;
    ScopedProgress& operator=(const ScopedProgress&) = delete;

private:
    ProgressObserver* before_;
};

void ReportProgress(Phase phase, int64_t done, int64_t total);

}  // namespace stellmark
