#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

#include "errors/Pending.h"
#include "errors/Proc.h"
#include "tests/support/Process.h"
#include "tests/support/TestSupport.h"

using namespace stellmark;

TEST(Pending, EveryNameTakenIsRemovedAndNoOtherAndAFullRegisterSaysSo)
{
    test::TempDir dir;
    auto file = [&](const std::string& name) {
        test::WriteFile(dir / name, "");
        return dir / name;
    };
    EXPECT_FALSE(pending::Add("") || pending::Add(std::string(PATH_MAX, 'x')));
    // A slot that held a longer name before holds the shorter one alone.
    ASSERT_TRUE(pending::Add(dir / "a-longer-name"));
    pending::Remove(dir / "a-longer-name");
    ASSERT_TRUE(pending::Add(file("b")) && pending::Add(file("a")));
    pending::Remove(dir / "a");
    std::vector<std::string> left = {"a"};
    for (int i = 0; i < 8; ++i) {
        const std::string name = "f" + std::to_string(i);
        if (!pending::Add(file(name)))
            left.push_back(name);
    }
    pending::UnlinkAll();
    EXPECT_GT(left.size(), 1u);
    EXPECT_EQ(dir.Entries(), left);
}

TEST(Pending, SignalsRemoveTheFilesAndEndTheProcessAsTheySay)
{
    test::TempDir dir;
    const std::string file = dir / "temp";
    struct Case {
        int sig;
        bool ignoredAtStart, held;
        int exitCode, signal;  // how the process ends
        std::string said;      // what it printed after sending itself the signal
        bool fileStays;
    };
    const std::vector<Case> cases = {
        {SIGTERM, false, true, 128 + SIGTERM, 0, "held", false},  // held back until the step is done
        {SIGILL, false, false, -1, SIGILL, "", false},            // a crash, sent by kill(2)
        {SIGHUP, true, false, 0, 0, "after", true},               // as under nohup
        {SIGILL, true, false, 0, 0, "after", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::strsignal(c.sig));
        test::WriteFile(file, "");
        auto r = test::RunForked([&] {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            if (c.ignoredAtStart)
                std::signal(c.sig, SIG_IGN);
            pending::EndOnSignals();
            pending::Add(file);
            {
                std::optional<pending::Hold> hold;
                if (c.held)
                    hold.emplace();
                ::kill(::getpid(), c.sig);
                if (c.held)
                    (void)!::write(1, "held", 4);
            }
            (void)!::write(1, "after", 5);
        });
        EXPECT_EQ(std::tie(r.exitCode, r.signal, r.out), std::tie(c.exitCode, c.signal, c.said));
        EXPECT_EQ(test::Exists(file), c.fileStays);
    }
    // The failure dialog's "end the program" removes them too, and ends with 1.
    test::WriteFile(file, "");
    auto r = test::RunForked([&] {
        pending::Add(file);
        test::ScriptedPresenter chooser({kEnd});
        Proc p("[m] Sub Fails()");
        p.Run([&] { p.Step([] { throw Failure(err::Overflow); }); });
    });
    EXPECT_TRUE(r.exitCode == 1 && !test::Exists(file)) << r.exitCode;
}
