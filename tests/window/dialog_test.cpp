#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "window/errordialog/ErrorDialog.h"
#include "window/errordialog/ProtocolButtons.h"
#include "tests/support/FakeServices.h"
#include "errors/Program.h"
#include "generated/StellmarkVersion.h"
#include "errors/Protocol.h"
#include "tests/support/TestSupport.h"
#include "tests/support/WhileModal.h"

using namespace stellmark;
using namespace std::string_literals;

namespace {

// Runs `action` once the dialog is the modal window on screen.
struct WhileShown : test::WhileModal<ErrorDialog> {
    WhileShown(ErrorDialog&, std::function<void()> action)
        : WhileModal([action](ErrorDialog&) { return action(), true; })
    {
    }
};

// The error component with the dialog installed at a fixed time (the protocol the dialog
// copies and the one a test builds afterwards must not fall into different seconds); the
// program file is "Stellmark".
class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { test::ResetPanne(); }
    int Px(int twips) const { return qRound(twips * dialog_.screen()->logicalDotsPerInch() / 1440.0); }

    test::TempDir dir_;
    test::ScopedProgramFile program_{dir_.Path()};
    test::FakeServices services_;
    ErrorDialog dialog_{[this]() -> platform::Services& { return services_; }};
    test::ScopedFailureServices installed_{[this](FailureServices& s) {
        s.presenter = &dialog_;
        s.clock = [] {
            std::tm t{};
            t.tm_year = 124, t.tm_mon = 10, t.tm_mday = 30, t.tm_hour = 23, t.tm_min = 59, t.tm_sec = 59;
            return t;
        };
    }};
};

}  // namespace

TEST_F(DialogTest, FramesStackToTheFixedSizeWithTheProtocolsCaptionsAndTheContinueButtonsOfTheSetBits)
{
    dialog_.Prepare(frmPanne::Instance(), 255);
    // The frames, each as high as the design says, stack without gap or overlap to the bottom; the
    // heights are summed in twips, so rounding cannot leave a gap.
    int top = 0, twips = 0;
    for (auto [name, height] : {std::pair("framComment", 975),
                                {"framFehler", 1575},
                                {"framProtocol", 735},
                                {"framCallStack", 1695},
                                {"framContinue", 855}}) {
        SCOPED_TRACE(name);
        auto* frame = dialog_.findChild<QGroupBox*>(name);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->geometry(), QRect(0, top, Px(7215), Px(twips + height) - Px(twips)));
        top += frame->height(), twips += height;
    }
    EXPECT_EQ(top, dialog_.height());
    // Inside a frame: at its twips, converted at the screen's resolution.
    EXPECT_EQ(dialog_.lblError(0)->geometry(), QRect(Px(2040), Px(240), Px(5085), Px(495)));
    // The protocol names frames and labels as the dialog does.
    for (auto [name, caption] : {std::pair("framFehler", frmPanne::kFramFehlerCaption),
                                 {"framCallStack", frmPanne::kFramCallStackCaption}})
        EXPECT_EQ(dialog_.findChild<QGroupBox*>(name)->title().toStdString(), caption);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(dialog_.lblErrTitel(i)->text().toStdString(), frmPanne::lblErrTitel[std::size_t(i)]);
    // ContBits and the continue buttons expected on screen, as bits 0..3; bits above mean nothing.
    // Hidden buttons leave their room empty and the size stays.
    for (const auto& [bits, shown] :
         std::vector<std::pair<int16_t, int>>{{255, 0b1111}, {5, 0b0101}, {0x102, 0b0010}, {0, 0}}) {
        SCOPED_TRACE(bits);
        dialog_.Prepare(frmPanne::Instance(), bits);
        EXPECT_EQ(dialog_.size(), QSize(Px(7215), Px(5835)));  // the client area, fixed
        EXPECT_EQ(dialog_.minimumSize(), dialog_.maximumSize());
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(dialog_.cmdContinue(i)->isVisibleTo(&dialog_), ((shown >> i) & 1) != 0) << i;
            EXPECT_EQ(dialog_.cmdContinue(i)->geometry(),
                      QRect(Px(240 + 1800 * i), Px(240), Px(1335), Px(495)));
        }
        // The close command is offered only when no continue button is.
        EXPECT_EQ(dialog_.windowFlags().testFlag(Qt::WindowCloseButtonHint), bits == 0);
    }
}

