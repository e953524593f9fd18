#include <gtest/gtest.h>

#include "errors/Proc.h"
#include "tests/support/TestSupport.h"

using namespace stellmark;

namespace {
std::tm At(int h, int m, int s)
{
    std::tm tm{};
    tm.tm_hour = h, tm.tm_min = m, tm.tm_sec = s;
    return tm;
}

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetPanne(); }
    std::vector<std::string> Lines()
    {
        auto& l = frmPanne::Instance().lstCallStack();
        return {l.begin(), l.end()};
    }

    std::tm now = At(14, 3, 12);
    test::ScopedFailureServices clock{[this](FailureServices& s) { s.clock = [this] { return now; }; }};
};
}  // namespace
struct Widget {
    virtual ~Widget() = default;
};

TEST_F(TraceTest, TimeSignatureParameterOrderAndTheFortyLineLimit)
{
    now = At(7, 5, 9);
    Proc outer("[m] Sub Outer()");
    Proc p("[sig]", {{"a", std::string("x")}, {"b", 5}, {"c", 2.5f}});
    EXPECT_EQ(Lines(), (std::vector<std::string>{"07:05:09 [sig]", "\ta:\tx", "\tb:\t5", "\tc:\t2.5",
                                                 "07:05:09 [m] Sub Outer()"}));
    test::ResetPanne();
    now = At(14, 3, 12);
    for (int i = 0; i < 41; ++i)
        frmPanne::Instance().CallStack("entry " + std::to_string(i));
    ASSERT_EQ(Lines().size(), 40u);
    EXPECT_EQ(Lines().front() + "|" + Lines().back(), "14:03:12 entry 40|14:03:12 entry 1");
    // Eight lines at once on a full list push out eight of the oldest.
    Proc eight("[eight]", {{"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}, {"5", 5}, {"6", 6}, {"7", 7}});
    ASSERT_EQ(Lines().size(), 40u);
    EXPECT_EQ(Lines()[0] + "|" + Lines()[7] + "|" + Lines().back(),
              "14:03:12 [eight]|\t7:\t7|14:03:12 entry 9");
}

TEST_F(TraceTest, NothingIsRecordedWhileTheDialogShowsEvenOnANestedFailure)
{
    for (bool nested : {false, true}) {
        SCOPED_TRACE(nested);
        test::ResetPanne();
        test::ScriptedPresenter chooser({kLeave, kLeave});
        chooser.onShow = [&] {
            chooser.onShow = nullptr;  // the nested dialog must not nest again
            if (nested) {
                Proc inner("[m] Sub Inner()");
                inner.Run([&] { inner.Step([] { throw Failure(err::Overflow); }); });
            }
            Proc timer("[frmMain] Private Sub Timer1_Timer()");
        };
        {
            Proc p("[m] Sub Fails()");
            p.Run([&] { p.Step([] { throw Failure(err::FileNotFound); }); });
        }
        EXPECT_EQ(chooser.calls.size(), nested ? 2u : 1u);
        EXPECT_EQ(Lines(), std::vector<std::string>{"14:03:12 [m] Sub Fails()"});
        Proc after("[frmMain] Private Sub Timer1_Timer()");
        EXPECT_EQ(Lines().size(), 2u);
    }
}

// The fixed words ("[ARRAY]", "[NULL]" ...) are read off the header; these are the computed ones.
TEST(ValueText, NumbersInShortestFormAndObjectsByTheirTypeName)
{
    Widget w;
    const Widget* none = nullptr;
    EXPECT_EQ(
        (std::vector<std::string>{ValueText(int32_t{-2147483647 - 1}), ValueText(1234.0f), ValueText(0.1f),
                                  ValueText(0.3f), ValueText(1.0 / 3), ValueText(&w), ValueText(none)}),
        (std::vector<std::string>{"-2147483648", "1234", "0.1", "0.3", "0.333333333333333", "[OBJECT:Widget]",
                                  "[NOTHING]"}));
}
