#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "TestSupport.h"
#include "modMain.h"

using namespace stellmark;
using namespace stellmark::modMain;

namespace {
// What a copy must produce, worked out independently of the engine.
std::string Expected(const std::string& src, int64_t start, int64_t end, const std::string& prev,
                     const std::string& prev1, const std::string& last)
{
    int64_t e = static_cast<int64_t>(src.size());
    if (end != 1 && end < e)
        e = end;
    std::string range;
    if (e - start + 1 > 0)
        range = src.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(e - start + 1));
    return prev + prev1 + range + last;
}

class Copy : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne();
        src = test::Pattern(0x30000 + 123, 3);
        test::WriteFile(dir / "src", src);
    }
    test::TempDir dir;
    std::string src;
};
}  // namespace

TEST_F(Copy, WritesThePiecesInOrderAndTheRangeExactly)
{
    const std::string five = test::Pattern(5000, 7), small = test::Pattern(100, 8);
    test::WriteFile(dir / "five", five);
    test::WriteFile(dir / "small", small);
    test::WriteFile(dir / "empty", "");
    struct Case {
        const char* what;
        int32_t start, end;
        std::string prev, prev1, last;
    };
    const std::string F = dir / "five", S = dir / "small", E = dir / "empty";
    std::vector<Case> cases = {
        {"defaults copy the whole source", 1, 1, "", "", ""},
        {"end beyond the source stops at its last byte", 5, 0x7FFFFFFF, "", "", ""},
        {"end 0 copies nothing of the source", 1, 0, F, "", ""},
        {"negative end copies nothing", 100, -5, "", S, ""},
        {"start past the end: only the extra files", 0x200, 0x100, F, S, F},
        {"exactly 32 whole blocks", 0x20001, 0x40000, "", "", ""},
        {"short range inside the first block", 0x101, 0x200, "", "", ""},
        {"4097 bytes: one block and one byte", 10, 10 + 4096, "", "", ""},
        {"last byte of the source alone", 0x30000 + 123, 0x30000 + 123, "", "", ""},
        {"empty extra file adds nothing", 1, 1, E, E, E},
        {"5000-byte extra file", 7, 8000, F, "", ""},
        {"second extra file alone stands in front", 1, 4096, "", S, ""},
        {"trailing file after the range", 2, 3, S, F, S},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string out = dir / "out";
        test::ScriptedPresenter chooser;
        ASSERT_TRUE(CopyFile(dir / "src", out, c.start, c.end, c.prev, c.prev1, c.last));
        auto content = [](const std::string& p) { return p.empty() ? std::string() : test::ReadFile(p); };
        EXPECT_EQ(test::ReadFile(out), Expected(src, c.start, c.end, content(c.prev),
                                                content(c.prev1), content(c.last)));
        EXPECT_TRUE(chooser.calls.empty());
    }
}

TEST_F(Copy, ReportsItsEntryWithAllSevenArguments)
{
    CopyFile(dir / "src", dir / "out", 3, 9, "p", "", "l");
    const auto& lines = frmPanne::Instance().lstCallStack();
    std::vector<std::string> params(lines.begin(), lines.end());
    // Failures for the missing extra files were left; find the entry lines from the bottom.
    auto at = std::find_if(params.begin(), params.end(), [](const std::string& l) {
        return l.find("[modMain] Public Function CopyFile(strSource As String,strDestination") != std::string::npos;
    });
    ASSERT_NE(at, params.end());
    std::vector<std::string> got(at + 1, at + 8);
    std::vector<std::string> want = {"\tstrSource:\t" + dir / "src", "\tstrDestination:\t" + dir / "out",
                                     "\tlngStart:\t3", "\tlngEnd:\t9", "\tPrevFile:\tp",
                                     "\tPrevFile1:\t", "\tLastFile:\tl"};
    EXPECT_EQ(got, want);
}