TEST_F(DialogTest, ReturnsTheButtonClickedOrPressedWhileEscapeCloseAndReturnInTheListChooseNothing)
{
    // Typed in turn: a key into whatever has the focus, Alt and a letter, a click on a continue
    // button, or the window's close command.
    struct Input {
        enum { Key, Alt, Click, Close } how;
        int what = 0;
    };
    const Input tab{Input::Key, Qt::Key_Tab}, backtab{Input::Key, Qt::Key_Backtab},
        ret{Input::Key, Qt::Key_Return}, enter{Input::Key, Qt::Key_Enter};
    struct Case {
        int16_t bits;
        std::vector<Input> inputs;
        int16_t result;
        std::vector<std::string> calls = {};  // of the services after the beep, their beginnings
    };
    const std::vector<Case> cases = {
        {.bits = 255, .inputs = {{Input::Click, 0}}, .result = 0},
        {.bits = 255, .inputs = {{Input::Click, 3}}, .result = 3},
        {.bits = 255, .inputs = {{Input::Alt, Qt::Key_H}}, .result = 0},
        {.bits = 255, .inputs = {{Input::Alt, Qt::Key_N}}, .result = 1},
        {.bits = 5, .inputs = {{Input::Alt, Qt::Key_P}}, .result = 2},
        {.bits = 255, .inputs = {{Input::Alt, Qt::Key_B}}, .result = 3},
        // Nothing offered: the close command or Escape leaves the procedure.
        {.bits = 0, .inputs = {{Input::Close}}, .result = kLeave},
        {.bits = 0, .inputs = {{Input::Key, Qt::Key_Escape}}, .result = kLeave},
        // The focus starts in the list, where Return presses nothing.
        {.bits = 255, .inputs = {ret, enter, tab, ret}, .result = 0},
        {.bits = 5,
         .inputs = {ret, tab, tab, {Input::Key, Qt::Key_Space}},
         .result = 2},  // past a hidden one
        {.bits = 255,
         .inputs = {backtab, ret, backtab, backtab, enter},
         .result = 3,  // WWW, then round
         .calls = {"clip ", "open "s + program::kHomePage}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(&c - cases.data()));
        services_.calls.clear();
        WhileShown drive(dialog_, [&] {
            // The focus the dialog gives on activation; the offscreen platform does not always
            // activate a dialog shown again, so the test does.
            EXPECT_EQ(dialog_.focusWidget(), dialog_.lstCallStack());
            QApplication::setActiveWindow(&dialog_);
            EXPECT_EQ(QApplication::focusWidget(), dialog_.lstCallStack());
            if (c.bits != 0) {  // while a continue button is offered, neither leaves
                QTest::keyClick(&dialog_, Qt::Key_Escape);
                dialog_.close();
            }
            for (const Input& in : c.inputs) {
                ASSERT_TRUE(dialog_.isVisible()) << "chosen before the last input";
                switch (in.how) {
                case Input::Key: QTest::keyClick(QApplication::focusWidget(), Qt::Key(in.what)); break;
                case Input::Alt: QTest::keyClick(&dialog_, Qt::Key(in.what), Qt::AltModifier); break;
                case Input::Click: QTest::mouseClick(dialog_.cmdContinue(in.what), Qt::LeftButton); break;
                case Input::Close: dialog_.close(); break;
                }
            }
        });
        EXPECT_EQ(frmPanne::Instance().OnError("m", "p", c.bits), c.result);
        EXPECT_TRUE(drive.answered);
        // No protocol file saved on the way.
        ASSERT_EQ(services_.calls.size(), c.calls.size() + 1);
        EXPECT_EQ(services_.calls[0], "beep");
        for (std::size_t i = 0; i < c.calls.size(); ++i)
            EXPECT_TRUE(services_.calls[i + 1].starts_with(c.calls[i])) << services_.calls[i + 1];
    }
}

