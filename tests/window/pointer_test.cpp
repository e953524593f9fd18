// Dragging the frameless window, the link label's hover colour and its timer.
#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"

namespace stellmark::test {
namespace {

using Pointer = WindowTest;

const QColor kWhite(255, 255, 255), kYellow(255, 255, 0);

QColor TextColour(const QLabel* l) { return l->palette().color(QPalette::WindowText); }

TEST_F(Pointer, LeftPressOnBackgroundTitlesAndInfoMovesTheWindow)
{
    frmMain& f = Load();
    struct Case {
        const char* what;
        QWidget* widget;
        QPoint at;  // in the widget
        Qt::MouseButton button;
        bool moves;
        const char* handler;  // reported on the press, or none
    };
    const Case cases[] = {
        {"background", &f, {200, 250}, Qt::LeftButton, true, "Form_MouseDown(Button As Integer,Shift"},
        {"Picture1", f.Picture1, {5, 15}, Qt::LeftButton, true, "Picture1_MouseDown"},
        {"Label1", f.Label1, {60, 30}, Qt::LeftButton, true, "Label1_MouseDown"},
        {"Label2", f.Label2, {1, 1}, Qt::LeftButton, true, "Label2_MouseDown"},
        {"Label3", f.Label3, {5, 5}, Qt::LeftButton, true, "Label3_MouseDown"},
        {"Label5", f.Label5, {5, 5}, Qt::LeftButton, true, "Label5_MouseDown"},
        {"background, right", &f, {200, 250}, Qt::RightButton, false, "Form_MouseDown"},
        {"background, middle", &f, {200, 250}, Qt::MiddleButton, false, "Form_MouseDown"},
        {"Label1, right", f.Label1, {60, 30}, Qt::RightButton, false, "Label1_MouseDown"},
        {"Label4", f.Label4, {5, 5}, Qt::LeftButton, false, nullptr},
        {"lblInfo", f.lblInfo, {5, 5}, Qt::LeftButton, false, nullptr},
        {"Label7", f.Label7, {5, 5}, Qt::LeftButton, false, nullptr},
        {"Label9 in the frame", f.Label9, {5, 5}, Qt::LeftButton, false, nullptr},
        {"txtFile", f.txtFile, {5, 5}, Qt::LeftButton, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetPanne();
        f.move(100, 100);
        QTest::mousePress(c.widget, c.button, Qt::NoModifier, c.at);
        QTest::mouseMove(c.widget, c.at + QPoint(30, 20));
        QTest::mouseRelease(c.widget, c.button, Qt::NoModifier, c.at + QPoint(30, 20));
        EXPECT_EQ(f.pos(), c.moves ? QPoint(130, 120) : QPoint(100, 100));
        EXPECT_FALSE(f.MovingItself());
        const auto& trace = frmPanne::Instance().lstCallStack();
        const bool reported = std::any_of(trace.begin(), trace.end(), [&](const std::string& l) {
            return c.handler && l.find(c.handler) != std::string::npos;
        });
        EXPECT_EQ(reported, c.handler != nullptr);
    }
}

TEST_F(Pointer, MouseHandlersReportTheirArgumentsLastFirst)
{
    frmMain& f = Load();
    ResetPanne();
    QTest::mousePress(f.Label5, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, {3, 7});
    QTest::mouseRelease(f.Label5, Qt::RightButton, Qt::NoModifier, {3, 7});
    const auto& trace = frmPanne::Instance().lstCallStack();
    ASSERT_GE(trace.size(), 5u);
    EXPECT_EQ(trace[0].substr(9), "[frmMain] Private Sub Label5_MouseDown(Button As Integer, "
                                  "Shift As Integer, X As Single, Y As Single)");
    EXPECT_EQ(trace[1], "\tButton:\t2");
    EXPECT_EQ(trace[2], "\tShift:\t3");
    EXPECT_EQ(trace[3], "\tX:\t3");
    EXPECT_EQ(trace[4], "\tY:\t7");
}

TEST_F(Pointer, LinkTurnsYellowOverItAndWhiteOnceThePointerLeaves)
{
    frmMain& f = Load();
    QTest::qWait(150);  // the first tick with the pointer away stops the timer
    EXPECT_FALSE(f.Timer1->isActive());
    EXPECT_EQ(TextColour(f.Label7), kWhite);

    QCursor::setPos(f.mapToGlobal(f.Label7->geometry().center()));
    QTest::mouseMove(f.Label7, {20, 5});
    EXPECT_TRUE(f.blnHover());
    EXPECT_EQ(TextColour(f.Label7), kYellow);
    EXPECT_TRUE(f.Timer1->isActive());
    QTest::qWait(250);  // ticks with the pointer inside change nothing
    EXPECT_TRUE(f.blnHover());

    QCursor::setPos(f.mapToGlobal(QPoint(50, 50)));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.blnHover(); }, 1000));
    EXPECT_EQ(f.Timer1->interval(), 100);
    EXPECT_LT(clock.elapsed(), 400);  // one tick, with room for a busy machine
    EXPECT_EQ(TextColour(f.Label7), kWhite);
    EXPECT_FALSE(f.Timer1->isActive());

    // Straight out of the window counts as leaving too.
    QTest::mouseMove(f.Label7, {20, 5});
    QCursor::setPos(f.mapToGlobal(QPoint(-300, 900)));
    f.Timer1_Timer();
    EXPECT_FALSE(f.blnHover());
}

TEST_F(Pointer, LabelEdgesCountAsInside)
{
    frmMain& f = Load();
    const QRect r = f.Label7->geometry();
    const int L = r.x(), T = r.y(), W = r.width(), H = r.height();
    ASSERT_EQ(r, QRect(112, 300, 207, 13));
    struct Case {
        int x, y;
        bool inside;
    };
    const Case cases[] = {
        {L, T, true},         {L + W, T + H, true}, {L + W, T, true},     {L, T + H, true},
        {L - 1, T, false},    {L, T - 1, false},    {L + W + 1, T, false}, {L, T + H + 1, false},
        {L + 100, T + 6, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        f.Label7_MouseMove(0, 0, 1, 1);
        ASSERT_TRUE(f.blnHover());
        QCursor::setPos(f.mapToGlobal(QPoint(c.x, c.y)));
        f.Timer1_Timer();
        EXPECT_EQ(f.blnHover(), c.inside);
        EXPECT_EQ(f.Timer1->isActive(), c.inside);
        EXPECT_EQ(TextColour(f.Label7), c.inside ? kYellow : kWhite);
        if (c.inside)
            f.Timer1_Timer(), QCursor::setPos(f.mapToGlobal(QPoint(0, 0))), f.Timer1_Timer();
    }
}

TEST_F(Pointer, ClickingTheLinkOpensTheHomePageAndKeepsTheHover)
{
    frmMain& f = Load();
    QCursor::setPos(f.mapToGlobal(f.Label7->geometry().center()));
    QTest::mouseMove(f.Label7, {20, 5});
    QTest::mouseClick(f.Label7, Qt::LeftButton, Qt::NoModifier, {20, 5});
    ASSERT_EQ(services.shellOpens.size(), 1u);
    EXPECT_EQ(services.shellOpens[0], f.Label7->text().toStdString());
    EXPECT_EQ(services.shellOpens[0].rfind("https://", 0), 0u);
    EXPECT_TRUE(f.blnHover());
    EXPECT_TRUE(services.boxes.empty());  // no opener: nothing shown
    EXPECT_EQ(f.Label7->toolTip(), QString::fromUtf8("Klick - öffnet Tafelrunde Startseite"));
}

}  // namespace
}  // namespace stellmark::test
