#pragma once
// The platform services on Qt: its own (not the desktop's) file dialogs and message boxes, the
// desktop's opener for documents and addresses, the clipboard and the beep.
#include <QString>
#include <QStringList>

#include "platform/Services.h"

namespace stellmark::platform {

// "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|" as Qt name filters. Each keeps its own
// description on screen; "*.*" matches every file, also one without a dot, as users expect.
QStringList QtNameFilters(const std::string& filter);

// A message text with CR LF line breaks as a widget shows it.
QString DisplayText(const std::string& text);

class QtServices final : public Services {
public:
    Answer MessageBox(const std::string& text, const std::string& title, Icon icon,
                      Buttons buttons = Buttons::Ok) override;
    std::optional<std::string> OpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> SaveFile(const FileDialogRequest& request) override;
    bool ShellOpen(const std::string& target, const std::string& workingDir) override;
    void SetClipboardText(const std::string& text) override;
    void Beep() override;
};

}  // namespace stellmark::platform
