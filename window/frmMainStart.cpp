#include "window/frmMain.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>
#include <sys/stat.h>

#include "operations/Actions.h"
#include "window/Busy.h"
#include "window/frmMainShared.h"
#include "errors/Proc.h"
#include "platform/Services.h"
#include "core/modMain.h"

namespace stellmark {

using namespace window::form;

namespace {
platform::Icon ToPlatform(ops::Icon icon)
{
    switch (icon) {
    case ops::Icon::Information: return platform::Icon::Information;
    case ops::Icon::Exclamation: return platform::Icon::Exclamation;
    case ops::Icon::Critical: return platform::Icon::Critical;
    case ops::Icon::None: break;
    }
    return platform::Icon::None;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Start, output naming, CramFS chooser

void frmMain::cmdStart_Click()
{
    Proc p("[frmMain] Private Sub cmdStart_Click()");
    p.Run([&] {
        ops::Request request;
        request.source = S(txtFile->text());
        request.actionText = S(Combo1->currentText());
        request.expert = {S(txtStart->text()), S(txtEnde->text()), lngImageSize_};
        request.dataFiles = dataFiles_;
        ops::Outcome outcome;
        std::string output;
        std::optional<window::Busy> busy;
        p.Step([&] {
            outcome = ops::Start(p, request, [&](const std::string& initialName) {
                output = FileSaveDialog(initialName, 1);
                if (!output.empty())
                    busy.emplace(this);
                // The dialog asked before an existing file is replaced; a name that was free
                // then is not taken from someone who claims it in the meantime.
                struct stat st {};
                bool existed = !output.empty() && ::lstat(output.c_str(), &st) == 0;
                return ops::Choice{output, existed ? Overwrite::Replace : Overwrite::Refuse};
            });
        });
        busy.reset();
        // As after a pick: Return must not start the same again.
        if (!output.empty())
            Picture1->setFocus();
        if (outcome.kind == ops::Outcome::Exists)
            outcome.message = {"Die Datei '" + output +
                                   "' ist inzwischen von anderer Seite angelegt worden und wurde "
                                   "nicht überschrieben.",
                               ops::Icon::Exclamation, "Stellmark - Fehler"};
        else if (outcome.kind == ops::Outcome::Written && !outcome.notes.empty()) {
            // Written, but the replaced file lost something or had more names: said once.
            std::string text;
            for (const auto& note : outcome.notes)
                text += (text.empty() ? "" : "\r\n") + note;
            outcome.message = {text, ops::Icon::Information, "Stellmark - Information"};
        } else if (outcome.kind != ops::Outcome::Refused && outcome.kind != ops::Outcome::NotWritten)
            return;  // nothing follows a successful copy or a cancelled dialog
        p.Step([&] {
            platform::Get().MessageBox(outcome.message.text, outcome.message.title,
                                       ToPlatform(outcome.message.icon));
        });
    });
}

std::string frmMain::FileSaveDialog(const std::string& FileName, int16_t Filter)
{
    Proc p("[frmMain] Function FileSaveDialog(Optional FileName As String = \"\", Optional "
           "Filter As Integer = 1) As String",
           {{"FileName", FileName}, {"Filter", Filter}}, Handler::Silent);
    std::string result;
    return p.Run(result, [&] {
        std::optional<std::string> chosen;
        p.Step([&] {
            chosen =
                platform::Get().SaveFile({"Speichern unter", LastDir_, FileName, kFilter, kFilterShownFirst});
        });
        if (!chosen)
            return;
        result = *chosen;
        LastDir_ = FolderOf(result);
    });
}

void frmMain::cmdFileCramfs_Click()
{
    Proc p("[frmMain] Private Sub cmdFileCramfs_Click()", Handler::Silent);
    p.Run([&] {
        const std::optional<std::string> chosen = AskOpenFile(p, LastDir_);
        if (!chosen)
            return;
        txtCramfs->setText(Q(*chosen));
        int32_t size = 0;
        p.Step([&] { size = modMain::GetImageSize(*chosen); });
        // A file beyond 32 bits fails in GetImageSize; whatever the user answered there, its
        // verdict comes from its real length.
        int64_t length = ops::FileLength(*chosen);
        lblCramfsInfo->setText(Q(ops::CramfsVerdict(length >= 0 ? length : size)));
        LastDir_ = FolderOf(*chosen);
        Picture1->setFocus();
    });
}

void frmMain::EnableCramfs() { ShowCramfsChooser("[frmMain] Sub EnableCramfs()", true); }

void frmMain::DisableCramfs() { ShowCramfsChooser("[frmMain] Sub DisableCramfs()", false); }

void frmMain::ShowCramfsChooser(const char* signature, bool shown)
{
    Proc p(signature);
    p.Run([&] {
        for (QWidget* w :
             std::initializer_list<QWidget*>{cmdFileCramfs, txtCramfs, Label16, lblCramfsInfo, Label17})
            w->setVisible(shown);
    });
}

}  // namespace stellmark
