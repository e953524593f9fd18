#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <memory>

#include "ErrorDialog.h"
#include "FakeServices.h"
#include "Proc.h"
#include "Program.h"
#include "Protocol.h"
#include "TestSupport.h"

using namespace stellmark;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "errors_dialog_test";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};
[[maybe_unused]] const auto* const kQt = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Runs `action` once the dialog is the modal window on screen. A dialog still open after five
// seconds fails the test and is hidden, so a forgotten modal cannot hang the run.
class WhileShown {
public:
    WhileShown(ErrorDialog& dialog, std::function<void()> action)
    {
        QObject::connect(&poll_, &QTimer::timeout, &poll_, [this, &dialog, action] {
            if (!dialog.isVisible() || QApplication::activeModalWidget() != &dialog)
                return;
            poll_.stop();
            ran = true;
            action();
        });
        poll_.start(10);
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, &watchdog_, [&dialog] {
            if (dialog.isVisible()) {
                ADD_FAILURE() << "the error dialog was left open";
                dialog.hide();
            }
        });
        watchdog_.start(5000);
    }
    bool ran = false;

private:
    QTimer poll_;
    QTimer watchdog_;
};

std::tm Fixed()
{
    std::tm tm {};
    tm.tm_year = 124;
    tm.tm_mon = 0;
    tm.tm_mday = 2;
    tm.tm_hour = 10;
    tm.tm_min = 11;
    tm.tm_sec = 12;
    return tm;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ResetPanne();
        clock_ = Panne().SetClock(Fixed);
        dialog_ = std::make_unique<ErrorDialog>([this]() -> platform::Services& { return services_; });
        presenter_ = Panne().SetPresenter(dialog_.get());
        writer_ = Panne().SetProtocolWriter([this](frmPanne& p) {
            services_.events.push_back("log");
            AppendProtocolLog(p);
        });
    }
    void TearDown() override
    {
        Panne().SetPresenter(presenter_);
        Panne().SetProtocolWriter(writer_);
        Panne().SetClock(clock_);
        dialog_.reset();
    }
    static frmPanne& Panne() { return frmPanne::Instance(); }
    ErrorDialog& Dialog() { return *dialog_; }
    int Px(int twips) const { return qRound(twips * dialog_->screen()->logicalDotsPerInch() / 1440.0); }
    static QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

    test::TempDir dir_;
    test::ScopedProgramFile program_ {dir_.Path(), "Stellmark"};
    test::FakeServices services_;

private:
    std::unique_ptr<ErrorDialog> dialog_;
    ErrorPresenter* presenter_ = nullptr;
    std::function<void(frmPanne&)> writer_;
    std::function<std::tm()> clock_;
};

}  // namespace

TEST_F(DialogTest, ArrangesTheFrameStackAndTheOfferedButtons)
{
    struct Case {
        int16_t bits;
        std::array<bool, 4> shown;
    };
    const std::vector<Case> cases = {
        {255, {true, true, true, true}},
        {5, {true, false, true, false}},
        {8, {false, false, false, true}},
        {0x102, {false, true, false, false}},  // bits above the four mean nothing
    };
    const std::array<int, 5> heights = {975, 1575, 735, 1695, 855};
    const std::array<int, 4> lefts = {240, 2040, 3840, 5640};
    const char* continueCaptions[] = {"Befehl wieder&holen", "Fortsetzen mit &nächsten Befehl",
                                      "&Prozedur verlassen", "Programm &beenden"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        ErrorDialog& d = Dialog();
        d.Prepare(Panne(), c.bits);

        QGroupBox* frames[] = {d.framComment(), d.framFehler(), d.framProtocol(),
                               d.framCallStack(), d.framContinue()};
        int t = 0;
        for (std::size_t i = 0; i < 5; ++i) {
            SCOPED_TRACE(frames[i]->objectName().toStdString());
            EXPECT_TRUE(frames[i]->isVisibleTo(&d));
            EXPECT_EQ(frames[i]->geometry(),
                      QRect(0, Px(t), Px(7215), Px(t + heights[i]) - Px(t)));
            t += heights[i];
        }
        EXPECT_EQ(t, 5835);
        EXPECT_EQ(d.size(), QSize(Px(7215), Px(5835)));
        if (d.screen()->logicalDotsPerInch() == 96) {
            EXPECT_EQ(d.size(), QSize(481, 389));
        }
        EXPECT_EQ(d.minimumSize(), d.maximumSize());  // fixed size

        QRect screen = d.screen()->geometry();
        QRect outer = d.frameGeometry();
        EXPECT_EQ(outer.topLeft(), QPoint(screen.x() + (screen.width() - outer.width()) / 2,
                                          screen.y() + (screen.height() - outer.height()) / 2));

        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(i);
            QPushButton* b = d.cmdContinue(i);
            EXPECT_EQ(b->isVisibleTo(d.framContinue()), c.shown[static_cast<std::size_t>(i)]);
            EXPECT_EQ(b->geometry(), QRect(Px(lefts[i]), Px(240), Px(1335), Px(495)));
            EXPECT_EQ(b->text(), Q(continueCaptions[i]));
        }
        // The close command is offered only when no continue button is.
        bool anyShown = c.shown[0] || c.shown[1] || c.shown[2] || c.shown[3];
        EXPECT_EQ(d.windowFlags().testFlag(Qt::WindowCloseButtonHint), !anyShown);
    }
}

