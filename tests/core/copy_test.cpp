#include <gtest/gtest.h>

#include <optional>
#include <unistd.h>

#include "tests/support/TestSupport.h"
#include "core/modMain.h"
#include "files/Progress.h"

using namespace stellmark;
using namespace stellmark::modMain;

namespace {
// The range a copy must take from the source, worked out independently of the engine.
std::string Range(const std::string& src, int64_t start, int64_t end)
{
    int64_t e = end != 1 && end < static_cast<int64_t>(src.size()) ? end : static_cast<int64_t>(src.size());
    return e - start + 1 > 0
               ? src.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(e - start + 1))
               : "";
}

// The last report of bytes written: done and total.
struct LastWrite : ProgressObserver {
    void Progress(Phase phase, int64_t done, int64_t total) override
    {
        if (phase == Phase::Write)
            last = {done, total};
    }
    std::pair<int64_t, int64_t> last;
};

class Copy : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne(), src = test::Pattern(0x30000 + 123, 3), test::WriteFile(dir / "src", src);
    }
    test::TempDir dir;
    std::string src;
};
}  // namespace

TEST_F(Copy, WritesThePiecesInOrderAndTheRangeExactly)
{
    const std::string F = dir / "five", S = dir / "small", E = dir / "empty";
    test::WriteFile(F, test::Pattern(5000, 7));
    test::WriteFile(S, test::Pattern(100, 8));
    test::WriteFile(E, "");
    struct Case {
        const char* what;
        int32_t start, end;
        std::string prev, prev1, last;
    };
    std::vector<Case> cases = {
        {"defaults: the whole source", 1, 1, "", "", ""},
        {"end beyond the source", 5, 0x7FFFFFFF, "", "", ""},
        {"end 0: nothing of the source", 1, 0, F, "", ""},
        {"negative end: nothing", 100, -5, "", S, ""},
        {"start past the end: only extras", 0x200, 0x100, F, S, F},
        {"32 whole blocks", 0x20001, 0x40000, "", "", ""},
        {"inside the first block", 0x101, 0x200, "", "", ""},
        {"one block and one byte", 10, 10 + 4096, "", "", ""},
        {"last byte alone", 0x30000 + 123, 0x30000 + 123, "", "", ""},
        {"empty extras add nothing", 1, 1, E, E, E},
        {"second extra alone in front", 1, 4096, "", S, ""},
        {"trailing file after the range", 2, 3, S, F, S},
    };
    auto content = [](const std::string& p) { return p.empty() ? std::string() : test::ReadFile(p); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ResetPanne();
        test::ScriptedPresenter chooser;
        LastWrite progress;
        ScopedProgress shown(progress);
        ASSERT_EQ(CopyFile(dir / "src", dir / "out", c.start, c.end, c.prev, c.prev1, c.last),
                  CopyResult::Written);
        const std::string want =
            content(c.prev) + content(c.prev1) + Range(src, c.start, c.end) + content(c.last);
        EXPECT_EQ(test::ReadFile(dir / "out"), want);
        // The progress of writing ends at the whole output, of a total not known yet (0) or of that.
        const auto size = static_cast<int64_t>(want.size());
        EXPECT_TRUE(progress.last.first == size &&
                    (progress.last.second == size || progress.last.second == 0))
            << progress.last.second;
        EXPECT_TRUE(chooser.calls.empty());
    }
    EXPECT_EQ(test::ReadFile(dir / "src"), src);
}

TEST_F(Copy, AFailedCopyLeavesNothingUnderAnyName)
{
    // prev: a data file written in front
    struct Case {
        const char* what;
        std::string source, destination;
        int32_t start, end;
        std::string prev;
        const char* number;
    };
    const std::string source = dir / "src", out = dir / "out";
    std::vector<Case> cases = {
        {"missing source", dir / "nope", out, 1, 1, "", "53 (Datei nicht gefunden)"},
        {"missing extra file", source, out, 1, 1, dir / "nope", "53 (Datei nicht gefunden)"},
        {"missing folder", source, dir / "no/out", 1, 1, "", "76 (Pfad nicht gefunden)"},
        {"start below 1", source, out, 0, 100, "", "63 (Falsche Datensatznummer)"},
        {"range beyond 32 bits", source, out, -2147483647 - 1, 1, "", "6 (Überlauf)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ScriptedPresenter chooser({kLeave});
        EXPECT_EQ(CopyFile(c.source, c.destination, c.start, c.end, c.prev), CopyResult::Failed);
        ASSERT_EQ(chooser.calls.size(), 1u);
        EXPECT_EQ(chooser.calls[0].number + " " + chooser.calls[0].proc, c.number + std::string(" CopyFile"));
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"src"});
    }
}

TEST_F(Copy, SkipKeepsTheOldOutputRetryCompletesAndAFullDiskLeavesNothing)
{
    test::WriteFile(dir / "out", "old");
    {
        test::ScriptedPresenter chooser({kNext, kNext});
        EXPECT_EQ(CopyFile(dir / "src", dir / "out", 1, 1, dir / "nope"), CopyResult::Skipped);
        EXPECT_EQ(chooser.calls.size(), 2u);  // the open, then the length of the unopened file
    }
    {
        // A last file that cannot be measured adds nothing to the total the progress shows.
        test::ScriptedPresenter chooser({kNext, kNext, kNext});
        LastWrite progress;
        ScopedProgress shown(progress);
        EXPECT_EQ(CopyFile(dir / "src", dir / "out", 1, 1, "", "", dir / "nope"), CopyResult::Skipped);
        EXPECT_EQ(progress.last, std::make_pair(int64_t(src.size()), int64_t(src.size())));
    }
    EXPECT_EQ(test::ReadFile(dir / "out"), "old");
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"out", "src"}));
    {
        test::ScriptedPresenter chooser({kRetry});
        chooser.onShow = [&] { test::WriteFile(dir / "late", "LATE"); };
        ASSERT_EQ(CopyFile(dir / "src", dir / "out", 1, 4, dir / "late"), CopyResult::Written);
        EXPECT_EQ(test::ReadFile(dir / "out"), "LATE" + src.substr(0, 4));
    }
    // A full disk; while the user frees space the source loses its last byte: the retried copy
    // finds the end short, not a stale byte in its place.
    ::unlink((dir / "out").c_str()), ::unlink((dir / "late").c_str());
    test::ScriptedPresenter chooser({kRetry, kLeave});
    std::optional<test::ScopedFileSizeLimit> full(0x10000);
    chooser.onShow = [&] {
        if (full) {
            full.reset();
            ASSERT_EQ(::truncate((dir / "src").c_str(), off_t(src.size() - 1)), 0);
        }
    };
    EXPECT_EQ(CopyFile(dir / "src", dir / "out"), CopyResult::Failed);
    ASSERT_EQ(chooser.calls.size(), 2u);
    EXPECT_EQ(chooser.calls[0].number + " " + chooser.calls[1].number,
              "61 (Datei zu groß) 62 (Einlesen hinter Dateiende)");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"src"});
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
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"src"});
}
