// The main window on the offscreen platform, driven through its real widgets. The program's
// folder, data files and INI file lie in a temporary folder; file dialogs are answered from a
// script, message boxes and error dialogs recorded instead of shown; the watchdog of the
// test program's main fails a test that leaves a real dialog open.
#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <set>
#include <thread>
#include <gtest/gtest.h>
#include <unistd.h>

#include "window/Busy.h"
#include "window/FocusMark.h"
#include "errors/Program.h"
#include "generated/StellmarkVersion.h"
#include "operations/Actions.h"
#include "tests/window/MainWindowTest.h"
#include "window/Settings.h"

namespace stellmark::test {
namespace {

using namespace std::string_literals;

using Answer = std::optional<std::string>;  // nothing: cancelled

// The program starts in a folder of its own, not the program's folder.
class WindowTest : public MainWindowTest {
protected:
    ~WindowTest() override { w.reset(); }  // while still in its folder

    // Clicks `button` (the image's open button by default) and answers its dialog.
    void Choose(Answer answer, QPushButton* button = nullptr)
    {
        fakes.answers.push_back(std::move(answer));
        QTest::mouseClick(button ? button : w->cmdFileOpen, Qt::LeftButton);
    }
    // Picks an entry as the user does: the list's own selection signal.
    void Pick(const std::string& entry)
    {
        const int i = w->Combo1->findText(QString::fromStdString(entry));
        ASSERT_GE(i, 0) << entry;
        w->Combo1->setCurrentIndex(i);
        emit w->Combo1->activated(i);
    }
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> list;
        for (int i = 0; i < w->Combo1->count(); ++i)
            list.push_back(w->Combo1->itemText(i).toStdString());
        return list;
    }
    std::string Shown() const { return w->Combo1->currentText().toStdString(); }
    int ChooserPartsShown() const
    {
        const QWidget* parts[] = {w->cmdFileCramfs, w->txtCramfs, w->Label16, w->lblCramfsInfo, w->Label17};
        return int(std::count_if(parts, parts + 5, [](auto* p) { return !p->isHidden(); }));
    }
    // An image of the class at `path`, a copy of the shared one; class 0: a text file.
    std::string MakeImage(const std::string& path, int imageClass)
    {
        static TempDir shared;  // every test installs the same data files: made once
        static const auto images = WriteImages(shared.Path(), data.files);
        imageClass ? (void)std::filesystem::copy_file(images.at(imageClass), path,
                                                      std::filesystem::copy_options::overwrite_existing)
                   : WriteFile(path, std::string(1024, 't'));
        return path;
    }

