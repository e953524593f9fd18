#include "window/errordialog/ProtocolButtons.h"

#include <QSaveFile>
#include <sys/stat.h>

#include "errors/Program.h"
#include "errors/Protocol.h"
#include "platform/Services.h"
#include "errors/frmPanne.h"

namespace stellmark {

namespace {
// Written beside the old file and renamed over it: a half protocol never stands there.
bool ReplaceFile(const std::string& path, const std::string& bytes)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
        return false;  // the temporary file goes with `file`
    return file.commit();
}
}  // namespace

void SaveProtocol(const frmPanne& panne, platform::Services& services) noexcept
{
    using platform::Answer;
    using platform::Buttons;
    using platform::Icon;
    try {
        const std::string text = BuildProtocol(panne) + "\r\n";
        const std::string path = ProtocolPath(".ERR");
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 &&
            services.MessageBox("Vorhandene Datei '" + path + "' überschreiben ?", "", Icon::None,
                                Buttons::YesNo) != Answer::Yes)
            return;
        if (ReplaceFile(path, text))
            services.MessageBox("Das Fehlerprotokoll wurde in die Datei '" + path + "' geschrieben !", "",
                                Icon::None);
        else
            services.MessageBox("Das Fehlerprotokoll konnte nicht in die Datei '" + path +
                                    "' geschrieben werden !",
                                "", Icon::Exclamation);
    } catch (...) {
        // The dialog stays usable; nothing of the failure being shown depends on this file.
    }
}

void SendProtocol(const frmPanne& panne, platform::Services& services) noexcept
{
    try {
        services.SetClipboardText(BuildProtocol(panne));
        // Without a browser there is nothing to do; the text is on the clipboard anyway.
        (void)services.ShellOpen(program::kHomePage, "");  // in no particular folder
    } catch (...) {
    }
}

void cmdProtocol_Click(const frmPanne& panne, int16_t index, platform::Services& services) noexcept
{
    switch (index) {
    case 1: SaveProtocol(panne, services); break;
    case 3: SendProtocol(panne, services); break;
    default: break;
    }
}

}  // namespace stellmark
