#include <gtest/gtest.h>

#include "Program.h"
#include "Proc.h"
#include "TestSupport.h"

using namespace stellmark;

namespace {
// A procedure of three steps whose middle one fails `failures` times before it works.
struct Outcome {
    int result;
    int attempts;
    bool lastStepRan;
    bool middleReported;
};

Outcome RunThreeSteps(int failures, Handler handler = Handler::Standard)
{
    Proc p("modTest", "ThreeSteps", "[modTest] Function ThreeSteps() As Long", handler);
    Outcome o {0, 0, false, false};
    o.result = 0;
    int held = 0;
    p.Run(held, [&] {
        p.Step([&] { held = 1; });
        o.middleReported = !p.Step([&] {
            ++o.attempts;
            if (o.attempts <= failures)
                throw Failure(err::FileNotFound);
            held = 2;
        });
        p.Step([&] {
            o.lastStepRan = true;
            held += 10;
        });
    });
    o.result = held;
    return o;
}
}  // namespace

TEST(Handler, ActsOnTheChoiceOfTheUser)
{
    struct Case {
        const char* what;
        std::deque<int16_t> script;
        int failures;
        int result, attempts, dialogs;
        bool lastStepRan, exited;
    };
    std::vector<Case> cases = {
        {"again until it works", {kRetry, kRetry}, 2, 12, 3, 2, true, false},
        {"next statement", {kNext}, 5, 11, 1, 1, true, false},
        {"leave returns what it holds", {kLeave}, 5, 1, 1, 1, false, false},
        {"a value outside 0..3 leaves", {7}, 5, 1, 1, 1, false, false},
        {"end the program", {kEnd}, 5, 1, 1, 1, false, true},
        {"no failure, no dialog", {}, 0, 12, 1, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ResetPanne();
        test::ScriptedPresenter chooser(c.script);
        test::ScopedExit exit;
        Outcome o = RunThreeSteps(c.failures);
        EXPECT_EQ(o.result, c.result);
        EXPECT_EQ(o.attempts, c.attempts);
        EXPECT_EQ(o.lastStepRan, c.lastStepRan);
        EXPECT_EQ(static_cast<int>(chooser.calls.size()), c.dialogs);
        EXPECT_EQ(exit.calls, c.exited ? 1 : 0);
    }
}

TEST(Handler, SilentHandlerLeavesWithoutAsking)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser({kRetry});
    Outcome o = RunThreeSteps(1, Handler::Silent);
    EXPECT_TRUE(chooser.calls.empty());
    EXPECT_EQ(o.result, 1);
    EXPECT_FALSE(o.lastStepRan);
    EXPECT_EQ(frmPanne::Instance().lstCallStack().front().substr(9),
              "[modTest] Function ThreeSteps() As Long");
}

TEST(Handler, TheDialogIsGivenNumberDescriptionModuleProcedureAndLine)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser({kLeave});
    Proc p("modMain", "GetImageSize", "[sig]");
    int line = 0;
    p.Run([&] {
        line = __LINE__ + 1;
        p.Step([] { throw Failure(err::FileNotFound); });
    });
    ASSERT_EQ(chooser.calls.size(), 1u);
    EXPECT_EQ(chooser.calls[0].number, "53 (Datei nicht gefunden)");
    EXPECT_EQ(chooser.calls[0].module, "modMain");
    EXPECT_EQ(chooser.calls[0].proc, "GetImageSize");
    EXPECT_EQ(chooser.calls[0].line, std::to_string(line));
    EXPECT_EQ(chooser.calls[0].contBits, 255);

    auto& panne = frmPanne::Instance();
    std::string info = program::BaseName() + "  V0.1.1";
    EXPECT_EQ(panne.ProgInfo(), info);
    EXPECT_EQ(panne.Caption(), info + " - Fehlermeldung");
    EXPECT_EQ(panne.ContinueChoice(), kLeave);
}

TEST(Handler, LeavingAnInnerProcedureLetsTheCallerGoOn)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser({kLeave});
    auto inner = [] {
        Proc p("m", "Inner", "[m] Function Inner() As String");
        std::string held = "partial";
        return p.Run(held, [&] {
            p.Step([] { throw Failure(err::Overflow); });
            held = "never";
        });
    };
    Proc outer("m", "Outer", "[m] Sub Outer()");
    std::string got;
    bool after = false;
    outer.Run([&] {
        outer.Step([&] { got = inner(); });
        after = true;
    });
    EXPECT_EQ(got, "partial");
    EXPECT_TRUE(after);
    EXPECT_FALSE(outer.AnySkipped());
}
