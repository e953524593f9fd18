// Starts a program and prints the microseconds from its exec to the first window mapped on the
// X server's root window, then ends it and prints the processor time (user and system, all its
// threads) it used up to its end just after that map: on a busy machine the wall time says
// more about the neighbours than about the program. Waits on the server's events instead of polling, so it
// takes no processor time from the program it measures.
// Usage: stellmark-bench-mapwait TIMEOUT_MS PROGRAM [ARGS...]
#include <X11/Xlib.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TIMEOUT_MS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const int timeoutMs = std::atoi(argv[1]);
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "%s: no X server\n", argv[0]);
        return 2;
    }
    // Listen before the program starts, so that no map can be missed.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    long long micros = -1;
    const int fd = ConnectionNumber(display);
    while (micros < 0) {
        while (micros < 0 && XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify)
                micros = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        }
        if (micros >= 0)
            break;
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (waited >= timeoutMs)
            break;
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(timeoutMs - waited));
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            std::fprintf(stderr, "%s: %s ended without a window\n", argv[0], argv[2]);
            return 1;
        }
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (micros < 0) {
        std::fprintf(stderr, "%s: no window from %s within %d ms\n", argv[0], argv[2], timeoutMs);
        return 1;
    }
    rusage used{};
    getrusage(RUSAGE_CHILDREN, &used);
    const auto us = [](const timeval& t) { return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_usec; };
    std::printf("%lld %lld\n", micros, us(used.ru_utime) + us(used.ru_stime));
    return 0;
}
