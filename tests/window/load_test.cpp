// Start-up and shutdown of the main window: refusals, restored settings, the settings file
// written on every close.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <filesystem>

#include "Screen.h"
#include "WindowFixture.h"

namespace stellmark::test {
namespace {

using Lifecycle = WindowTest;

std::string Cwd() { return std::filesystem::current_path().string(); }

QPoint Centred()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return {(screen.width() - frmMain::kClientWidth) / 2,
            (screen.height() - frmMain::kClientHeight) / 2};
}

TEST_F(Lifecycle, FirstStartShowsTheWindowWithoutImageAndWritesTheFourKeysOnClose)
{
    frmMain& f = Load();
    EXPECT_TRUE(ends.empty());
    EXPECT_EQ(f.windowTitle(), "Stellmark");
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.size(), QSize(398, 318));
    EXPECT_EQ(f.lblVersion->text(), "V 0.1.1");
    EXPECT_EQ(f.Check1->checkState(), Qt::Checked);
    EXPECT_EQ(f.UseOnlyValidImages(), 1);
    EXPECT_FALSE(f.blnLoading());
    EXPECT_EQ(f.LastDir(), Cwd());
    EXPECT_EQ(f.pos(), Centred());
    EXPECT_EQ(f.txtFile->text(), QString::fromUtf8("kein Image ausgewählt"));
    EXPECT_EQ(f.lblInfo->text(), QString::fromUtf8("kein gültiges Image"));
    EXPECT_EQ(f.Combo1->count(), 0);
    EXPECT_FALSE(f.Combo1->isEnabled());
    EXPECT_FALSE(f.cmdStart->isEnabled());
    EXPECT_TRUE(f.frmExperte->isHidden());
    EXPECT_TRUE(f.txtCramfs->isHidden());
    EXPECT_TRUE(presenter.calls.empty());
    EXPECT_FALSE(Exists(IniPath()));

    QTest::mouseClick(f.cmdEnde, Qt::LeftButton);
    EXPECT_EQ(ends, std::vector<int>{0});
    const QPoint at = Centred();
    EXPECT_EQ(ReadFile(IniPath()), "[Settings]\r\nLastDir=" + Cwd() + "\r\nWindowTop=" +
                                       std::to_string(at.y() * 15) + "\r\nWindowLeft=" +
                                       std::to_string(at.x() * 15) +
                                       "\r\nUseOnlyValidImages=1\r\n");
}

