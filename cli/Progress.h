#pragma once
// Progress of a long run as one line on a terminal's stderr, rewritten in place: "schreiben
// 42 % (12,3 MiB/s)". Shown only to a person watching: never into a pipe or a file, never with
// --quiet, and only once the run has taken a second, at most ten times a second.
#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>

#include "files/Progress.h"

namespace stellmark::cli {

class ProgressPrinter : public ProgressObserver {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // For the run of this command: stderr, the real clock, isatty(2).
    explicit ProgressPrinter(bool quiet);
    // `terminal` says whether `to` is one; `now` is the clock.
    ProgressPrinter(bool quiet, bool terminal, std::ostream& to, Clock now);
    // Clears the line.
    ~ProgressPrinter() override;
    ProgressPrinter(const ProgressPrinter&) = delete;
    ProgressPrinter& operator=(const ProgressPrinter&) = delete;

    void Progress(Phase phase, int64_t done, int64_t total) override;
    // Clears the line, if one is shown, so that what follows starts at the left margin.
    void Clear();

private:
    bool show_;
    std::ostream& to_;
    Clock now_;
    std::chrono::steady_clock::time_point start_, last_{}, phaseStart_{};
    bool shown_ = false;
    bool started_ = false;  // a phase has been seen
    Phase phase_ = Phase::Write;
    int64_t phaseFrom_ = 0;  // bytes done when the phase was first seen
    std::size_t width_ = 0;  // of the line shown
    ScopedProgress installed_;
};

// Clears the line of the printer of the current run, if any: every line said on stderr first
// calls this.
void ClearProgress();

}  // namespace stellmark::cli