TEST_F(DialogTest, ShownWithTitleBeepAndArrowKeptOpenByProtocolButtonsAndANestedFailure)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);  // the program's pointer
    WhileShown drive(dialog_, [&] {
        EXPECT_EQ(dialog_.windowTitle(), "Stellmark  V" STELLMARK_VERSION " - Fehlermeldung");
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        QTest::mouseClick(dialog_.cmdProtocol(3), Qt::LeftButton);
        QTest::keyClick(&dialog_, Qt::Key_S, Qt::AltModifier);  // its click follows an animation
        EXPECT_TRUE(QTest::qWaitFor([&] { return services_.calls.size() == 4; }, 10000));
        const std::string clip = services_.calls.size() > 1 ? services_.calls[1] : "";
        EXPECT_NE(clip.find("11-30-2024 / 23:59:59"), std::string::npos);  // the replaced clock's time
        EXPECT_EQ(services_.calls,
                  (std::vector<std::string>{"beep", "clip " + BuildProtocol(frmPanne::Instance()),
                                            "open "s + program::kHomePage,
                                            "box Das Fehlerprotokoll wurde in die Datei '" +
                                                dir_ / "Stellmark.ERR" + "' geschrieben !"}));
        EXPECT_EQ(frmPanne::Instance().OnError("frmMain", "Timer1_Timer"), kLeave);  // no second dialog
        EXPECT_EQ(dialog_.lblError(2)->text(), "p");  // that keeps the failure it shows
        EXPECT_TRUE(dialog_.isVisible());
        QTest::mouseClick(dialog_.cmdContinue(kRetry), Qt::LeftButton);
    });
    EXPECT_EQ(frmPanne::Instance().OnError("m", "p"), kRetry);
    EXPECT_TRUE(drive.answered);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);  // the program's again
    QApplication::restoreOverrideCursor();
}

TEST(DialogInstall, AGoneDialogIsNoLongerThePresenter)
{
    test::FakeServices services;
    test::ScopedFailureServices restore([](FailureServices&) {});
    {
        ErrorDialog dialog([&]() -> platform::Services& { return services; });
        frmPanne::Instance().Replace({.presenter = &dialog});
    }
    EXPECT_EQ(frmPanne::Instance().Services().presenter, nullptr);
}

TEST_F(DialogTest, ButtonsByIndexAndSavingAsksBeforeItReplaces)
{
    using platform::Answer;
    const std::string path = dir_ / "Stellmark.ERR", old = test::Pattern(100000);  // > a protocol
    const std::string protocol = BuildProtocol(frmPanne::Instance()),
                      ask = "box Vorhandene Datei '" + path + "' überschreiben ?",
                      saved = "box Das Fehlerprotokoll wurde in die Datei '" + path + "' geschrieben !";
    struct Case {
        int16_t index;
        std::optional<std::string> before = {};  // the file there before; nothing: none
        Answer answer = Answer::Yes;             // whether to replace it
        std::vector<std::string> calls = {};
        std::optional<std::string> after = {};
    };
    const std::vector<Case> cases = {
        {.index = 0},
        {.index = 2},
        {.index = -1},  // no protocol button: nothing happens
        {.index = 3, .calls = {"clip " + protocol, "open "s + program::kHomePage}},
        {.index = 1, .answer = Answer::No, .calls = {saved}, .after = protocol + "\r\n"},
        {.index = 1, .before = old, .answer = Answer::No, .calls = {ask}, .after = old},
        {.index = 1, .before = old, .answer = Answer::Yes, .calls = {ask, saved}, .after = protocol + "\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + (c.before ? " over a file" : ""));
        ::unlink(path.c_str());
        if (c.before)
            test::WriteFile(path, *c.before);
        test::FakeServices services;
        services.answer = c.answer;
        cmdProtocol_Click(frmPanne::Instance(), c.index, services);
        EXPECT_EQ(services.calls, c.calls);
        EXPECT_EQ(test::Exists(path) ? test::ReadFile(path) : "(none)", c.after.value_or("(none)"));
        // No temporary left.
        EXPECT_EQ(dir_.Entries(),
                  c.after ? std::vector<std::string>{"Stellmark.ERR"} : std::vector<std::string>{});
    }

    test::WriteFile(dir_ / "file", "x");  // a failed save says so
    test::ScopedProgramFile program(dir_ / "file");
    test::FakeServices services;
    cmdProtocol_Click(frmPanne::Instance(), 1, services);
    EXPECT_EQ(services.calls,
              std::vector<std::string>{"box Das Fehlerprotokoll konnte nicht in die Datei '" + dir_ / "file" +
                                       "/Stellmark.ERR' geschrieben werden !"});
}

TEST_F(DialogTest, ALogThatCannotBeWrittenIsToldOnceWithItsPlace)
{
    test::WriteFile(dir_ / "file", "x");
    test::ScopedProgramFile program(dir_ / "file");
    for (int i = 0; i < 2; ++i)
        dialog_.WriteLog(frmPanne::Instance());
    EXPECT_EQ(services_.calls,
              std::vector<std::string>{"box Das Fehlerprotokoll konnte nicht in die Datei '" +
                                       dir_ / "file/Stellmark.EPT" +
                                       "' geschrieben werden; die Protokolle dieses Laufs "
                                       "werden nicht aufbewahrt."});
}
