// Choosing the source image and the events of the list and the check box: what the window
// shows after each of them.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "WindowFixture.h"

namespace stellmark::test {
namespace {

using Selection = WindowTest;

const std::string kFilter = "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|";
const char* const kExpert = "Experte - auszulesenden Bereich angeben";
const char* const kInsert = "root [CramFS] einfügen";

// Picks an entry as the user does: the list's own selection signal.
void Pick(frmMain& f, const std::string& entry)
{
    const int i = f.Combo1->findText(QString::fromStdString(entry));
    ASSERT_GE(i, 0) << entry;
    f.Combo1->setCurrentIndex(i);
    emit f.Combo1->activated(i);
}

bool ChooserShown(const frmMain& f)
{
    const bool shown = !f.txtCramfs->isHidden();
    for (const QWidget* part : std::initializer_list<const QWidget*>{
             f.cmdFileCramfs, f.txtCramfs, f.Label16, f.lblCramfsInfo, f.Label17})
        EXPECT_EQ(!part->isHidden(), shown) << part->objectName().toStdString();
    return shown;
}

TEST_F(Selection, AValidImageOffersTheActionsOfItsClass)
{
    struct Case {
        int imageClass;
        const char* info;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {11, "1x mit Bootloader",
         {"1x ohne Bootloader erzeugen", "2x ohne Bootloader erzeugen", "2x mit Bootloader erzeugen",
          "1x extrahieren", "BR Bootloader extrahieren", kExpert, "root [CramFS] extrahieren", kInsert}},
        {12, "2x mit Bootloader",
         {"1x ohne Bootloader erzeugen", "2x ohne Bootloader erzeugen", "1x mit Bootloader erzeugen",
          "2x extrahieren", "BR Bootloader extrahieren", kExpert, "root [CramFS] extrahieren", kInsert}},
        {21, "1x ohne Bootloader",
         {"2x ohne Bootloader erzeugen", "1x mit Bootloader erzeugen", "2x mit Bootloader erzeugen",
          "1x extrahieren", kExpert, "root [CramFS] extrahieren", kInsert}},
        {22, "2x ohne Bootloader",
         {"1x ohne Bootloader erzeugen", "1x mit Bootloader erzeugen", "2x mit Bootloader erzeugen",
          "2x extrahieren", kExpert, "root [CramFS] extrahieren", kInsert}},
    };
    frmMain& f = Load();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.imageClass);
        const std::string path = MakeImage("bild" + std::to_string(c.imageClass) + ".img", c.imageClass);
        services.openAnswers.push_back(path);
        QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
        EXPECT_EQ(f.txtFile->text().toStdString(), path);
        EXPECT_EQ(f.lblInfo->text().toStdString(), c.info);
        EXPECT_EQ(Entries(), c.entries);
        EXPECT_EQ(Shown(), c.entries.front());
        EXPECT_TRUE(f.Combo1->isEnabled());
        EXPECT_TRUE(f.cmdStart->isEnabled());
        EXPECT_TRUE(f.frmExperte->isHidden());
        EXPECT_FALSE(ChooserShown(f));
        EXPECT_EQ(f.LastDir(), work.Path());
        EXPECT_EQ(f.focusWidget(), f.Picture1);
    }
    // Every pick opened in the folder of the one before, with the image filter first.
    ASSERT_EQ(services.opens.size(), 4u);
    EXPECT_EQ(services.opens[0].initialDir, std::filesystem::current_path().string());
    for (const auto& r : services.opens) {
        EXPECT_EQ(r.filter, kFilter);
        EXPECT_EQ(r.filterIndex, 2);
        EXPECT_EQ(r.initialName, "");
    }
    EXPECT_TRUE(presenter.calls.empty());
}

TEST_F(Selection, NoValidImageUnderTheCheckBoxLeavesTheListEmpty)
{
    frmMain& f = Load();
    for (std::size_t size : {std::size_t(0), std::size_t(100), std::size_t(0x7FFFFF)}) {
        SCOPED_TRACE(size);
        WriteFile(work / "datei.txt", std::string(size, 'a'));
        services.openAnswers.push_back(work / "datei.txt");
        QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
        EXPECT_EQ(f.lblInfo->text(), QString::fromUtf8("kein gültiges Image"));
        EXPECT_EQ(f.Combo1->count(), 0);
        EXPECT_FALSE(f.Combo1->isEnabled());
        EXPECT_FALSE(f.cmdStart->isEnabled());
    }
}

