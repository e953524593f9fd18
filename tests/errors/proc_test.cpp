#include <gtest/gtest.h>

#include <array>

#include "errors/Proc.h"
#include "tests/support/TestSupport.h"

using namespace stellmark;

namespace {
// A procedure of three steps whose middle one fails `failures` times before it works.
struct Outcome {
    int result = 0, attempts = 0;
    bool lastStepRan = false;
};

Outcome RunThreeSteps(int failures, Handler handler = Handler::Standard)
{
    Proc p("[modTest] Function ThreeSteps() As Long", handler);
    Outcome o;
    int& held = o.result;
    p.Run(held, [&] {
        p.Step([&] { held = 1; });
        p.Step([&] { held = ++o.attempts <= failures ? throw Failure(err::FileNotFound) : 2; });
        p.Step([&] {
            o.lastStepRan = true;
            held += 10;
        });
    });
    return o;
}
}  // namespace

TEST(Handler, ActsOnTheChoiceOfTheUserOrSilently)
{
    // the user's answers; failures of the middle step; what the procedure returns, how often the
    // step ran, dialogs shown, whether the last step ran and the program was ended
    struct Case {
        const char* what;
        std::deque<int16_t> script;
        int failures, result, attempts, dialogs;
        bool lastStepRan, exited;
        Handler handler = Handler::Standard;
    };
    const std::vector<Case> cases = {
        {"again until it works", {kRetry, kRetry}, 2, 12, 3, 2, true, false},
        {"next statement", {kNext}, 5, 11, 1, 1, true, false},
        {"leave returns what it holds", {kLeave}, 5, 1, 1, 1, false, false},
        {"a value outside 0..3 leaves", {7}, 5, 1, 1, 1, false, false},
        {"end the program", {kEnd}, 5, 1, 1, 1, false, true},
        {"no failure, no dialog", {}, 0, 12, 1, 0, true, false},
        {"silent handler leaves without asking", {kRetry}, 1, 1, 1, 0, false, false, Handler::Silent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::ResetPanne();
        test::ScriptedPresenter chooser(c.script);
        int exits = 0;
        test::ScopedFailureServices exit([&](FailureServices& s) { s.exit = [&] { ++exits; }; });
        Outcome o = RunThreeSteps(c.failures, c.handler);
        EXPECT_EQ(std::tie(o.result, o.attempts, o.lastStepRan),
                  std::tie(c.result, c.attempts, c.lastStepRan));
        EXPECT_EQ(static_cast<int>(chooser.calls.size()), c.dialogs);
        EXPECT_EQ(exits, c.exited ? 1 : 0);
        EXPECT_EQ(frmPanne::Instance().lstCallStack().front().substr(9),
                  "[modTest] Function ThreeSteps() As Long");
    }
}

TEST(Handler, TheDialogIsGivenNumberDescriptionModuleProcedureAndLine)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser({kLeave});
    Proc p("[modMain] Function GetImageSize(FileName As String) As Long");
    int line = 0;
    p.Run([&] {
        line = __LINE__ + 1;
        p.Step([] { throw Failure(err::FileNotFound); });
    });
    ASSERT_EQ(chooser.calls.size(), 1u);
    const auto& d = chooser.calls[0];
    EXPECT_EQ(std::vector<std::string>({d.number, d.module, d.proc, d.line, std::to_string(d.contBits)}),
              std::vector<std::string>(
                  {"53 (Datei nicht gefunden)", "modMain", "GetImageSize", std::to_string(line), "255"}));
}

TEST(Handler, LeavingAnInnerProcedureLetsTheCallerGoOn)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser({kLeave});
    auto inner = [] {
        Proc p("[m] Function Inner() As String");
        std::string held = "partial";
        return p.Run(held, [&] {
            p.Step([] { throw Failure(err::Overflow); });
            held = "never";
        });
    };
    Proc outer("[m] Sub Outer()");
    std::string got;
    bool after = false;
    outer.Run([&] {
        outer.Step([&] { got = inner(); });
        after = true;
    });
    EXPECT_EQ(got, "partial");
    EXPECT_TRUE(after && !outer.AnySkipped());
    // Leaving the outer one from inside an inner procedure leaves both.
    after = false;
    outer.Run([&] {
        Proc inner("[m] Sub Inner()");
        inner.Run([&] { outer.Step([] { throw Failure(err::Overflow); }); });
        after = true;
    });
    EXPECT_FALSE(after);
}

TEST(Handler, AFailureOutsideAnyStepIsReportedToo)
{
    test::ResetPanne();
    test::ScriptedPresenter chooser;
    Proc p("[m] Sub S()");
    p.Run([] { throw Failure(err::Overflow); });
    p.Run([] { throw std::runtime_error("x"); });
    ASSERT_EQ(chooser.calls.size(), 2u);
    EXPECT_EQ(chooser.calls[0].number + "|" + chooser.calls[1].number, "6 (Überlauf)|51 (Interner Fehler)");
}

TEST(Handler, ModuleAndNameAreReadOffTheSignature)
{
    const std::vector<std::array<std::string, 3>> cases = {
        {"[frmMain] Private Sub cmdStart_Click()", "frmMain", "cmdStart_Click"},
        {"[wsFiles] Public Function FileExist(FileName As String) As Boolean", "wsFiles", "FileExist"},
        {"[modMain] Function ImageTest(strSource As String) As Long", "modMain", "ImageTest"},
        {"[frmPanne] Public Property Get Caption() As String", "frmPanne", "Caption"},
        {"[m] Property Let Caption(v As String)", "m", "Caption"},
        {"[m] Friend Property Set Item(o As Object)", "m", "Item"},
        {"[m] Static Sub Tick()", "m", "Tick"},
        {"[stellmark-cli] run", "stellmark-cli", "run"},
        {"no brackets", "", "no"},
    };
    for (const auto& [signature, module, name] : cases)
        EXPECT_EQ(Proc::SplitSignature(signature), std::pair(module, name)) << signature;
}
