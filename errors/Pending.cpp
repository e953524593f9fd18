#include "errors/Pending.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <unistd.h>

namespace stellmark::pending {

namespace {
// One copy at a time is the rule; a few slots leave room for a test or a nested helper.
constexpr int kSlots = 4;

struct Slot {
    std::atomic<bool> used{false};
    char path[PATH_MAX]{};
};
Slot slots[kSlots];

// Signals whose default action ends the process without a core: they end it with 128 + n.
constexpr int kEnding[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGUSR1, SIGUSR2,
                           SIGALRM, SIGVTALRM, SIGPROF, SIGPIPE, SIGPOLL, SIGSTKFLT};
// Faults and aborts: the files go, then the process ends the way it would have (core, sanitizer
// report), through the disposition that was there before.
constexpr int kCrashing[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGSYS, SIGTRAP};

struct sigaction before[NSIG];

void OnEnding(int sig)
{
    UnlinkAll();
    ::_exit(128 + sig);
}

void OnCrash(int sig, siginfo_t* info, void*)
{
    UnlinkAll();
    ::sigaction(sig, &before[sig], nullptr);
    // A fault raised by the hardware repeats when the handler returns; one sent by kill(2) or
    // abort(3) is sent again, and arrives once this handler has returned.
    if (info == nullptr || info->si_code <= 0)
        ::raise(sig);
}

sigset_t Handled()
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kEnding)
        sigaddset(&set, sig);
    return set;
}
}  // namespace

bool Add(const std::string& path)
{
    if (path.empty() || path.size() >= PATH_MAX)
        return false;
    for (auto& slot : slots) {
        if (slot.used.load(std::memory_order_acquire))
            continue;
        std::memcpy(slot.path, path.c_str(), path.size() + 1);
        slot.used.store(true, std::memory_order_release);
        return true;
    }
    return false;
}

void Remove(const std::string& path)
{
    for (auto& slot : slots) {
        if (slot.used.load(std::memory_order_acquire) && path == slot.path)
            slot.used.store(false, std::memory_order_release);
    }
}

void UnlinkAll() noexcept
{
    for (auto& slot : slots) {
        if (slot.used.exchange(false, std::memory_order_acq_rel))
            ::unlink(slot.path);
    }
}

void EndOnSignals()
{
    struct sigaction ending {};
    ending.sa_handler = OnEnding;
    // While one of them is handled, the others wait: the first signal decides the exit status.
    ending.sa_mask = Handled();
    // A signal ignored at start stays ignored: a run under nohup outlives its terminal.
    for (int sig : kEnding) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            ::sigaction(sig, &ending, nullptr);
    }
    struct sigaction crash {};
    crash.sa_sigaction = OnCrash;
    crash.sa_flags = SA_SIGINFO;
    crash.sa_mask = Handled();
    for (int sig : kCrashing) {
        if (::sigaction(sig, nullptr, &before[sig]) == 0 && before[sig].sa_handler != SIG_IGN)
            ::sigaction(sig, &crash, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
}

Hold::Hold()
{
    sigset_t set = Handled();
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
}

Hold::~Hold() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

}  // namespace stellmark::pending
