#include <gtest/gtest.h>

#include <optional>
#include <unistd.h>

#include "tests/support/TestSupport.h"
#include "core/modMain.h"

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
        {.what = "defaults: the whole source", .start = 1, .end = 1, .prev = "", .prev1 = "", .last = ""},
        {.what = "end beyond the source", .start = 5, .end = 0x7FFFFFFF, .prev = "", .prev1 = "", .last = ""},
        {.what = "end 0: nothing of the source", .start = 1, .end = 0, .prev = F, .prev1 = "", .last = ""},
        {.what = "negative end: nothing", .start = 100, .end = -5, .prev = "", .prev1 = S, .last = ""},
        {.what = "start past the end: only extras",
         .start = 0x200,
         .end = 0x100,
         .prev = F,
         .prev1 = S,
         .last = F},
        {.what = "32 whole blocks", .start = 0x20001, .end = 0x40000, .prev = "", .prev1 = "", .last = ""},
        {.what = "inside the first block", .start = 0x101, .end = 0x200, .prev = "", .prev1 = "", .last = ""},
        {.what = "one block and one byte",
         .start = 10,
         .end = 10 + 4096,
         .prev = "",
         .prev1 = "",
         .last = ""},
        {.what = "last byte alone",
         .start = 0x30000 + 123,
         .end = 0x30000 + 123,
         .prev = "",
         .prev1 = "",
         .last = ""},
        {.what = "empty extras add nothing", .start = 1, .end = 1, .prev = E, .prev1 = E, .last = E},
        {.what = "second extra alone in front", .start = 1, .end = 4096, .prev = "", .prev1 = S, .last = ""},
        {.what = "trailing file after the range", .start = 2, .end = 3, .prev = S, .prev1 = F, .last = S},
    };
    auto content = [](const std::string& p) { return p.empty() ? std::string() : test::ReadFile(p); };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ResetPanne();
        test::ScriptedPresenter chooser;
        ASSERT_EQ(CopyFile(dir / "src", dir / "out", c.start, c.end, c.prev, c.prev1, c.last),
                  CopyResult::Written);
        EXPECT_EQ(test::ReadFile(dir / "out"),
                  content(c.prev) + content(c.prev1) + Range(src, c.start, c.end) + content(c.last));
        EXPECT_TRUE(chooser.calls.empty());
    }
    EXPECT_EQ(test::ReadFile(dir / "src"), src);
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
        {.what = "missing source",
         .source = dir / "nope",
         .destination = dir / "out",
         .start = 1,
         .end = 1,
         .prev = "",
         .number = "53 (Datei nicht gefunden)"},
        {.what = "missing extra file",
         .source = dir / "src",
         .destination = dir / "out",
         .start = 1,
         .end = 1,
         .prev = dir / "nope",
         .number = "53 (Datei nicht gefunden)"},
        {.what = "missing folder",
         .source = dir / "src",
         .destination = dir / "no/out",
         .start = 1,
         .end = 1,
         .prev = "",
         .number = "76 (Pfad nicht gefunden)"},
        {.what = "start below 1",
         .source = dir / "src",
         .destination = dir / "out",
         .start = 0,
         .end = 100,
         .prev = "",
         .number = "63 (Falsche Datensatznummer)"},
        {.what = "range beyond 32 bits",
         .source = dir / "src",
         .destination = dir / "out",
         .start = -2147483647 - 1,
         .end = 1,
         .prev = "",
         .number = "6 (Überlauf)"},
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
