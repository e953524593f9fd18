#pragma once
// The platform services the windows need, behind one interface that tests replace: message
// boxes, file dialogs, the shell's "Open", clipboard, beep. The Qt implementation lives beside.
#include <optional>
#include <string>

namespace stellmark::platform {

enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct FileDialogRequest {
    std::string title;
    std::string initialDir;
    std::string initialName;
    // Pairs of description and pattern, every item followed by "|".
    std::string filter = "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|";
    int filterIndex = 2;  // 1-based, the filter shown first
};

class Services {
public:
    virtual ~Services() = default;
    // title empty: the program's own title.
    virtual Answer MessageBox(const std::string& text, const std::string& title, Icon icon,
                              Buttons buttons = Buttons::Ok) = 0;
    // Existing files only. Nothing when the user cancels.
    virtual std::optional<std::string> OpenFile(const FileDialogRequest& request) = 0;
    // Asks before an existing file is chosen; adds no extension. Nothing when cancelled.
    virtual std::optional<std::string> SaveFile(const FileDialogRequest& request) = 0;
    // Opens a document or address with the desktop's default program, started in the folder
    // `workingDir` (empty: the program's current folder); false when it could not.
    virtual bool ShellOpen(const std::string& target, const std::string& workingDir) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    virtual void Beep() = 0;
};

// The services in use; Set returns the previous ones.
Services& Get();
Services* Set(Services* services);

}  // namespace stellmark::platform