TEST_F(DialogTest, FramesLabelsAndProtocolButtonsAtTheirDesignPlaces)
{
    ErrorDialog& d = Dialog();
    d.Prepare(Panne(), 255);

    EXPECT_EQ(d.framComment()->title(), "");
    EXPECT_EQ(d.framFehler()->title(), "Fehlerbeschreibung:");
    EXPECT_EQ(d.framProtocol()->title(), "Fehlerprotokoll ...");
    EXPECT_EQ(d.framCallStack()->title(), "CallStack:");
    EXPECT_EQ(d.framContinue()->title(), "Weiterer Programmablauf...");
    EXPECT_TRUE(d.framFehler()->font().bold());

    EXPECT_EQ(d.lblComment()->text(),
              Q("Ein Fehler ist im Programmablauf aufgetreten. Um den Fehler beseitigen zu können "
                "bitte eine Information ins Board! Bitte nicht alle Logs posten! Ich werde die "
                "Logs bei Bedarf anfordern."));
    EXPECT_TRUE(d.lblComment()->font().bold());

    EXPECT_EQ(d.Label1()->text(), " ! ");
    EXPECT_EQ(d.Label1()->font().pointSize(), 36);
    EXPECT_TRUE(d.Label1()->font().bold());
    QString family = QFontInfo(d.Label1()->font()).family();
    EXPECT_TRUE(family == "Arial" || family == "Liberation Sans") << family.toStdString();

    const char* titles[] = {"Fehler-Nr:", "Modul:", "Prozedur:", "Zeilen-Nr.:"};
    const int rows[] = {240, 720, 960, 1200};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(d.lblErrTitel(i)->text(), titles[i]);
        EXPECT_EQ(d.lblErrTitel(i)->geometry(), QRect(Px(960), Px(rows[i]), Px(975), Px(255)));
        EXPECT_EQ(d.lblError(i)->geometry(),
                  QRect(Px(2040), Px(rows[i]), Px(5085), Px(i == 0 ? 495 : 255)));
        EXPECT_FALSE(d.lblError(i)->font().bold());
    }

    EXPECT_EQ(d.cmdProtocol(0), nullptr);
    EXPECT_EQ(d.cmdProtocol(2), nullptr);
    for (auto [i, left, caption] : {std::tuple {1, 2040, "&Speichern"}, std::tuple {3, 5640, "&WWW"}}) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(d.cmdProtocol(i)->isVisibleTo(d.framProtocol()));
        EXPECT_EQ(d.cmdProtocol(i)->geometry(), QRect(Px(left), Px(240), Px(1335), Px(375)));
        EXPECT_EQ(d.cmdProtocol(i)->text(), caption);
    }
    EXPECT_EQ(d.lstCallStack()->size(), QSize(Px(6975), Px(1395)));
}

TEST_F(DialogTest, ReturnsTheIndexOfTheButtonPressed)
{
    struct Case {
        int16_t index;
        int key;  // 0: clicked with the mouse; otherwise its accelerator with Alt
    };
    const std::vector<Case> cases = {{0, 0}, {1, 0}, {2, 0}, {3, 0},
                                     {0, Qt::Key_H}, {1, Qt::Key_N}, {2, Qt::Key_P}, {3, Qt::Key_B}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.index) + (c.key ? " by key" : " by mouse"));
        ErrorDialog& d = Dialog();
        WhileShown drive(d, [&] {
            if (c.key)
                QTest::keyClick(&d, static_cast<Qt::Key>(c.key), Qt::AltModifier);
            else
                QTest::mouseClick(d.cmdContinue(c.index), Qt::LeftButton);
        });
        int16_t got = Panne().OnError("modMain", "ImageTest");
        EXPECT_TRUE(drive.ran);
        EXPECT_EQ(got, c.index);
        EXPECT_EQ(d.ContinueChoice(), c.index);
        EXPECT_EQ(Panne().ContinueChoice(), c.index);
        EXPECT_FALSE(d.isVisible());
    }
}

