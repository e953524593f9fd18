// Start: from the chosen image and entry to the written file, and every refusal on the way.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "WindowFixture.h"

namespace stellmark::test {
namespace {

using Start = WindowTest;

void Pick(frmMain& f, const std::string& entry)
{
    const int i = f.Combo1->findText(QString::fromStdString(entry));
    ASSERT_GE(i, 0) << entry;
    f.Combo1->setCurrentIndex(i);
    emit f.Combo1->activated(i);
}

TEST_F(Start, OneActionFromOpenToTheWrittenFile)
{
    frmMain& f = Load();
    const std::string source = MakeImage("quelle.img", 11);
    services.openAnswers.push_back(source);
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    ASSERT_EQ(Shown(), "1x ohne Bootloader erzeugen");

    TempDir out;
    services.saveAnswers.push_back(out / "ziel");
    QTest::mouseClick(f.cmdStart, Qt::LeftButton);

    ASSERT_EQ(services.saves.size(), 1u);
    EXPECT_EQ(services.saves[0].initialName, "quelle_[1x]");
    EXPECT_EQ(services.saves[0].initialDir, work.Path());
    EXPECT_EQ(services.saves[0].filterIndex, 2);
    EXPECT_EQ(ReadFile(out / "ziel"), data.f2zu1 + Pattern(0x7C0000, 7));
    EXPECT_EQ(out.Entries(), std::vector<std::string>{"ziel"});  // no extension, no leftovers
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_TRUE(presenter.calls.empty());
    // The window keeps its state; the next dialog opens where this one ended.
    EXPECT_EQ(f.txtFile->text().toStdString(), source);
    EXPECT_EQ(Shown(), "1x ohne Bootloader erzeugen");
    EXPECT_EQ(f.LastDir(), out.Path());
}

TEST_F(Start, WrittenBytesPerAction)
{
    const std::string body = Pattern(0x7C0000, 7);
    struct Case {
        int imageClass;
        std::string action;
        std::string start, end;  // expert inputs, typed after the entry is shown
        std::string proposed;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {11, "2x mit Bootloader erzeugen", "", "", "b11_[2x]", data.boot + data.f1zu2 + body},
        {22, "1x mit Bootloader erzeugen", "", "", "b22_[1x]", data.boot + data.f2zu1 + body},
        {12, "1x ohne Bootloader erzeugen", "", "", "b12_[1x]", data.f2zu1 + body},
        {11, "BR Bootloader extrahieren", "", "", "br_boot", data.boot},
        {11, "1x extrahieren", "", "", "1xFile", data.f2zu1},
        {22, "2x extrahieren", "", "", "2xFile", data.f1zu2},
        {11, "root [CramFS] extrahieren", "", "", "cramfs", body.substr(0, 0x600000)},
        {21, "root [CramFS] extrahieren", "", "", "cramfs", body.substr(0, 0x600000)},
        {11, "Experte - auszulesenden Bereich angeben", "0x20000", "0x40000", "expert", data.f2zu1},
        {22, "Experte - auszulesenden Bereich angeben", "131072", "0x20010", "expert", body.substr(0, 16)},
        // The one byte at the very start is that byte, not the whole image.
        {21, "Experte - auszulesenden Bereich angeben", "0", "1", "expert", data.f2zu1.substr(0, 1)},
    };
    frmMain& f = Load();
    TempDir out;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.action + " / " + std::to_string(c.imageClass));
        services.openAnswers.push_back(MakeImage("b" + std::to_string(c.imageClass) + ".img", c.imageClass));
        QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
        Pick(f, c.action);
        if (!c.start.empty()) {
            f.txtStart->setText(QString::fromStdString(c.start));
            f.txtEnde->setText(QString::fromStdString(c.end));
        }
        // An older, longer file at the output is replaced, not written over.
        WriteFile(out / "ziel", std::string(0x900000, 'x'));
        services.saveAnswers.push_back(out / "ziel");
        services.saves.clear();
        QTest::mouseClick(f.cmdStart, Qt::LeftButton);
        ASSERT_EQ(services.saves.size(), 1u);
        EXPECT_EQ(services.saves[0].initialName, c.proposed);
        const std::string written = ReadFile(out / "ziel");
        EXPECT_EQ(written.size(), c.bytes.size());
        EXPECT_TRUE(written == c.bytes);
        EXPECT_TRUE(services.boxes.empty());
    }
    EXPECT_TRUE(presenter.calls.empty());
}