    TempDir work;  // the folder the program starts in
    ScopedWorkingFolder inWork{work.Path()};
};

using Layout = WindowTest;
using Look = WindowTest;
using Lifecycle = WindowTest;
using Selection = WindowTest;
using Start = WindowTest;
using Pointer = WindowTest;
using Keyboard = WindowTest;

const char* const kExpert = "Experte - auszulesenden Bereich angeben";
const char* const kInsert = "root [CramFS] einfügen";

// ---------------------------------------------------------------------------------------------
// The layout: a fixed size, every control inside the window, no two that take input overlapping
// (their reading order is the keyboard tests')

// Where `w` lies in window coordinates.
QRect InWindow(QWidget* w, QWidget* window) { return {w->mapTo(window, QPoint(0, 0)), w->size()}; }

TEST_F(Layout, FixedSizeEveryControlInsideAndNoTwoControlsOverlap)
{
    frmMain& f = Load();
    EXPECT_EQ(f.size(), QSize(398, 318));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    Choose(MakeImage(work / "b.img", 22));
    // The expert frame (the box off) and the CramFS chooser (the box on) share a place.
    for (bool chooser : {false, true}) {
        SCOPED_TRACE(chooser ? "chooser" : "expert frame");
        QTest::mouseClick(f.Check1, Qt::LeftButton);
        if (chooser)
            Pick(kInsert);
        std::vector<QWidget*> controls;
        for (QWidget* w : f.findChildren<QWidget*>()) {
            const std::string name = w->objectName().toStdString();
            const bool own = w->parentWidget() == &f || w->parentWidget() == f.frmExperte;
            if (!own || name.empty() || name.starts_with("qt_") || name == "FocusMark" || !w->isVisibleTo(&f))
                continue;
            SCOPED_TRACE(name);
            // The icon reaches up into the frame the window system does not draw.
            if (w != f.Picture1) {
                EXPECT_TRUE(f.rect().contains(InWindow(w, &f))) << name;
            }
            if (w->focusPolicy() & Qt::TabFocus)
                controls.push_back(w);
        }
        EXPECT_GE(controls.size(), 10u);
        for (QWidget* a : controls)
            for (QWidget* b : controls)
                EXPECT_TRUE(a == b || !InWindow(a, &f).intersects(InWindow(b, &f)))
                    << a->objectName().toStdString() << " " << b->objectName().toStdString();
    }
}

// ---------------------------------------------------------------------------------------------
// How the controls look: disabled ones greyed

// The darkest pixel of `area` in a rendering of `w`: the ink of its caption or glyph.
QColor Darkest(QWidget* w, const QRect& area)
{
    const QImage image = w->grab().toImage();
    QColor darkest = Qt::white;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (QColor c = image.pixelColor(x, y); c.lightness() < darkest.lightness())
                darkest = c;
    return darkest;
}

TEST_F(Look, StartAndTheListAreGreyedWhileDisabledAndKeepTheirColoursWhenEnabled)
{
    frmMain& f = Load();
    // The first screen, a valid image, a text file (class -1: nothing picked yet, 0: no image).
    for (auto [imageClass, enabled] : {std::pair(-1, false), {22, true}, {0, false}}) {
        SCOPED_TRACE(imageClass);
        if (imageClass >= 0)
            Choose(MakeImage(work / std::to_string(imageClass), imageClass));
        ASSERT_EQ(f.cmdStart->isEnabled(), enabled);
        ASSERT_EQ(f.Combo1->isEnabled(), enabled);
        // The caption "Start" in the middle of the button; the list's face left of its arrow.
        const QColor ink = Darkest(f.cmdStart, f.cmdStart->rect().adjusted(12, 4, -12, -4));
        const QColor face =
            f.Combo1->grab().toImage().pixelColor(f.Combo1->width() - 40, f.Combo1->height() / 2);
        const QColor arrow = Darkest(f.Combo1, QRect(f.Combo1->width() - 20, 4, 16, 13));
        SCOPED_TRACE("ink " + ink.name().toStdString() + ", face " + face.name().toStdString() + ", arrow " +
                     arrow.name().toStdString());
        if (enabled) {
            EXPECT_LT(ink.lightness(), 64);           // a black caption
            EXPECT_GE(face.blue() - face.red(), 16);  // on light blue
            EXPECT_LT(arrow.lightness(), 110);
        } else {
            EXPECT_GE(ink.lightness(), 96);   // a grey caption, neither black
            EXPECT_LE(ink.lightness(), 192);  // nor lost in the face
            EXPECT_LE(std::abs(ink.blue() - ink.red()), 16);
            EXPECT_LE(face.blue() - face.red(), 8);  // on a grey face
            EXPECT_GE(arrow.lightness(), 128);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up and shutdown

TEST_F(Lifecycle, StoredSettingsAreRestored)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint centred((screen.width() - 398) / 2, (screen.height() - 318) / 2);
    TempDir other;
    struct Case {
        std::string ini;  // the lines below [Settings]
        Qt::CheckState box = Qt::Checked;
        int value = 1;
        std::optional<QPoint> at = {};  // nothing: centred
        std::string dir = {};           // empty: the starting folder
    };
    const std::vector<Case> cases = {
        {"UseOnlyValidImages=0", Qt::Unchecked, 0},
        {"UseOnlyValidImages=2", Qt::PartiallyChecked, 2},
        {"UseOnlyValidImages=5"},  // unusable: as if missing, no failure
        {"WindowTop=1500.4\r\nWindowLeft= 3000", Qt::Checked, 1, QPoint(200, 100)},
        // Off every screen: centred on the primary one.
        {"WindowTop=30000\r\nWindowLeft=1500"},
        {"WindowTop=-150000\r\nWindowLeft=600000"},
        {"LastDir=" + other.Path(), Qt::Checked, 1, {}, other.Path()},
        {"LastDir=" + other / "fehlt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        WriteFile(Ini(), "[Settings]\r\n" + c.ini + "\r\n");
        frmMain& f = Load();
        EXPECT_EQ(f.Check1->checkState(), c.box);
        EXPECT_EQ(f.UseOnlyValidImages(), c.value);
        EXPECT_EQ(f.pos(), c.at.value_or(centred));
        EXPECT_EQ(f.LastDir(), c.dir.empty() ? work.Path() : c.dir);
        EXPECT_TRUE(presenter.calls.empty());
        EXPECT_EQ(f.lblVersion->text(), "V " STELLMARK_VERSION);  // loaded to the end
        // The user's click counts after any load; a greyed box turns two-state, unchecked.
        QTest::mouseClick(f.Check1, Qt::LeftButton);
        EXPECT_EQ(f.UseOnlyValidImages(), c.value == 0 ? 1 : 0);
        EXPECT_EQ(f.Check1->checkState(), c.value == 0 ? Qt::Checked : Qt::Unchecked);
        w.reset();
    }
}

TEST_F(Lifecycle, ClosingWritesTheSettings)
{
    frmMain& f = Load();
    QTest::mouseClick(f.Check1, Qt::LeftButton);
    TempDir other;
    Choose(MakeImage(other / "b.img", 11));
    f.move(100, 40);
    EXPECT_FALSE(Exists(Ini()));
    QTest::mouseClick(f.cmdEnde, Qt::LeftButton);
    EXPECT_EQ(ReadFile(Ini()), "[Settings]\r\nLastDir=" + other.Path() +
                                   "\r\nWindowTop=600\r\nWindowLeft=1500\r\n"
                                   "UseOnlyValidImages=0\r\n");
    EXPECT_EQ(ends, std::vector<int>{0});
    EXPECT_TRUE(fakes.boxes.empty());
    // The close button and the window system's close write it as well.
    for (bool button : {true, false}) {
        SCOPED_TRACE(button);
        std::filesystem::remove(Ini());
        ends.clear();
        frmMain& g = Load();
        button ? QTest::mouseClick(g.cmdExit, Qt::LeftButton) : (void)g.close();
        EXPECT_TRUE(Exists(Ini()));
        EXPECT_EQ(ends.size(), button ? 1u : 0u);  // the window system ends the program itself
    }
}

TEST_F(Lifecycle, SettingsThatCannotBeWrittenAreToldWithTheirPlace)
{
    frmMain& f = Load();
    WriteFile(prog / "blocker", "x");  // the INI file's folder is a file
    ScopedProgramFile elsewhere(prog / "blocker");
    wsFiles::ResetIniFileForTests();
    QTest::mouseClick(f.cmdEnde, Qt::LeftButton);
    EXPECT_EQ(fakes.boxes,
              std::vector<std::string>{"Stellmark - Mitteilung (Exclamation): " +
                                       window::settings::NotKeptText(prog / "blocker/Stellmark.ini")});
    EXPECT_TRUE(presenter.calls.empty());
}

TEST_F(Lifecycle, SecondInstanceAndMissingDataFilesEndTheProgramWritingNothing)
{
    for (bool another : {true, false}) {
        SCOPED_TRACE(another);
        fakes.another = another;
        if (!another) {
            std::filesystem::remove(prog / "boot.dat");
            std::filesystem::remove(prog / "1zu2.dat");
        }
        fakes.boxes.clear();
        ends.clear();
        Load();
        EXPECT_EQ(fakes.boxes,
                  std::vector<std::string>{
                      "Stellmark - Mitteilung (Information): " +
                      std::string(another ? "Stellmark wurde schon gestartet."
                                          : "Die folgende(n) Datei(en)\r\n\r\n1zu2.dat\r\nboot.dat\r\n\r\n"
                                            "konnten nicht gefunden werden!\r\n\r\nProgramm wird beendet!")});
        EXPECT_EQ(ends, std::vector<int>{1});
        EXPECT_FALSE(w->isVisible());
        w.reset();
        EXPECT_FALSE(Exists(Ini()));
    }
}

// ---------------------------------------------------------------------------------------------
// Choosing the source image, the list and the check box

TEST_F(Selection, ListAndStatesWithTheCheckBoxOnAndOffAndAfterACancel)
{
    // No image, an image with the boot loader and one without: the info, sizes and lists differ.
    struct Case {
        int imageClass;  // 0: a text file
        const char* info;
        const char* size;  // in the expert frame
    };
    const Case cases[] = {
        {0, "kein gültiges Image", "0x00000400 [1024]"},
        {12, "2x mit Bootloader", "0x00800000 [8388608]"},
        {21, "1x ohne Bootloader", "0x007E0000 [8257536]"},
    };
    frmMain& f = Load();
    TempDir from;
    for (const auto& c : cases) {
        const std::string path = MakeImage(from / std::to_string(c.imageClass), c.imageClass);
        // Picked with the box on; the box off; picked again with it off; the box on again.
        for (int step = 0; step < 4; ++step) {
            SCOPED_TRACE(std::to_string(c.imageClass) + " step " + std::to_string(step));
            f.txtStart->setText("getippt");
            step % 2 ? QTest::mouseClick(f.Check1, Qt::LeftButton) : Choose(path);
            const bool on = step % 3 == 0;
            const auto list = ops::ListFor(true, c.imageClass, on).entries;  // tested on its own
            EXPECT_EQ(f.UseOnlyValidImages(), on ? 1 : 0);
            EXPECT_EQ(f.txtFile->text().toStdString(), path);
            EXPECT_EQ(f.lblInfo->text(), QString::fromUtf8(c.info));
            EXPECT_EQ(Entries(), list);
            EXPECT_EQ(Shown(), list.empty() ? "" : list.front());
            EXPECT_EQ(f.Combo1->isEnabled(), !list.empty());
            EXPECT_EQ(f.cmdStart->isEnabled(), !list.empty());
            EXPECT_EQ(f.frmExperte->isHidden(), on);
            EXPECT_EQ(ChooserPartsShown(), 0);
            if (!on) {
                EXPECT_EQ(f.txtStart->text(), "0x00000000");
                EXPECT_EQ(f.txtEnde->text().toStdString(), std::string(c.size).substr(0, 10));
                EXPECT_EQ(f.lblImageSize->text().toStdString(), c.size + std::string(" Bytes"));
            } else if (!list.empty()) {
                Pick(kInsert);  // the next list shows its own first entry and no chooser
            }
        }
    }
    ASSERT_EQ(fakes.asked.size(), 6u);
    EXPECT_EQ(fakes.asked[1].initialDir, from.Path());  // the next dialog opens where it ended

    Choose(std::nullopt);  // a cancelled open dialog changes nothing, and is no error
    EXPECT_EQ(f.txtFile->text().toStdString(), from / "21");
    EXPECT_EQ(Entries(), ops::ListFor(true, 21, 1).entries);
    EXPECT_EQ(Shown(), kInsert);
    EXPECT_EQ(f.LastDir(), from.Path());
    EXPECT_TRUE(presenter.calls.empty());
}

TEST_F(Selection, CramfsChooserShowsItsVerdictAndKeepsItAcrossOtherEntriesAndBeyond32BitsIsTooLarge)
{
    frmMain& f = Load();
    Choose(MakeImage(work / "b22.img", 22));
    Pick(kInsert);
    ASSERT_EQ(ChooserPartsShown(), 5);
    TempDir cramfs;
    const std::pair<int, const char*> verdicts[] = {{0x600001, "0x00600001 [6291457] Bytes - zu groß!"},
                                                    {0x600000, "0x00600000 [6291456] Bytes - im Limit!"}};
    for (auto [size, verdict] : verdicts) {
        SCOPED_TRACE(size);
        const std::string path = cramfs / std::to_string(size);
        WriteFile(path, std::string(size, 'c'));
        Choose(path, f.cmdFileCramfs);
        EXPECT_EQ(f.txtCramfs->text().toStdString(), path);
        EXPECT_EQ(f.lblCramfsInfo->text(), QString::fromUtf8(verdict));
    }
    EXPECT_EQ(f.LastDir(), cramfs.Path());
    Choose(std::nullopt, f.cmdFileCramfs);  // a cancel keeps the choice

    // Away and back, also across another image: the chooser shows what was picked.
    Pick(kExpert);
    EXPECT_EQ(ChooserPartsShown(), 0);
    Choose(MakeImage(work / "b21.img", 21));
    Pick(kInsert);
    EXPECT_EQ(ChooserPartsShown(), 5);
    EXPECT_EQ(f.txtCramfs->text().toStdString(), cramfs / "6291456");
    EXPECT_EQ(f.lblCramfsInfo->text(), "0x00600000 [6291456] Bytes - im Limit!");
    EXPECT_TRUE(presenter.calls.empty());

    // Beyond 32 bits: too large, whatever the answer to the overflow it is.
    const std::string huge = cramfs / "huge";
    WriteFile(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), 0x80000000LL), 0);
    for (int16_t answer : {kLeave, kNext}) {
        ScriptedPresenter chooser({answer});
        f.lblCramfsInfo->clear();
        Choose(huge, f.cmdFileCramfs);
        ASSERT_EQ(chooser.calls.size(), 1u);
        EXPECT_EQ(chooser.calls[0].number + " " + chooser.calls[0].proc, "6 (Überlauf) GetImageSize");
        EXPECT_EQ(f.lblCramfsInfo->text(), QString::fromUtf8("0x80000000 [2147483648] Bytes - zu groß!"));
    }
}

TEST_F(Selection, AFileBeyond32BitsIsRefusedWithAMessageAndChangesNothing)
{
    frmMain& f = Load();
    QTest::mouseClick(f.Check1, Qt::LeftButton);  // box off: the expert entry for any file
    const std::string small = MakeImage(work / "b.img", 22), huge = work / "huge";
    Choose(small);
    WriteFile(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), 0x80000000LL), 0);
    Choose(huge);
    EXPECT_EQ(f.txtFile->text().toStdString(), small);
    EXPECT_EQ(f.lblImageSize->text(), "0x007E0000 [8257536] Bytes");
    EXPECT_TRUE(presenter.calls.empty());
    EXPECT_EQ(fakes.boxes,
              std::vector<std::string>{"Stellmark - Mitteilung (Exclamation): Die Datei '" + huge +
                                       "' ist mit 2147483648 Bytes zu groß für das Fenster "
                                       "(höchstens 2147483647 Bytes).\r\nstellmark-cli "
                                       "bearbeitet auch größere Dateien."});
}