TEST_F(DialogTest, ShowsTheFailureLogsItThenBeepsWithTheArrowPointer)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Proc p("modMain", "GetImageSize", "[modMain] Function GetImageSize(FileName As String) As Long",
           {{"FileName", std::string("/x/<b>bold</b>.img")}});
    int line = 0;
    std::vector<std::string> eventsWhileShown;
    ErrorDialog& d = Dialog();
    WhileShown drive(d, [&] {
        eventsWhileShown = services_.events;
        EXPECT_EQ(d.windowTitle(), "Stellmark  V0.1.1 - Fehlermeldung");
        EXPECT_EQ(d.lblError(0)->text(), "53 (Datei nicht gefunden)");
        EXPECT_EQ(d.lblError(1)->text(), "modMain");
        EXPECT_EQ(d.lblError(2)->text(), "GetImageSize");
        EXPECT_EQ(d.lblError(3)->text(), QString::number(line));
        EXPECT_EQ(d.lblError(0)->textFormat(), Qt::PlainText);
        ASSERT_EQ(d.lstCallStack()->count(), 2);
        EXPECT_EQ(d.lstCallStack()->item(0)->text(),
                  "10:11:12 [modMain] Function GetImageSize(FileName As String) As Long");
        EXPECT_EQ(d.lstCallStack()->item(1)->text(), "\tFileName:\t/x/<b>bold</b>.img");
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::ArrowCursor);
        EXPECT_EQ(d.parentWidget(), nullptr);
        EXPECT_TRUE(d.isModal());
        EXPECT_TRUE(Panne().Visible());
        QTest::mouseClick(d.cmdContinue(kNext), Qt::LeftButton);
    });
    bool after = false;
    p.Run([&] {
        line = __LINE__ + 1;
        p.Step([] { throw Failure(err::FileNotFound); });
        after = true;
    });
    EXPECT_TRUE(drive.ran);
    EXPECT_TRUE(after);
    EXPECT_EQ(eventsWhileShown, (std::vector<std::string> {"log", "beep"}));
    EXPECT_EQ(services_.beeps, 1);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);  // the program's again
    QApplication::restoreOverrideCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_NE(test::ReadFile(dir_ / "Stellmark.EPT").find("Prozedur:\tGetImageSize"), std::string::npos);
}

TEST_F(DialogTest, ASecondFailureReusesTheWindowWithTheSameTitleAndNewerLinesOnTop)
{
    ErrorDialog& d = Dialog();
    std::vector<QString> titles;
    std::vector<QString> topLines;
    auto record = [&] {
        titles.push_back(d.windowTitle());
        topLines.push_back(d.lstCallStack()->item(0)->text());
        QTest::mouseClick(d.cmdContinue(kLeave), Qt::LeftButton);
    };
    {
        Panne().CallStack("[m] Sub First()");
        WhileShown drive(d, record);
        Panne().OnError("m", "First");
    }
    {
        Panne().CallStack("[m] Sub Second()");
        WhileShown drive(d, record);
        Panne().OnError("m", "Second");
    }
    ASSERT_EQ(titles.size(), 2u);
    EXPECT_EQ(titles[0], titles[1]);
    EXPECT_EQ(topLines[1], "10:11:12 [m] Sub Second()");
    EXPECT_EQ(d.lstCallStack()->item(1)->text(), "10:11:12 [m] Sub First()");
    EXPECT_EQ(services_.beeps, 2);
}

TEST_F(DialogTest, EndingTheProgramRunsNothingElse)
{
    test::ScopedExit exit;
    ErrorDialog& d = Dialog();
    WhileShown drive(d, [&] { QTest::mouseClick(d.cmdContinue(kEnd), Qt::LeftButton); });
    Proc p("modMain", "CopyFile", "[sig]");
    int attempts = 0;
    bool nextStepRan = false;
    p.Run([&] {
        p.Step([&] {
            ++attempts;
            throw Failure(err::DiskFull);
        });
        p.Step([&] { nextStepRan = true; });
    });
    EXPECT_EQ(exit.calls, 1);
    EXPECT_EQ(attempts, 1);
    EXPECT_FALSE(nextStepRan);
    EXPECT_EQ(d.ContinueChoice(), kEnd);
    EXPECT_EQ(services_.events, (std::vector<std::string> {"log", "beep"}));
}