TEST_F(Lifecycle, EveryWayOfClosingWritesTheSettingsOnce)
{
    struct Case {
        const char* how;
        std::function<void(frmMain&)> close;
        const char* unloadMode;
        std::vector<int> ends;
    };
    const Case cases[] = {
        {"Ende", [](frmMain& f) { QTest::mouseClick(f.cmdEnde, Qt::LeftButton); }, "1", {0}},
        {"Schließen", [](frmMain& f) { QTest::mouseClick(f.cmdExit, Qt::LeftButton); }, "1", {0}},
        {"window system", [](frmMain& f) { f.close(); }, "0", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        std::filesystem::remove(IniPath());
        ends.clear();
        frmMain& f = Load();
        f.move(100, 40);
        c.close(f);
        EXPECT_EQ(ends, c.ends);
        EXPECT_EQ(ReadFile(IniPath()), "[Settings]\r\nLastDir=" + Cwd() +
                                           "\r\nWindowTop=600\r\nWindowLeft=1500\r\n"
                                           "UseOnlyValidImages=1\r\n");
        // The entry of the closing procedure, its parameters in declaration order.
        const auto& trace = frmPanne::Instance().lstCallStack();
        auto at = std::find_if(trace.begin(), trace.end(), [](const std::string& l) {
            return l.find("Form_QueryUnload") != std::string::npos;
        });
        ASSERT_NE(at, trace.end());
        EXPECT_EQ(at->substr(9), "[frmMain] Private Sub Form_QueryUnload(Cancel As Integer, "
                                 "UnloadMode As Integer)");
        EXPECT_EQ(*(at + 1), "\tCancel:\t0");
        EXPECT_EQ(*(at + 2), std::string("\tUnloadMode:\t") + c.unloadMode);
        w.reset();
        EXPECT_EQ(std::count_if(trace.begin(), trace.end(),
                                [](const std::string& l) {
                                    return l.find("Sub Form_QueryUnload") != std::string::npos;
                                }),
                  1);
        ResetPanne();
    }
}

TEST_F(Lifecycle, StoredCheckBoxSetting)
{
    struct Case {
        const char* stored;
        Qt::CheckState box;
        int16_t value;
        int failure;  // error number shown, 0 for none
    };
    const Case cases[] = {
        {"0", Qt::Unchecked, 0, 0},    {"1", Qt::Checked, 1, 0},
        {"2", Qt::PartiallyChecked, 2, 0}, {" 1 ", Qt::Checked, 1, 0},
        {"0.5", Qt::Unchecked, 0, 0},  {"1.5", Qt::PartiallyChecked, 2, 0},
        {"ja", Qt::Checked, 1, 0},     {"", Qt::Checked, 1, 0},
        {"3", Qt::Unchecked, 3, 380},  {"-1", Qt::Unchecked, -1, 380},
        {"40000", Qt::Unchecked, 1, 6},  // left before the box is set
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        presenter.calls.clear();
        StoreIni(std::string("[Settings]\r\nUseOnlyValidImages=") + c.stored + "\r\n");
        frmMain& f = Load();
        EXPECT_EQ(f.Check1->checkState(), c.box);
        EXPECT_EQ(f.UseOnlyValidImages(), c.value);
        EXPECT_FALSE(f.blnLoading());
        if (c.failure == 0) {
            EXPECT_TRUE(presenter.calls.empty());
        } else {
            ASSERT_EQ(presenter.calls.size(), 1u);
            EXPECT_EQ(presenter.calls[0].proc, "Form_Load");
            EXPECT_EQ(presenter.calls[0].number.substr(0, presenter.calls[0].number.find(' ')),
                      std::to_string(c.failure));
        }
        w.reset();
    }
}

TEST_F(Lifecycle, SettingTheBoxWhileLoadingIsNoClick)
{
    StoreIni("[Settings]\r\nUseOnlyValidImages=0\r\n");
    frmMain& f = Load();
    EXPECT_EQ(f.UseOnlyValidImages(), 0);
    EXPECT_EQ(f.Check1->checkState(), Qt::Unchecked);
    // A greyed box clicked by the user becomes a two-state box, unchecked.
    w.reset();
    StoreIni("[Settings]\r\nUseOnlyValidImages=2\r\n");
    frmMain& g = Load();
    QTest::mouseClick(g.Check1, Qt::LeftButton);
    EXPECT_EQ(g.UseOnlyValidImages(), 0);
    EXPECT_EQ(g.Check1->checkState(), Qt::Unchecked);
    EXPECT_FALSE(g.Check1->isTristate());
    QTest::mouseClick(g.Check1, Qt::LeftButton);
    EXPECT_EQ(g.UseOnlyValidImages(), 1);
    EXPECT_EQ(g.Check1->checkState(), Qt::Checked);
}

TEST_F(Lifecycle, StoredPosition)
{
    const double tpp = platform::PrimaryScreen().twipsPerPixelX;
    ASSERT_EQ(tpp, 15);
    struct Case {
        const char* top;
        const char* left;
        std::optional<QPoint> at;  // nothing: centred
    };
    const Case cases[] = {
        {"1500", "3000", QPoint(200, 100)},
        {"1500.4", "  3000", QPoint(200, 100)},
        {"0", "3000", std::nullopt},
        {"1500", "0", std::nullopt},
        {"1500", "links", std::nullopt},
        {"", "", std::nullopt},
        {"-150000", "600000", QPoint(40000, -10000)},  // far off the screen, used as stored
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.top) + "/" + c.left);
        StoreIni(std::string("[Settings]\r\nWindowTop=") + c.top + "\r\nWindowLeft=" + c.left +
                 "\r\n");
        frmMain& f = Load();
        EXPECT_EQ(f.pos(), c.at.value_or(Centred()));
        EXPECT_TRUE(presenter.calls.empty());
        w.reset();
    }
}

TEST_F(Lifecycle, StoredLastDirIsUsedOnlyWhenItExists)
{
    TempDir other;
    StoreIni("[Settings]\r\nLastDir=" + other.Path() + "\r\n");
    EXPECT_EQ(Load().LastDir(), other.Path());
    w.reset();
    StoreIni("[Settings]\r\nLastDir=" + other.Path() + "/fehlt\r\n");
    EXPECT_EQ(Load().LastDir(), Cwd());
}

TEST_F(Lifecycle, SecondInstanceIsRefusedAndNothingIsWritten)
{
    lock.another = true;
    Load();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text, "Stellmark wurde schon gestartet.");
    EXPECT_EQ(services.boxes[0].title, "Stellmark - Mitteilung");
    EXPECT_EQ(services.boxes[0].icon, platform::Icon::Information);
    EXPECT_EQ(ends, std::vector<int>{1});
    EXPECT_FALSE(w->isVisible());
    w.reset();
    EXPECT_FALSE(Exists(IniPath()));
}

TEST_F(Lifecycle, MissingDataFilesAreListedAndTheProgramEnds)
{
    std::filesystem::remove(prog / "boot.dat");
    std::filesystem::remove(prog / "1zu2.dat");
    Load();
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].text,
              "Die folgende(n) Datei(en)\r\n\r\n1zu2.dat\r\nboot.dat\r\n\r\nkonnten nicht "
              "gefunden werden!\r\n\r\nProgramm wird beendet!");
    EXPECT_EQ(services.boxes[0].title, "Stellmark - Mitteilung");
    EXPECT_EQ(services.boxes[0].icon, platform::Icon::Information);
    EXPECT_EQ(ends, std::vector<int>{1});
    w.reset();
    EXPECT_FALSE(Exists(IniPath()));
}

TEST_F(Lifecycle, MinimiseAndHelp)
{
    frmMain& f = Load();
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(services.shellOpens, std::vector<std::string>{prog / "liesmich.txt"});
    EXPECT_TRUE(services.boxes.empty());  // a missing help file is not reported
    QTest::mouseClick(f.cmdMin, Qt::LeftButton);
    EXPECT_TRUE(f.windowState() & Qt::WindowMinimized);
}

}  // namespace
}  // namespace stellmark::test
