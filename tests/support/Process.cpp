#include "tests/support/Process.h"

#include <csignal>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace stellmark::test {

namespace {
Child Start(const std::function<void()>& inChild)
{
    // What the child prints goes to files in memory, read once it has ended: nothing to poll,
    // and no other child inherits them.
    Child c{-1, ::memfd_create("out", MFD_CLOEXEC), ::memfd_create("err", MFD_CLOEXEC)};
    if (c.out >= 0 && c.err >= 0)
        c.pid = ::fork();
    if (c.pid == 0) {
        ::dup2(c.out, 1);
        ::dup2(c.err, 2);
        // The test program's own dispositions and mask are not the child's business.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXFSZ})
            std::signal(sig, SIG_DFL);
        inChild();
    }
    return c;
}
}  // namespace

Child Spawn(const std::vector<std::string>& argv, const std::string& workDir)
{
    return Start([&] {
        if (!workDir.empty() && ::chdir(workDir.c_str()) != 0)
            ::_exit(127);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    });
}

ProcessResult RunForked(const std::function<void()>& body)
{
    return Wait(Start([&] {
        body();
        ::_exit(0);
    }));
}

ProcessResult Wait(Child child)
{
    ProcessResult r;
    int status = 0;
    if (child.pid > 0 && ::waitpid(child.pid, &status, 0) == child.pid) {
        r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    for (auto [fd, sink] : {std::pair{child.out, &r.out}, std::pair{child.err, &r.err}}) {
        char buf[4096];
        for (ssize_t n; fd >= 0 && (n = ::pread(fd, buf, sizeof buf, static_cast<off_t>(sink->size()))) > 0;)
            sink->append(buf, static_cast<std::size_t>(n));
        if (fd >= 0)
            ::close(fd);
    }
    return r;
}

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& workDir)
{
    return Wait(Spawn(argv, workDir));
}

}  // namespace stellmark::test
