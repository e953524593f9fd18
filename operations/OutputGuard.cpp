#include "operations/OutputGuard.h"

#include <filesystem>
#include <sys/stat.h>

namespace stellmark::ops {

bool SameFile(const std::string& a, const std::string& b)
{
    if (a == b)
        return true;
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ea, eb;
    auto na = std::filesystem::weakly_canonical(std::filesystem::absolute(a, ea), ea);
    auto nb = std::filesystem::weakly_canonical(std::filesystem::absolute(b, eb), eb);
    return !ea && !eb && na == nb;
}

namespace {
Message OutputMessage(const std::string& output, const std::string& reason)
{
    return {"In '" + output + "' kann nicht gespeichert werden: " + reason +
                ".\r\nBitte anderen Dateinamen angeben!",
            Icon::Exclamation, "Stellmark - Fehler"};
}

// What stands at a path that is no regular file, as "das ist …" and "der Link zeigt auf …" say it.
struct Kind {
    const char* nominative;
    const char* accusative;
};
Kind KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return {"ein Ordner", "einen Ordner"};
    if (S_ISFIFO(mode))
        return {"eine benannte Pipe (FIFO)", "eine benannte Pipe (FIFO)"};
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return {"ein Gerät", "ein Gerät"};
    if (S_ISSOCK(mode))
        return {"ein Socket", "einen Socket"};
    return {"keine gewöhnliche Datei", "keine gewöhnliche Datei"};
}
}  // namespace

std::optional<std::string> NotAFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return std::nullopt;
    if (S_ISDIR(st.st_mode))
        return "'" + path + "' ist ein Ordner";
    return "'" + path + "' ist keine normale Datei (" + KindOf(st.st_mode).nominative + ")";
}

std::optional<Message> OutputRefusal(const std::string& output, const DataFiles& dataFiles)
{
    // The data files are looked for in the folder searched at start-up, whether found or not:
    // one of them may exist while another is missing.
    if (!dataFiles.folder.empty()) {
        for (const char* name : modMain::kDataFileNames) {
            if (SameFile(dataFiles.folder + name, output))
                return OutputMessage(output, "das ist eine Datendatei des Programms");
        }
    }
    struct stat st {};
    if (::lstat(output.c_str(), &st) != 0)
        return std::nullopt;  // a new name; a missing folder shows as the copy's failure
    bool link = S_ISLNK(st.st_mode);
    if (link && ::stat(output.c_str(), &st) != 0)
        return OutputMessage(output, "der symbolische Link zeigt auf keine Datei");
    if (S_ISREG(st.st_mode))
        return std::nullopt;
    Kind kind = KindOf(st.st_mode);
    return OutputMessage(output, link ? std::string("der symbolische Link zeigt auf ") + kind.accusative
                                      : std::string("das ist ") + kind.nominative);
}

}  // namespace stellmark::ops
