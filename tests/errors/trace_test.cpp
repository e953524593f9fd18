#include <gtest/gtest.h>

#include <regex>

#include "Proc.h"
#include "TestSupport.h"

using namespace stellmark;

namespace {
std::tm At(int h, int m, int s)
{
    std::tm tm {};
    tm.tm_hour = h;
    tm.tm_min = m;
    tm.tm_sec = s;
    return tm;
}

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne();
        previous_ = frmPanne::Instance().SetClock([] { return At(14, 3, 12); });
    }
    void TearDown() override { frmPanne::Instance().SetClock(previous_); }
    const std::deque<std::string>& Lines() { return frmPanne::Instance().lstCallStack(); }

private:
    std::function<std::tm()> previous_;
};
}  // namespace

TEST_F(TraceTest, ProcedureLineHasTimeSpaceAndSignature)
{
    frmPanne::Instance().SetClock([] { return At(7, 5, 9); });
    frmPanne::Instance().CallStack("[modMain] Function GetImageSize(FileName As String) As Long");
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0], "07:05:09 [modMain] Function GetImageSize(FileName As String) As Long");
}

TEST_F(TraceTest, ParametersReadInDeclarationOrderUnderTheirProcedure)
{
    Proc outer("m", "Outer", "[m] Sub Outer()");
    Proc p("modMain", "CopyFile", "[sig]", {{"a", std::string("x")}, {"b", 5}, {"c", 2.5f}});
    std::vector<std::string> expected = {"14:03:12 [sig]", "\ta:\tx", "\tb:\t5", "\tc:\t2.5",
                                         "14:03:12 [m] Sub Outer()"};
    EXPECT_EQ(std::vector<std::string>(Lines().begin(), Lines().end()), expected);
}

TEST_F(TraceTest, ListKeepsTheNewestFortyLines)
{
    for (int i = 0; i < 40; ++i)
        frmPanne::Instance().CallStack("entry " + std::to_string(i));
    ASSERT_EQ(Lines().size(), 40u);
    EXPECT_EQ(Lines().back(), "14:03:12 entry 0");
    frmPanne::Instance().CallStack("entry 40");
    ASSERT_EQ(Lines().size(), 40u);
    EXPECT_EQ(Lines().front(), "14:03:12 entry 40");
    EXPECT_EQ(Lines().back(), "14:03:12 entry 1");

    // Eight lines at once on a full list push out eight of the oldest.
    Proc p("m", "P", "[eight]", {{"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}, {"5", 5}, {"6", 6},
                                 {"7", 7}});
    ASSERT_EQ(Lines().size(), 40u);
    EXPECT_EQ(Lines()[0], "14:03:12 [eight]");
    EXPECT_EQ(Lines()[7], "\t7:\t7");
    EXPECT_EQ(Lines().back(), "14:03:12 entry 9");
}

TEST_F(TraceTest, NothingIsRecordedWhileTheDialogShows)
{
    test::ScriptedPresenter chooser({kLeave});
    chooser.onShow = [] { Proc timer("frmMain", "Timer1_Timer", "[frmMain] Private Sub Timer1_Timer()"); };
    {
        Proc p("m", "Fails", "[m] Sub Fails()");
        p.Run([&] { p.Step([] { throw Failure(err::FileNotFound); }); });
    }
    ASSERT_EQ(chooser.calls.size(), 1u);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0], "14:03:12 [m] Sub Fails()");
    Proc after("frmMain", "Timer1_Timer", "[frmMain] Private Sub Timer1_Timer()");
    EXPECT_EQ(Lines().size(), 2u);
}

struct Widget {
    virtual ~Widget() = default;
};

TEST(ValueText, FollowsTheKindOfTheValue)
{
    Widget w;
    const Widget* none = nullptr;
    std::vector<std::pair<std::string, std::string>> cases = {
        {ValueText(std::vector<int> {1, 2}), "[ARRAY]"},
        {ValueText(std::nullopt), "[NULL]"},
        {ValueText(std::optional<int>()), "[NULL]"},
        {ValueText(std::monostate {}), "[EMPTY]"},
        {ValueText(std::string("C:\\x y")), "C:\\x y"},
        {ValueText(int16_t {-3}), "-3"},
        {ValueText(int32_t {-2147483647 - 1}), "-2147483648"},
        {ValueText(1234.0f), "1234"},
        {ValueText(0.1f), "0.1"},
        {ValueText(&w), "[OBJECT:Widget]"},
        {ValueText(none), "[NOTHING]"},
        {ValueText(nullptr), "[NOTHING]"},
    };
    for (const auto& [got, want] : cases)
        EXPECT_EQ(got, want);
}

TEST_F(TraceTest, AFailureWhileTheDialogShowsKeepsRecordingOff)
{
    test::ScriptedPresenter chooser({kLeave, kLeave});
    chooser.onShow = [&] {
        chooser.onShow = nullptr;  // the nested dialog must not nest again
        Proc inner("m", "Inner", "[m] Sub Inner()");
        inner.Run([&] { inner.Step([] { throw Failure(err::Overflow); }); });
        Proc late("m", "Late", "[m] Sub Late()");
    };
    Proc p("m", "Outer", "[m] Sub Outer()");
    p.Run([&] { p.Step([] { throw Failure(err::FileNotFound); }); });
    EXPECT_EQ(chooser.calls.size(), 2u);
    ASSERT_EQ(Lines().size(), 1u);
    EXPECT_EQ(Lines()[0], "14:03:12 [m] Sub Outer()");
}