// ---------------------------------------------------------------------------------------------
// Start: the refusals, a cancelled save dialog, one action to the written file, and a failed one

TEST_F(Start, RefusalsAndACancelWriteNothingTheActionWritesItsBytesAndAnIncompleteOneIsNeverSilent)
{
    frmMain& f = Load();
    TempDir from, out;
    const std::string source = MakeImage(from / "quelle.img", 11), bytes = ReadFile(source);
    Choose(source);
    Pick(kExpert);
    f.txtStart->setText("0x40000");
    f.txtEnde->setText("0x20000");
    QTest::mouseClick(f.cmdStart, Qt::LeftButton);  // refused before any save dialog
    EXPECT_EQ(fakes.asked.size(), 1u);
    Pick("1x extrahieren");
    Choose(source, f.cmdStart);  // the source as its own output: refused after it
    EXPECT_EQ(fakes.boxes,
              (std::vector<std::string>{
                  "Stellmark - Fehler (Exclamation): Die angegebene Größe kann nicht verarbeitet werden."
                  "\r\nBitte die Angaben prüfen",
                  "Stellmark - Info (Critical): Das Image kann nicht in sich selbst gespeichert werden!\r\n"
                  "Bitte anderen Dateinamen angeben!\r\n"}));
    EXPECT_TRUE(ReadFile(source) == bytes);

    Pick("1x ohne Bootloader erzeugen");
    WriteFile(out / "ziel", "older and longer" + std::string(0x900000, 'x'));  // to be replaced
    Choose(std::nullopt, f.cmdStart);
    EXPECT_EQ(ReadFile(out / "ziel").size(), 0x900010u);
    EXPECT_EQ(f.LastDir(), from.Path());
    Choose(out / "ziel", f.cmdStart);
    ASSERT_EQ(fakes.asked.size(), 4u);
    EXPECT_EQ(fakes.asked[3].title + " " + fakes.asked[3].initialName, "Speichern unter quelle_[1x]");
    EXPECT_EQ(fakes.asked[3].initialDir, from.Path());
    const std::string built = bytes.substr(0x20000);  // without the boot loader
    EXPECT_TRUE(ReadFile(out / "ziel") == built);
    EXPECT_EQ(out.Entries(), std::vector<std::string>{"ziel"});  // no extension, no leftovers
    EXPECT_EQ(fakes.boxes.size(), 2u);                           // success shows nothing
    EXPECT_EQ(f.LastDir(), out.Path());
    EXPECT_TRUE(presenter.calls.empty());
    EXPECT_EQ(f.focusWidget(), f.Picture1);  // on no button: Return does not start again
    QTest::keyClick(f.focusWidget(), Qt::Key_Return);
    EXPECT_EQ(fakes.asked.size(), 4u);

    // A replaced file with a second name: written all the same, and the split is said once.
    ASSERT_EQ(::link((out / "ziel").c_str(), (from / "zweitname").c_str()), 0);
    Choose(out / "ziel", f.cmdStart);
    ASSERT_EQ(fakes.boxes.size(), 3u);
    EXPECT_EQ(fakes.boxes[2], "Stellmark - Information (Information): '" + out / "ziel" +
                                  "' hatte 1 weitere(n) harte(n) Link(s); diese behalten den alten Inhalt.");
    EXPECT_TRUE(ReadFile(out / "ziel") == built);

    // The source vanishes; the user goes past every failure: the old output stays, and says so.
    // While it copies the cursor is busy and a click on Start is not taken.
    ::unlink(source.c_str());
    ScriptedPresenter goOn({}, kNext);
    std::vector<Qt::CursorShape> copying;  // the cursor at each failure of the copy itself
    goOn.onShow = [&] {
        if (goOn.calls.back().proc != "CopyFile")
            return;
        copying.push_back(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                         : Qt::ArrowCursor);
        QTest::mouseClick(f.cmdStart, Qt::LeftButton);
    };
    Choose(out / "ziel", f.cmdStart);
    EXPECT_EQ(fakes.asked.size(), 6u);
    EXPECT_EQ(copying, std::vector<Qt::CursorShape>(2, Qt::WaitCursor));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(goOn.calls.size(), 2u);
    ASSERT_EQ(fakes.boxes.size(), 4u);
    EXPECT_EQ(fakes.boxes[3], "Stellmark - Fehler (Exclamation): Die Datei '" + out / "ziel" +
                                  "' wurde nicht geschrieben.\r\nNach einem Fehler wurde ein Schritt "
                                  "übersprungen, und eine unvollständige Datei wird nie gespeichert.");
    EXPECT_TRUE(ReadFile(out / "ziel") == built);
    EXPECT_EQ(out.Entries(), std::vector<std::string>{"ziel"});
}

