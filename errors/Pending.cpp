#include "errors/Pending.h"

#include <atomic>
#include <climits>
#include <csignal>
#include <cstring>
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

void OnSignal(int sig)
{
    UnlinkAll();
    ::_exit(128 + sig);
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
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    // While one of them is handled, the others wait: the first signal decides the exit status.
    for (int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&sa.sa_mask, sig);
    // A signal ignored at start stays ignored: a run under nohup outlives its terminal.
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
            ::sigaction(sig, &sa, nullptr);
    }
}

}  // namespace stellmark::pending
