// One running instance at a time, and a crashed one does not lock the user out.
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "InstanceLock.h"
#include "Screen.h"
#include "TestSupport.h"

namespace stellmark::platform {
namespace {

TEST(FileInstanceLock, SecondInstanceIsRefusedUntilTheFirstEnds)
{
    test::TempDir dir;
    auto first = std::make_unique<FileInstanceLock>(dir / "s.lock");
    FileInstanceLock second(dir / "s.lock");
    ASSERT_TRUE(first->Acquire());
    EXPECT_TRUE(first->Acquire());  // asking again keeps it
    EXPECT_FALSE(second.Acquire());
    first.reset();
    EXPECT_TRUE(second.Acquire());
}

TEST(FileInstanceLock, TakesOverTheLockOfAKilledInstance)
{
    test::TempDir dir;
    const std::string path = dir / "s.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FileInstanceLock lock(path);
        char ok = lock.Acquire() ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        for (;;)
            ::pause();
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    FileInstanceLock mine(path);
    EXPECT_FALSE(mine.Acquire());  // the other one still runs
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.Acquire());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(Screen, TwipsPerPixelFollowsTheLogicalResolution)
{
    struct Case {
        double dpi, twips;
    };
    for (auto c : {Case{96, 15}, Case{120, 12}, Case{144, 10}, Case{192, 7.5}, Case{0, 15}})
        EXPECT_DOUBLE_EQ(TwipsPerPixel(c.dpi), c.twips) << c.dpi;
}

}  // namespace
}  // namespace stellmark::platform