TEST_F(Start, WhileItCopiesTheWindowIsPaintedAgainAtMostTenTimesASecond)
{
    frmMain& f = Load();
    struct CountPaints : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override { return paints += e->type() == QEvent::Paint, false; }
    } counter;
    f.installEventFilter(&counter);
    window::Busy busy(&f);
    counter.paints = 0;
    ReportProgress(Phase::Write, 1, 2);  // the copy reports at once: too soon to paint again
    EXPECT_EQ(counter.paints, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    ReportProgress(Phase::Verify, 2, 2);
    EXPECT_EQ(counter.paints, 1);
    f.removeEventFilter(&counter);
}

TEST_F(Lifecycle, AWorkingFolderDeletedBeforeTheStartIsAFailureNotACrash)
{
    TempDir gone;
    ASSERT_EQ(::chdir(gone.Path().c_str()), 0);
    ASSERT_EQ(::rmdir(gone.Path().c_str()), 0);
    ScriptedPresenter goOn({}, kNext);
    frmMain& f = Load();
    ASSERT_EQ(goOn.calls.size(), 1u);
    EXPECT_EQ(goOn.calls[0].number + " " + goOn.calls[0].proc, "53 (Datei nicht gefunden) Form_Load");
    EXPECT_TRUE(ends.empty());
    EXPECT_EQ(f.lblVersion->text().left(2), "V ");  // the load went on to its end
}