TEST_F(DialogTest, CloseCommandAndEscapeChooseNothingWhileAChoiceIsOffered)
{
    struct Case {
        const char* what;
        int16_t bits;
        int16_t result;
    };
    for (const Case& c : {Case {"all choices offered", 255, kNext},
                          Case {"none offered: closing leaves", 0, kLeave}}) {
        SCOPED_TRACE(c.what);
        ErrorDialog& d = Dialog();
        WhileShown drive(d, [&] {
            QTest::keyClick(&d, Qt::Key_Escape);
            EXPECT_EQ(d.isVisible(), c.bits != 0);
            if (d.isVisible())
                d.close();
            EXPECT_EQ(d.isVisible(), c.bits != 0);
            if (d.isVisible())
                QTest::mouseClick(d.cmdContinue(kNext), Qt::LeftButton);
        });
        EXPECT_EQ(Panne().OnError("m", "p", c.bits), c.result);
        EXPECT_TRUE(drive.ran);
    }
}

TEST_F(DialogTest, ProtocolButtonsSaveAndSendWithoutEndingTheDialog)
{
    ErrorDialog& d = Dialog();
    std::string protocolWhileShown;
    WhileShown drive(d, [&] {
        protocolWhileShown = BuildProtocol(Panne());
        QTest::mouseClick(d.cmdProtocol(3), Qt::LeftButton);
        // An accelerator presses its button with a short animation: the click comes later.
        QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !services_.boxes.empty(); }, 2000));
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(d.cmdContinue(kRetry), Qt::LeftButton);
    });
    Panne().SetHandledFailure(Failure(err::Overflow, 7));
    EXPECT_EQ(Panne().OnError("frmMain", "GetInputValue"), kRetry);
    EXPECT_EQ(services_.clipboard, protocolWhileShown);
    EXPECT_EQ(services_.opened, std::vector<std::string> {program::kHomePage});
    ASSERT_EQ(services_.boxes.size(), 1u);
    EXPECT_EQ(services_.boxes[0].text,
              "Das Fehlerprotokoll wurde in die Datei '" + dir_ / "Stellmark.ERR" + "' geschrieben !");
    EXPECT_EQ(test::ReadFile(dir_ / "Stellmark.ERR"), protocolWhileShown + "\r\n");
}

TEST_F(DialogTest, AFailureWhileTheDialogShowsIsLeftWithoutASecondDialog)
{
    ErrorDialog& d = Dialog();
    int16_t nested = -1;
    WhileShown drive(d, [&] {
        nested = Panne().OnError("frmMain", "Timer1_Timer");
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.lblError(2)->text(), "cmdStart_Click");  // the shown failure stays
        QTest::mouseClick(d.cmdContinue(kLeave), Qt::LeftButton);
    });
    EXPECT_EQ(Panne().OnError("frmMain", "cmdStart_Click"), kLeave);
    EXPECT_EQ(nested, kLeave);
}

// The window program installs the dialog and the log writer with exactly these calls.
TEST(DialogInstall, AsTheProgramDoes)
{
    test::ResetPanne();
    auto clock = frmPanne::Instance().SetClock(Fixed);
    test::TempDir dir;
    test::ScopedProgramFile program(dir.Path(), "Stellmark");
    test::FakeServices services;
    auto* previousServices = &services;  // the program passes platform::Get() here
    {
        ErrorDialog dialog([&]() -> platform::Services& { return *previousServices; });
        auto* previous = frmPanne::Instance().SetPresenter(&dialog);
        auto previousWriter = frmPanne::Instance().SetProtocolWriter(AppendProtocolLog);

        WhileShown drive(dialog, [&] { QTest::mouseClick(dialog.cmdContinue(kLeave), Qt::LeftButton); });
        EXPECT_EQ(frmPanne::Instance().OnError("modMain", "FileCheck"), kLeave);
        EXPECT_EQ(test::ReadFile(dir / "Stellmark.EPT"), BuildProtocol(frmPanne::Instance()) + "\r\n");

        frmPanne::Instance().SetProtocolWriter(previousWriter);
        frmPanne::Instance().SetPresenter(previous);
        frmPanne::Instance().SetPresenter(&dialog);  // still installed when the window goes
    }
    // The window gone, a failure does not reach it.
    auto* left = frmPanne::Instance().SetPresenter(nullptr);
    EXPECT_EQ(left, nullptr);
    frmPanne::Instance().SetClock(clock);
}
