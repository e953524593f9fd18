#include "cli/Progress.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace stellmark::cli {

namespace {
using namespace std::chrono_literals;

// A run shorter than this shows nothing; lines come no closer than the other.
constexpr auto kDelay = 1s;
constexpr auto kInterval = 100ms;

ProgressPrinter* active = nullptr;

const char* PhaseText(Phase phase) { return phase == Phase::Write ? "schreiben" : "prüfen"; }

// "12,3": one decimal, with the comma of the program's texts.
std::string Decimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string s = text;
    if (auto dot = s.find('.'); dot != std::string::npos)
        s[dot] = ',';
    return s;
}

// Columns the line takes on the terminal: each UTF-8 sequence is one.
std::size_t Width(const std::string& text)
{
    std::size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}
}  // namespace

ProgressPrinter::ProgressPrinter(bool quiet)
    : ProgressPrinter(quiet, ::isatty(2) == 1, std::cerr, [] { return std::chrono::steady_clock::now(); })
{
}

ProgressPrinter::ProgressPrinter(bool quiet, bool terminal, std::ostream& to, Clock now)
    : show_(terminal && !quiet), to_(to), now_(std::move(now)), start_(now_()), installed_(*this)
{
    active = this;
}

ProgressPrinter::~ProgressPrinter()
{
    Clear();
    if (active == this)
        active = nullptr;
}

void ProgressPrinter::Progress(Phase phase, int64_t done, int64_t total)
{
    if (!show_)
        return;
    const auto now = now_();
    if (!started_ || phase != phase_) {
        started_ = true;
        phase_ = phase;
        phaseStart_ = now;
        phaseFrom_ = done;
    }
    if (now - start_ < kDelay || (shown_ && now - last_ < kInterval))
        return;
    std::string line = PhaseText(phase);
    constexpr double kMiB = 1024.0 * 1024.0;
    if (total > 0)
        line += " " + std::to_string(done * 100 / total) + " %";
    else
        line += " " + Decimal(static_cast<double>(done) / kMiB) + " MiB";
    const double seconds = std::chrono::duration<double>(now - phaseStart_).count();
    if (seconds > 0)
        line += " (" + Decimal(static_cast<double>(done - phaseFrom_) / kMiB / seconds) + " MiB/s)";
    const std::size_t width = Width(line);
    // A shorter line than the one before leaves no rest of it behind.
    if (width < width_)
        line.append(width_ - width, ' ');
    to_ << '\r' << line << std::flush;
    width_ = std::max(width_, width);
    shown_ = true;
    last_ = now;
}

void ProgressPrinter::Clear()
{
    if (!shown_)
        return;
    to_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    shown_ = false;
    width_ = 0;
}

void ClearProgress()
{
    if (active)
        active->Clear();
}

}  // namespace stellmark::cli
