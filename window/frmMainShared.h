#pragma once
// What the parts of frmMain's implementation share: the title of its messages, the filter of
// its file dialogs and the conversions between the window's strings and the operations'.
#include <QString>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "errors/Proc.h"
#include "platform/Services.h"

namespace stellmark::window::form {

inline constexpr const char* kMessageTitle = "Stellmark - Mitteilung";
inline constexpr const char* kFilter = "Alle Dateien (*.*)|*.*|D-Box Image (*.img)|*.img|";
inline constexpr int kFilterShownFirst = 2;

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string S(const QString& s) { return s.toStdString(); }

inline std::string FolderOf(const std::string& path)
{
    return std::filesystem::path(path).parent_path().string();
}

// The open dialog of both choosers, as a step of the calling procedure: the path chosen, or
// nothing when it was cancelled or failed. A failure names the caller's line.
inline std::optional<std::string> AskOpenFile(Proc& p, const std::string& lastDir,
                                              int line = __builtin_LINE())
{
    std::optional<std::string> chosen;
    p.Step(
        [&] {
            chosen = platform::Get().OpenFile({"Öffnen", lastDir, "", kFilter, kFilterShownFirst});
        },
        line);
    return chosen;
}

}  // namespace stellmark::window::form