// ---------------------------------------------------------------------------------------------
// Dragging the frameless window, and the link label's hover colour and its timer

TEST_F(Pointer, OnlyALeftPressOnBackgroundTitlesAndInfoMovesTheWindow)
{
    frmMain& f = Load();
    const std::tuple<QWidget*, Qt::MouseButton, bool> cases[] = {
        {&f, Qt::LeftButton, true},         {f.Picture1, Qt::LeftButton, true},
        {f.Label1, Qt::LeftButton, true},   {f.Label5, Qt::LeftButton, true},
        {&f, Qt::RightButton, false},       {f.Label4, Qt::LeftButton, false},
        {f.txtFile, Qt::LeftButton, false},
    };
    for (auto [widget, button, moves] : cases) {
        SCOPED_TRACE(widget->objectName().toStdString() + " " + std::to_string(button));
        f.move(100, 100);
        const QPoint at = widget->rect().center();
        QTest::mousePress(widget, button, Qt::NoModifier, at);
        QTest::mouseMove(widget, at + QPoint(30, 20));
        QTest::mouseRelease(widget, button, Qt::NoModifier, at + QPoint(30, 20));
        EXPECT_EQ(f.pos(), moves ? QPoint(130, 120) : QPoint(100, 100));
        EXPECT_FALSE(f.MovingItself());  // the release ends the move
    }
}

