// The Qt services as the user meets them: Qt's own file dialogs in German with the program's
// filter list, message boxes with their titles and icons.
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include "ModalGuard.h"
#include "QtServices.h"
#include "TestSupport.h"
#include "Translations.h"

namespace stellmark::platform {
namespace {

using test::TempDir;
using test::WhenModal;
using test::WriteFile;

class QtServicesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { LoadGermanTranslations(*QCoreApplication::instance()); }
    QtServices services;
    test::ModalGuard guard;
    TempDir dir;
};

TEST(QtNameFilters, KeepDescriptionsAndMatchEveryFileForStarDotStar)
{
    const QStringList filters = QtNameFilters("Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_EQ(filters[0], "Alle Dateien (*.*) (*)");
    EXPECT_EQ(filters[1], "D-Box Image (*.img) (*.img)");
    // Several patterns of one entry, and a list without the closing bar.
    EXPECT_EQ(QtNameFilters("Bilder|*.png;*.jpg"), QStringList{"Bilder (*.png *.jpg)"});
    EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(DisplayText, ShowsCrLfAsOneLineBreak)
{
    EXPECT_EQ(DisplayText("a\r\nb\r\n\r\nc"), "a\nb\n\nc");
    EXPECT_EQ(DisplayText("Größe"), QString::fromUtf8("Größe"));
}

TEST_F(QtServicesTest, OpenDialogIsQtsOwnInGermanWithTheImageFilterShownFirst)
{
    WriteFile(dir / "flash.img", "x");
    WriteFile(dir / "ohnepunkt", "x");
    QString title, shownFilter, directory, cancelText;
    bool nonNative = false, existingOnly = false;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        nonNative = dialog->testOption(QFileDialog::DontUseNativeDialog);
        existingOnly = dialog->fileMode() == QFileDialog::ExistingFile;
        directory = dialog->directory().absolutePath();
        if (auto* combo = dialog->findChild<QComboBox*>("fileTypeCombo"))
            shownFilter = combo->currentText();
        if (auto* box = dialog->findChild<QDialogButtonBox*>())
            if (auto* cancel = box->button(QDialogButtonBox::Cancel))
                cancelText = cancel->text();
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("flash.img");
        static_cast<QDialog*>(dialog)->accept();
    });
    auto chosen = services.OpenFile({"Öffnen", dir.Path(), "", "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|", 2});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, dir / "flash.img");
    EXPECT_EQ(title, QString::fromUtf8("Öffnen"));
    EXPECT_TRUE(nonNative);
    EXPECT_TRUE(existingOnly);
    EXPECT_EQ(directory, QString::fromStdString(dir.Path()));
    EXPECT_EQ(shownFilter, "D-Box Image (*.img)");
    EXPECT_EQ(cancelText, "Abbrechen");
}

TEST_F(QtServicesTest, OpenDialogCancelledGivesNothing)
{
    WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(services.OpenFile({"Öffnen", dir.Path(), "", "Alle Dateien (*.*)|*.*|", 1}));
}

TEST_F(QtServicesTest, SaveDialogProposesTheNameAndAddsNoExtension)
{
    QString proposed;
    WhenModal([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
        proposed = edit->text();
        edit->setText("ziel");
        static_cast<QDialog*>(dialog)->accept();
    });
    auto chosen = services.SaveFile({"Speichern unter", dir.Path(), "quelle_[1x]",
                                     "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|", 2});
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, dir / "ziel");
    EXPECT_EQ(proposed, "quelle_[1x]");
}

TEST_F(QtServicesTest, SaveDialogAsksBeforeAnExistingFileIsChosen)
{
    WriteFile(dir / "alt.img", "alt");
    for (bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        QString question;
        WhenModal([&](QWidget* modal) {
            auto* dialog = static_cast<QFileDialog*>(modal);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("alt.img");
            WhenModal([&](QWidget* box) {
                auto* mb = qobject_cast<QMessageBox*>(box);
                ASSERT_NE(mb, nullptr);
                question = mb->text();
                mb->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            static_cast<QDialog*>(dialog)->accept();
            if (!replace)
                dialog->reject();
        });
        auto chosen = services.SaveFile({"Speichern unter", dir.Path(), "", "Alle Dateien (*.*)|*.*|", 1});
        EXPECT_TRUE(question.contains("alt.img"));
        EXPECT_FALSE(question.contains("already exists"));  // asked in German
        EXPECT_EQ(chosen.has_value(), replace);
        if (chosen) {
            EXPECT_EQ(*chosen, dir / "alt.img");
        }
    }
}

TEST_F(QtServicesTest, SaveDialogRefusesAFolderThatDoesNotExist)
{
    QString warning;
    WhenModal([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(
            QString::fromStdString(dir / "fehlt/ziel"));
        WhenModal([&](QWidget* box) {
            warning = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        static_cast<QDialog*>(dialog)->accept();
        dialog->reject();
    });
    EXPECT_FALSE(services.SaveFile({"Speichern unter", dir.Path(), "", "Alle Dateien (*.*)|*.*|", 1}));
    EXPECT_TRUE(warning.contains("existiert nicht"));
}

TEST_F(QtServicesTest, MessageBoxShowsTextTitleAndIcon)
{
    struct Case {
        Icon icon;
        std::string title;
        QMessageBox::Icon shown;
        QString shownTitle;
    };
    const Case cases[] = {
        {Icon::None, "", QMessageBox::NoIcon, "Stellmark"},
        {Icon::Information, "Stellmark - Information", QMessageBox::Information, "Stellmark - Information"},
        {Icon::Exclamation, "Stellmark - Fehler", QMessageBox::Warning, "Stellmark - Fehler"},
        {Icon::Critical, "Stellmark - Info", QMessageBox::Critical, "Stellmark - Info"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        QMessageBox::Icon icon = QMessageBox::Question;
        QString title, text;
        int buttons = 0;
        WhenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            title = box->windowTitle();
            text = box->text();
            buttons = static_cast<int>(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(services.MessageBox("Zeile 1\r\nZeile 2", c.title, c.icon), Answer::Ok);
        EXPECT_EQ(icon, c.shown);
        EXPECT_EQ(title, c.shownTitle);
        EXPECT_EQ(text, "Zeile 1\nZeile 2");
        EXPECT_EQ(buttons, 1);
    }
}

TEST(Translations, QtSpeaksGerman)
{
    ASSERT_TRUE(LoadGermanTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
}

TEST(ServicesRegistry, FallsBackToServicesThatAskNobody)
{
    Services* previous = Set(nullptr);
    Services& none = Get();
    EXPECT_FALSE(none.OpenFile({}));
    EXPECT_FALSE(none.SaveFile({}));
    EXPECT_FALSE(none.ShellOpen("/nirgends"));
    EXPECT_EQ(none.MessageBox("x", "", Icon::None, Buttons::YesNo), Answer::No);
    QtServices qt;
    EXPECT_EQ(Set(&qt), nullptr);
    EXPECT_EQ(&Get(), &qt);
    Set(previous);
}

}  // namespace
}  // namespace stellmark::platform