TEST_F(Selection, WithoutTheCheckBoxAnyFileIsCutInExpertMode)
{
    StoreIni("[Settings]\r\nUseOnlyValidImages=0\r\n");
    frmMain& f = Load();
    struct Case {
        std::string path;
        const char* info;
        const char* end;
        const char* size;
    };
    WriteFile(work / "text.txt", std::string(1024, 't'));
    const Case cases[] = {
        {work / "text.txt", "kein gültiges Image", "0x00000400", "0x00000400 [1024] Bytes"},
        {MakeImage("b22.img", 22), "2x ohne Bootloader", "0x007E0000", "0x007E0000 [8257536] Bytes"},
        {MakeImage("b11.img", 11), "1x mit Bootloader", "0x00800000", "0x00800000 [8388608] Bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        f.txtStart->setText("getippt");
        services.openAnswers.push_back(c.path);
        QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
        EXPECT_EQ(f.lblInfo->text(), QString::fromUtf8(c.info));
        EXPECT_EQ(Entries(), std::vector<std::string>{kExpert});
        EXPECT_TRUE(f.Combo1->isEnabled());
        EXPECT_TRUE(f.cmdStart->isEnabled());
        EXPECT_FALSE(f.frmExperte->isHidden());
        EXPECT_EQ(f.txtStart->text(), "0x00000000");
        EXPECT_EQ(f.txtEnde->text(), c.end);
        EXPECT_EQ(f.lblImageSize->text(), c.size);
    }
}

TEST_F(Selection, CancellingThePickChangesNothing)
{
    frmMain& f = Load();
    const std::string path = MakeImage("b12.img", 12);
    services.openAnswers.push_back(path);
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    Pick(f, "2x extrahieren");
    TempDir elsewhere;
    services.openAnswers.push_back(std::nullopt);
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    EXPECT_EQ(services.opens.size(), 2u);
    EXPECT_EQ(f.txtFile->text().toStdString(), path);
    EXPECT_EQ(f.lblInfo->text(), "2x mit Bootloader");
    EXPECT_EQ(Shown(), "2x extrahieren");
    EXPECT_EQ(Entries().size(), 8u);
    EXPECT_EQ(f.LastDir(), work.Path());
    EXPECT_TRUE(presenter.calls.empty());  // a cancel is no error
}

TEST_F(Selection, CheckBoxTwiceRestoresTheListWithItsFirstEntryShown)
{
    frmMain& f = Load();
    services.openAnswers.push_back(MakeImage("b21.img", 21));
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    const auto before = Entries();
    Pick(f, "root [CramFS] extrahieren");

    QTest::mouseClick(f.Check1, Qt::LeftButton);
    EXPECT_EQ(f.UseOnlyValidImages(), 0);
    EXPECT_EQ(f.Check1->checkState(), Qt::Unchecked);
    EXPECT_EQ(Entries(), std::vector<std::string>{kExpert});
    EXPECT_FALSE(f.frmExperte->isHidden());

    QTest::mouseClick(f.Check1, Qt::LeftButton);
    EXPECT_EQ(f.UseOnlyValidImages(), 1);
    EXPECT_EQ(Entries(), before);
    EXPECT_EQ(Shown(), "2x ohne Bootloader erzeugen");
    EXPECT_TRUE(f.frmExperte->isHidden());
}

TEST_F(Selection, ShowingTheExpertEntryRefillsItsDefaults)
{
    frmMain& f = Load();
    services.openAnswers.push_back(MakeImage("b11.img", 11));
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    Pick(f, kExpert);
    EXPECT_FALSE(f.frmExperte->isHidden());
    EXPECT_EQ(f.lngImageSize(), 0x800000);
    f.txtStart->setText("0x20000");
    f.txtEnde->setText("0x40000");
    Pick(f, "1x extrahieren");
    EXPECT_TRUE(f.frmExperte->isHidden());
    EXPECT_EQ(f.txtStart->text(), "0x20000");  // hidden, not cleared
    Pick(f, kExpert);
    EXPECT_EQ(f.txtStart->text(), "0x00000000");
    EXPECT_EQ(f.txtEnde->text(), "0x00800000");
}

TEST_F(Selection, CramfsChooserFollowsTheListAndKeepsItsVerdict)
{
    frmMain& f = Load();
    services.openAnswers.push_back(MakeImage("b22.img", 22));
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    Pick(f, kInsert);
    ASSERT_TRUE(ChooserShown(f));
    EXPECT_EQ(f.txtCramfs->text(), "kein Image [cramfs] ausgewählt");
    EXPECT_EQ(f.lblCramfsInfo->text(), QString::fromUtf8("Dateigröße: kein Image ausgewählt"));
    EXPECT_EQ(f.Label17->text(), QString::fromUtf8("cramfs auswählen:"));

    struct Case {
        std::size_t size;
        const char* verdict;
    };
    const Case cases[] = {
        {0x600000, "0x00600000 [6291456] Bytes - im Limit!"},
        {0x600001, "0x00600001 [6291457] Bytes - zu groß!"},
        {0, "0x00000000 [0] Bytes - im Limit!"},
    };
    TempDir cramfs;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const std::string path = cramfs / ("root" + std::to_string(c.size));
        WriteFile(path, std::string(c.size, 'c'));
        services.openAnswers.push_back(path);
        QTest::mouseClick(f.cmdFileCramfs, Qt::LeftButton);
        EXPECT_EQ(f.txtCramfs->text().toStdString(), path);
        EXPECT_EQ(f.lblCramfsInfo->text(), QString::fromUtf8(c.verdict));
        EXPECT_EQ(f.LastDir(), cramfs.Path());
        EXPECT_EQ(Shown(), kInsert);  // nothing else changes
    }
    EXPECT_EQ(services.opens.back().initialDir, cramfs.Path());
    EXPECT_EQ(services.opens.back().filter, kFilter);

    // A cancel keeps what was chosen.
    services.openAnswers.push_back(std::nullopt);
    QTest::mouseClick(f.cmdFileCramfs, Qt::LeftButton);
    EXPECT_EQ(f.lblCramfsInfo->text(), "0x00000000 [0] Bytes - im Limit!");
    EXPECT_EQ(f.LastDir(), cramfs.Path());

    // Away and back, also across another image: the chooser shows what was picked.
    Pick(f, kExpert);
    EXPECT_FALSE(ChooserShown(f));
    services.openAnswers.push_back(MakeImage("b21.img", 21));
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    Pick(f, kInsert);
    EXPECT_TRUE(ChooserShown(f));
    EXPECT_EQ(f.txtCramfs->text().toStdString(), cramfs / "root0");
}