TEST_F(Pointer, LinkIsYellowWhileThePointerIsOverItEdgesIncluded)
{
    const QColor white(255, 255, 255), yellow(255, 255, 0);
    frmMain& f = Load();
    auto colour = [&] { return f.Label7->palette().color(QPalette::WindowText); };
    QCursor::setPos(f.mapToGlobal(f.Label7->geometry().center()));
    QTest::mouseMove(f.Label7, {20, 5});  // the real pointer and the real timer
    EXPECT_EQ(colour(), yellow);
    QCursor::setPos(0, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.blnHover(); }, 10000));

    const QRect r = f.Label7->geometry();
    const int L = r.x(), T = r.y(), R = L + r.width(), B = T + r.height();
    const std::tuple<int, int, bool> cases[] = {
        {L, T, true},      {R, B, true},      {L - 1, T, false},
        {L, T - 1, false}, {R + 1, B, false}, {R, B + 1, false},
    };
    for (auto [x, y, inside] : cases) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        f.Label7_MouseMove(0, 0, 1, 1);
        ASSERT_TRUE(f.blnHover());
        QCursor::setPos(f.mapToGlobal(QPoint(x, y)));
        f.Timer1_Timer();
        EXPECT_EQ(f.blnHover(), inside);
        EXPECT_EQ(f.Timer1->isActive(), inside);
        EXPECT_EQ(colour(), inside ? yellow : white);
        QCursor::setPos(0, 0);
        f.Timer1_Timer();
    }
}