TEST_F(Start, RefusalsWriteNothing)
{
    struct Case {
        int imageClass;
        std::string action;
        std::string start, end;
        std::string text, title;
        platform::Icon icon;
        int replacedBy = 0;  // the image's class on disk when Start is pressed
    };
    const std::vector<Case> cases = {
        // The list offers it for images with boot loader only; Start classifies anew, so an
        // image replaced on disk meanwhile meets the refusal.
        {11, "BR Bootloader extrahieren", "", "", "Dieses Image besitzt keinen Bootloader!",
         "Stellmark - Information", platform::Icon::Information, 21},
        {12, "BR Bootloader extrahieren", "", "", "Dieses Image besitzt keinen Bootloader!",
         "Stellmark - Information", platform::Icon::Information, 22},
        {11, "root [CramFS] einfügen", "", "", "Funktion noch nicht vorhanden", "",
         platform::Icon::None},
    };
    const std::string badRange = "Die angegebene Größe kann nicht verarbeitet werden.\r\nBitte die Angaben prüfen";
    std::vector<Case> all = cases;
    for (auto [s, e] : std::vector<std::pair<std::string, std::string>>{
             {"0x40000", "0x20000"}, {"0x20000", "0x20000"}, {"0", "0x00800001"}, {"-1", "16"},
             {"&h10", "0x20"}, {"", "0x20"}, {"0", "zwölf"}, {"0X10", "0x20"}})
        all.push_back({11, "Experte - auszulesenden Bereich angeben", s, e, badRange,
                       "Stellmark - Fehler", platform::Icon::Exclamation});
    frmMain& f = Load();
    TempDir out;
    for (const auto& c : all) {
        SCOPED_TRACE(c.action + " " + c.start + ".." + c.end);
        services.openAnswers.push_back(MakeImage("b" + std::to_string(c.imageClass) + ".img", c.imageClass));
        QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
        Pick(f, c.action);
        if (!c.end.empty()) {
            f.txtStart->setText(QString::fromStdString(c.start));
            f.txtEnde->setText(QString::fromStdString(c.end));
        }
        if (c.replacedBy)
            MakeImage("b" + std::to_string(c.imageClass) + ".img", c.replacedBy);
        services.boxes.clear();
        services.saves.clear();
        services.saveAnswers.push_back(out / "ziel");
        QTest::mouseClick(f.cmdStart, Qt::LeftButton);
        services.saveAnswers.clear();
        EXPECT_TRUE(services.saves.empty());
        ASSERT_EQ(services.boxes.size(), 1u);
        EXPECT_EQ(services.boxes[0].text, c.text);
        EXPECT_EQ(services.boxes[0].title, c.title);
        EXPECT_EQ(services.boxes[0].icon, c.icon);
        EXPECT_TRUE(out.Entries().empty());
    }
    EXPECT_TRUE(presenter.calls.empty());
}

TEST_F(Start, TheImageIsNeverWrittenOntoItself)
{
    frmMain& f = Load();
    const std::string source = MakeImage("quelle.img", 22);
    const std::string before = ReadFile(source);
    services.openAnswers.push_back(source);
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    // The same text, and the same file under another spelling.
    for (const std::string& output : {source, work.Path() + "/./quelle.img"}) {
        SCOPED_TRACE(output);
        services.boxes.clear();
        services.saveAnswers.push_back(output);
        QTest::mouseClick(f.cmdStart, Qt::LeftButton);
        ASSERT_EQ(services.boxes.size(), 1u);
        EXPECT_EQ(services.boxes[0].text, "Das Image kann nicht in sich selbst gespeichert "
                                          "werden!\r\nBitte anderen Dateinamen angeben!\r\n");
        EXPECT_EQ(services.boxes[0].title, "Stellmark - Info");
        EXPECT_EQ(services.boxes[0].icon, platform::Icon::Critical);
        EXPECT_TRUE(ReadFile(source) == before);
    }
}

TEST_F(Start, CancellingTheSaveDialogWritesAndShowsNothing)
{
    frmMain& f = Load();
    services.openAnswers.push_back(MakeImage("quelle.img", 12));
    QTest::mouseClick(f.cmdFileOpen, Qt::LeftButton);
    services.saveAnswers.push_back(std::nullopt);
    QTest::mouseClick(f.cmdStart, Qt::LeftButton);
    EXPECT_EQ(services.saves.size(), 1u);
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_TRUE(presenter.calls.empty());
    EXPECT_EQ(f.LastDir(), work.Path());
    EXPECT_EQ(work.Entries(), std::vector<std::string>{"quelle.img"});
    // The dialog's procedure reports its arguments in declaration order.
    const auto& trace = frmPanne::Instance().lstCallStack();
    auto at = std::find_if(trace.begin(), trace.end(), [](const std::string& l) {
        return l.find("Function FileSaveDialog(") != std::string::npos;
    });
    ASSERT_NE(at, trace.end());
    EXPECT_EQ(*(at + 1), "\tFileName:\tquelle_[1x]");
    EXPECT_EQ(*(at + 2), "\tFilter:\t1");
}

}  // namespace
}  // namespace stellmark::test