TEST_F(Selection, AnImageNamedOrDroppedIsTakenLikeAPick)
{
    frmMain& f = Load();
    TempDir other;
    MakeImage("b11.img", 11);
    std::filesystem::copy_file(work / "b11.img", other / "b11.img");

    // Named relative to the folder the program starts in.
    f.OpenImage("b11.img");
    EXPECT_EQ(f.txtFile->text().toStdString(), work / "b11.img");
    EXPECT_EQ(f.lblInfo->text(), "1x mit Bootloader");
    EXPECT_EQ(Entries().size(), 8u);

    // Dropped from another folder.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(other / "b11.img"))});
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &drop);
    EXPECT_EQ(f.txtFile->text().toStdString(), other / "b11.img");
    EXPECT_EQ(f.LastDir(), other.Path());

    // What the open dialog could not offer is not taken.
    for (const std::string& bad : {other / "fehlt.img", other.Path()}) {
        SCOPED_TRACE(bad);
        f.OpenImage(bad);
        QMimeData m;
        m.setUrls({QUrl::fromLocalFile(QString::fromStdString(bad))});
        QDragEnterEvent e(QPoint(10, 10), Qt::CopyAction, &m, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f, &e);
        EXPECT_FALSE(e.isAccepted());
        EXPECT_EQ(f.txtFile->text().toStdString(), other / "b11.img");
    }
    EXPECT_TRUE(presenter.calls.empty());
}

TEST_F(Selection, AnImageThatVanishedLeavesTheListEmpty)
{
    frmMain& f = Load();
    services.openAnswers.push_back(MakeImage("b11.img", 11));
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    std::filesystem::remove(work / "b11.img");
    QTest::mouseClick(f.Check1, Qt::LeftButton);
    EXPECT_EQ(f.Combo1->count(), 0);
    EXPECT_FALSE(f.cmdStart->isEnabled());
    EXPECT_EQ(f.lblInfo->text(), "1x mit Bootloader");  // kept, as nothing was classified
}

}  // namespace
}  // namespace stellmark::test