// ---------------------------------------------------------------------------------------------
// The keyboard: the tab order, the focus mark, Return and Space

QWidget* Focused() { return QApplication::focusWidget(); }
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(Focused(), key, modifiers);
}

TEST_F(Keyboard, TabGoesFromTheTopLeftToTheBottomRightWithAMarkOnEveryStop)
{
    frmMain& f = Load();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    EXPECT_EQ(Focused(), f.Picture1);  // the window starts with no control marked

    // A mouse user sees no mark: the focus taken by a click shows only Qt's own.
    QTest::mouseClick(f.txtFile, Qt::LeftButton);
    ASSERT_EQ(Focused(), f.txtFile);
    auto* mark = f.findChild<QWidget*>("FocusMark");
    ASSERT_NE(mark, nullptr);
    EXPECT_FALSE(mark->isVisible());

    // With the expert frame, then with the chooser: from the first Tab on, round once, every
    // control that takes the Tab key exactly once, in reading order.
    for (bool chooser : {false, true}) {
        SCOPED_TRACE(chooser ? "chooser" : "expert frame");
        QTest::mouseClick(f.Check1, Qt::LeftButton);
        if (!chooser) {
            Choose(MakeImage(work / "b.img", 22));  // any file, box off: the expert entry
            ASSERT_EQ(Focused(), f.Picture1);       // where a pick leaves it
        } else {
            Pick(kInsert);  // the same image, box on
            f.Picture1->setFocus();
        }
        std::set<QWidget*> want;
        for (QWidget* w : f.findChildren<QWidget*>())
            if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&f) && w->isEnabled())
                want.insert(w);
        EXPECT_TRUE(want.count(chooser ? f.txtCramfs : f.txtStart) && want.count(f.Label7));
        std::vector<QWidget*> stops;
        QRect previous;
        for (std::size_t i = 0; i <= want.size(); ++i) {
            Press(Qt::Key_Tab);
            QWidget* w = Focused();
            ASSERT_NE(w, nullptr);
            stops.push_back(w);
            SCOPED_TRACE(w->objectName().toStdString());
            // In reading order: further right on the same line, or on a line further down.
            const QRect at(w->mapTo(&f, QPoint(0, 0)), w->size());
            const bool sameLine = at.top() <= previous.bottom() && previous.top() <= at.bottom();
            if (i > 0 && i < want.size()) {
                EXPECT_TRUE(sameLine ? at.left() > previous.left() : at.top() > previous.top());
            }
            previous = at;
            // The mark: yellow outside black, around the control, on every side.
            const QImage shot = f.grab().toImage();
            const QPoint c = at.center();
            for (QPoint step : {QPoint(-1, 0), QPoint(1, 0), QPoint(0, -1), QPoint(0, 1)}) {
                const QPoint edge(step.x() < 0   ? at.left()
                                  : step.x() > 0 ? at.right()
                                                 : c.x(),
                                  step.y() < 0   ? at.top()
                                  : step.y() > 0 ? at.bottom()
                                                 : c.y());
                if (edge.y() + 2 * step.y() < 0)
                    continue;
                EXPECT_EQ(shot.pixelColor(edge + 2 * step), window::FocusMark::kOuter)
                    << edge.x() << "," << edge.y();
                EXPECT_EQ(shot.pixelColor(edge + step), window::FocusMark::kInner)
                    << edge.x() << "," << edge.y();
            }
        }
        EXPECT_EQ(stops.back(), stops.front());  // and round again
        EXPECT_EQ(std::set<QWidget*>(stops.begin(), stops.end() - 1), want);
        Press(Qt::Key_Backtab);
        EXPECT_EQ(Focused(), stops[stops.size() - 2]);
    }
}

