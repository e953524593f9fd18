#include "window/frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <climits>
#include <filesystem>
#include <optional>

#include "operations/Actions.h"
#include "window/frmMainShared.h"
#include "errors/Proc.h"
#include "platform/Services.h"
#include "core/modMain.h"
#include "files/wsFiles.h"

namespace stellmark {

using namespace window::form;

// ---------------------------------------------------------------------------------------------
// Image selection, list events, expert range

void frmMain::cmdFileOpen_Click()
{
    Proc p("[frmMain] Private Sub cmdFileOpen_Click()", Handler::Silent);
    p.Run([&] {
        const std::optional<std::string> chosen = AskOpenFile(p, LastDir_);
        if (!chosen)
            return;
        TakeImage(*chosen);
    });
}

void frmMain::OpenImage(const std::string& FileName)
{
    Proc p("[frmMain] Sub OpenImage(FileName As String)", {{"FileName", FileName}}, Handler::Silent);
    p.Run([&] {
        // Only what the open dialog could have offered: an existing file.
        if (!wsFiles::FileExist(FileName))
            return;
        std::string path;
        p.Step([&] { path = std::filesystem::absolute(FileName).lexically_normal().string(); });
        TakeImage(path);
    });
}

void frmMain::TakeImage(const std::string& path)
{
    // Sizes and ranges of the window are 32-bit: a larger file is refused before it changes
    // anything; the command-line tool takes it.
    if (const int64_t length = ops::FileLength(path); length > INT32_MAX) {
        platform::Get().MessageBox("Die Datei '" + path + "' ist mit " + std::to_string(length) +
                                       " Bytes zu groß für das Fenster (höchstens 2147483647 Bytes).\r\n"
                                       "stellmark-cli bearbeitet auch größere Dateien.",
                                   kMessageTitle, platform::Icon::Exclamation);
        return;
    }
    txtFile->setText(Q(path));
    MakeSettings();
    LastDir_ = FolderOf(path);
    Picture1->setFocus();
}

void frmMain::MakeSettings()
{
    Proc p("[frmMain] Sub MakeSettings()");
    p.Run([&] {
        Combo1->clear();
        Combo1->setEnabled(false);
        cmdStart->setEnabled(false);
        const std::string path = S(txtFile->text());
        const bool chosen = path != kNoImageChosen && wsFiles::FileExist(path);
        if (!chosen)
            return;
        int32_t imageClass = 0;
        p.Step([&] { imageClass = modMain::ImageTest(path, dataFiles_); });
        p.Step([&] { lblInfo->setText(Q(modMain::ImageTestText(imageClass))); });
        ops::ListState state;
        p.Step([&] { state = ops::ListFor(true, imageClass, UseOnlyValidImages_); });
        if (!state.filled)
            return;
        if (UseOnlyValidImages_ == 1) {
            FillCombo(S(lblInfo->text()));
        } else {
            for (const auto& entry : state.entries)
                Combo1->addItem(Q(entry));
            ShowFirstEntry();
        }
        Combo1->setEnabled(state.enabled);
        cmdStart->setEnabled(state.enabled);
    });
}

void frmMain::ShowFirstEntry()
{
    if (Combo1->count() == 0)
        return;
    Combo1->setCurrentIndex(0);
    Combo1_Click();
}

void frmMain::FillCombo(const std::string& Ausschluss)
{
    Proc p("[frmMain] Sub FillCombo(Optional Ausschluß As String = \"\")", {{"Ausschluß", Ausschluss}});
    p.Run([&] {
        Combo1->clear();
        std::vector<std::string> entries;
        p.Step([&] { entries = ops::ComboEntries(Ausschluss); });
        for (const auto& entry : entries)
            Combo1->addItem(Q(entry));
        ShowFirstEntry();
    });
}

void frmMain::Combo1_Click()
{
    Proc p("[frmMain] Private Sub Combo1_Click()");
    p.Run([&] { AdvancedSettings(); });
}

void frmMain::AdvancedSettings()
{
    Proc p("[frmMain] Sub AdvancedSettings()");
    p.Run([&] {
        const QString shown = Combo1->currentText();
        if (shown == Q(ops::kExpert)) {
            p.Step([&] { lngImageSize_ = modMain::GetImageSize(S(txtFile->text())); });
            p.Step([&] { lblImageSize->setText(Q(ops::SizeText(lngImageSize_))); });
            p.Step([&] { txtStart->setText(Q(modMain::GetHexValue(0))); });
            p.Step([&] { txtEnde->setText(Q(modMain::GetHexValue(lngImageSize_))); });
            frmExperte->setVisible(true);
        } else {
            frmExperte->setVisible(false);
        }
        if (shown == Q(ops::kRootInsert))
            EnableCramfs();
        else
            DisableCramfs();
    });
}

void frmMain::Check1_Click()
{
    Proc p("[frmMain] Private Sub Check1_Click()");
    p.Run([&] {
        if (blnLoading_)
            return;
        UseOnlyValidImages_ = UseOnlyValidImages_ == 0 ? 1 : 0;
        // The box already shows the new state after a click; a greyed box becomes two-state.
        Check1->setTristate(false);
        Check1->setCheckState(UseOnlyValidImages_ == 1 ? Qt::Checked : Qt::Unchecked);
        MakeSettings();
        AdvancedSettings();
    });
}

}  // namespace stellmark
