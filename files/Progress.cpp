#include "files/Progress.h"

namespace stellmark {

namespace {
// Per thread: a run's observer sees only its own run's work, whichever thread carries it out.
thread_local ProgressObserver* current = nullptr;
}  // namespace

ScopedProgress::ScopedProgress(ProgressObserver& observer) : before_(current) { current = &observer; }

ScopedProgress::~ScopedProgress() { current = before_; }

void ReportProgress(Phase phase, int64_t done, int64_t total)
{
    if (current)
        current->Progress(phase, done, total);
}

}  // namespace stellmark
