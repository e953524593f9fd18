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
    struct Case {
        const char* what;
        std::deque<int16_t> script;
        int failures, result, attempts, dialogs;
        bool lastStepRan, exited;
        Handler handler;
    };
    std::vector<Case> cases = {
        {.what = "again until it works",
         .script = {kRetry, kRetry},
         .failures = 2,
         .result = 12,
         .attempts = 3,
         .dialogs = 2,
         .lastStepRan = true,
         .exited = false,
         .handler = Handler::Standard},
        {.what = "next statement",
         .script = {kNext},
         .failures = 5,
         .result = 11,
         .attempts = 1,
         .dialogs = 1,
         .lastStepRan = true,
         .exited = false,
         .handler = Handler::Standard},
        {.what = "leave returns what it holds",
         .script = {kLeave},
         .failures = 5,
         .result = 1,
         .attempts = 1,
         .dialogs = 1,
         .lastStepRan = false,
         .exited = false,
         .handler = Handler::Standard},
        {.what = "a value outside 0..3 leaves",
         .script = {7},
         .failures = 5,
         .result = 1,
         .attempts = 1,
         .dialogs = 1,
         .lastStepRan = false,
         .exited = false,
         .handler = Handler::Standard},
        {.what = "end the program",
         .script = {kEnd},
         .failures = 5,
         .result = 1,
         .attempts = 1,
         .dialogs = 1,
         .lastStepRan = false,
         .exited = true,
         .handler = Handler::Standard},
        {.what = "no failure, no dialog",
         .script = {},
         .failures = 0,
         .result = 12,
         .attempts = 1,
         .dialogs = 0,
         .lastStepRan = true,
         .exited = false,
         .handler = Handler::Standard},
        {.what = "silent handler leaves without asking",
         .script = {kRetry},
         .failures = 1,
         .result = 1,
         .attempts = 1,
         .dialogs = 0,
         .lastStepRan = false,
         .exited = false,
         .handler = Handler::Silent},
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
}

TEST(Handler, ModuleAndNameAreReadOffTheSignature)
{
    const std::vector<std::array<std::string, 3>> cases = {
        {"[frmMain] Private Sub cmdStart_Click()", "frmMain", "cmdStart_Click"},
        {"[wsFiles] Public Function FileExist(FileName As String) As Boolean", "wsFiles", "FileExist"},
        {"[modMain] Function ImageTest(strSource As String) As Long", "modMain", "ImageTest"},
        {"[frmPanne] Public Property Get Caption() As String", "frmPanne", "Caption"},
        {"[stellmark-cli] run", "stellmark-cli", "run"},
        {"no brackets", "", "no"},
    };
    for (const auto& [signature, module, name] : cases)
        EXPECT_EQ(Proc::SplitSignature(signature), std::pair(module, name)) << signature;
}