TEST_F(Keyboard, ScreenReadersFindANameOnTheStartFocusThePictureButtonsAndTheFields)
{
    frmMain& f = Load();
    auto name = [](QWidget* w) {
        return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name).toStdString();
    };
    EXPECT_EQ(f.focusWidget(), f.Picture1);
    EXPECT_EQ(name(f.Picture1), "Stellmark");
    for (QPushButton* b : {f.cmdMin, f.cmdExit, f.cmdFileOpen, f.cmdFileCramfs})
        EXPECT_EQ(name(b), b->toolTip().toStdString()) << b->objectName().toStdString();
    const std::pair<QWidget*, const char*> fields[] = {{f.txtFile, "Gewähltes Image"},
                                                       {f.Combo1, "Aktion"},
                                                       {f.txtStart, "Start"},
                                                       {f.txtEnde, "Ende"},
                                                       {f.txtCramfs, "cramfs auswählen"}};
    for (auto [field, text] : fields)
        EXPECT_EQ(name(field), text) << field->objectName().toStdString();
}

TEST_F(Keyboard, ClickReturnAndSpacePressTheFocusedButtonAndTheLinkHelpAndLinkOpenInTheProgramsFolder)
{
    struct Case {
        const char* control;
        Qt::Key key;                          // Qt::Key_unknown: a click with the mouse
        std::vector<std::string> calls = {};  // of the services
        std::size_t dialogs = 0;              // open dialogs asked for
    };
    ASSERT_NE(std::filesystem::current_path().string(), prog.Path());  // not the same by chance
    const std::string help = "open " + prog / "liesmich.txt in " + prog.Path(),
                      link = "open "s + program::kHomePage + " in " + prog.Path();
    const std::vector<Case> cases = {
        {.control = "Command2", .key = Qt::Key_unknown, .calls = {help}},
        {.control = "Label7", .key = Qt::Key_unknown, .calls = {link}},
        {.control = "Picture1", .key = Qt::Key_Return},
        {.control = "Command2", .key = Qt::Key_Return, .calls = {help}},
        {.control = "Command2", .key = Qt::Key_Enter, .calls = {help}},
        {.control = "Command2", .key = Qt::Key_Space, .calls = {help}},
        {.control = "cmdFileOpen", .key = Qt::Key_Return, .dialogs = 1},
        {.control = "Label7", .key = Qt::Key_Return, .calls = {link}},
        {.control = "Label7", .key = Qt::Key_Space, .calls = {link}},
        {.control = "txtFile", .key = Qt::Key_Return},
    };
    frmMain& f = Load();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + " " + std::to_string(c.key));
        fakes.calls.clear();
        fakes.asked.clear();
        auto* control = f.findChild<QWidget*>(c.control);
        if (c.key == Qt::Key_unknown)
            QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, {20, 5});  // on the text
        else
            control->setFocus(Qt::TabFocusReason), Press(c.key);
        EXPECT_EQ(fakes.calls, c.calls);
        EXPECT_EQ(fakes.asked.size(), c.dialogs);
    }
    EXPECT_TRUE(presenter.calls.empty());  // nobody there to open them is no failure
    EXPECT_TRUE(ends.empty());
}

}  // namespace
}  // namespace stellmark::test