TEST_F(Copy, LeavesSourceAndExtraFilesUntouched)
{
    test::WriteFile(dir / "prev", "prev");
    struct stat before {}, beforePrev {}, after {}, afterPrev {};
    ::stat((dir / "src").c_str(), &before);
    ::stat((dir / "prev").c_str(), &beforePrev);
    ASSERT_TRUE(CopyFile(dir / "src", dir / "out", 1, 1, dir / "prev"));
    ::stat((dir / "src").c_str(), &after);
    ::stat((dir / "prev").c_str(), &afterPrev);
    EXPECT_EQ(test::ReadFile(dir / "src"), src);
    EXPECT_EQ(before.st_mtim.tv_nsec, after.st_mtim.tv_nsec);
    EXPECT_EQ(before.st_mtime, after.st_mtime);
    EXPECT_EQ(beforePrev.st_mtime, afterPrev.st_mtime);
}

TEST_F(Copy, AFailedCopyLeavesNothingUnderAnyName)
{
    struct Case {
        const char* what;
        std::string source, destination;
        int32_t start, end;
        std::string prev;
        const char* number;
    };
    std::vector<Case> cases = {
        {"missing source", dir / "nope", dir / "out", 1, 1, "", "53 (Datei nicht gefunden)"},
        {"missing extra file", dir / "src", dir / "out", 1, 1, dir / "nope", "53 (Datei nicht gefunden)"},
        {"missing folder", dir / "src", dir / "no/out", 1, 1, "", "76 (Pfad nicht gefunden)"},
        {"start below 1", dir / "src", dir / "out", 0, 100, "", "63 (Falsche Datensatznummer)"},
        {"range beyond 32 bits", dir / "src", dir / "out", -2147483647 - 1, 1, "", "6 (Überlauf)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScriptedPresenter chooser({kLeave});
        EXPECT_FALSE(CopyFile(c.source, c.destination, c.start, c.end, c.prev));
        ASSERT_EQ(chooser.calls.size(), 1u);
        EXPECT_EQ(chooser.calls[0].number, c.number);
        EXPECT_EQ(chooser.calls[0].proc, "CopyFile");
        EXPECT_EQ(dir.Entries(), std::vector<std::string> {"src"});
    }
}

TEST_F(Copy, ASkippedStepKeepsTheIncompleteOutputFromTheName)
{
    test::WriteFile(dir / "out", "old");
    test::ScriptedPresenter chooser({kNext});
    EXPECT_FALSE(CopyFile(dir / "src", dir / "out", 1, 1, dir / "nope"));
    EXPECT_EQ(chooser.calls.size(), 2u);  // the open, then the length of the unopened file
    EXPECT_EQ(test::ReadFile(dir / "out"), "old");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string> {"out", "src"}));
}

TEST_F(Copy, RunningAFailedStepAgainCompletesTheCopy)
{
    test::ScriptedPresenter chooser({kRetry});
    chooser.onShow = [&] { test::WriteFile(dir / "late", "LATE"); };
    ASSERT_TRUE(CopyFile(dir / "src", dir / "out", 1, 4, dir / "late"));
    EXPECT_EQ(test::ReadFile(dir / "out"), "LATE" + src.substr(0, 4));
}

TEST_F(Copy, AFullDiskIsReportedAndLeavesNoPartialFile)
{
    // A file-size limit makes writes fail as on a full medium.
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 0x10000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    test::ScriptedPresenter chooser({kRetry, kLeave});
    bool ok = CopyFile(dir / "src", dir / "out");
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    ASSERT_EQ(chooser.calls.size(), 2u);
    EXPECT_EQ(chooser.calls[0].number, "61 (Datenträger voll)");
    EXPECT_EQ(dir.Entries(), std::vector<std::string> {"src"});
}

TEST_F(Copy, EndingTheProgramMidCopyRemovesTheTemporaryFile)
{
    EXPECT_EXIT(
        {
            test::ScriptedPresenter chooser({kEnd});
            CopyFile(dir / "src", dir / "out", 1, 1, dir / "nope");
            std::exit(0);  // not reached: the handler ends the process
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "");
    EXPECT_EQ(dir.Entries(), std::vector<std::string> {"src"});
}
