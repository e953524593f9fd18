#include "errors/Failure.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>
#include <sys/stat.h>

namespace stellmark {

std::string ErrorDescription(int number)
{
    switch (number) {
    case err::InvalidCall: return "Unzulässiger Prozeduraufruf oder ungültiges Argument";
    case err::Overflow: return "Überlauf";
    case err::OutOfMemory: return "Nicht genügend Speicher";
    case err::TypeMismatch: return "Typen unverträglich";
    case err::Internal: return "Interner Fehler";
    case err::BadFileName: return "Dateiname oder -nummer falsch";
    case err::FileNotFound: return "Datei nicht gefunden";
    case err::DeviceIO: return "Fehler beim Ein-/Ausgabezugriff auf das Gerät";
    case err::FileExists: return "Datei existiert bereits";
    case err::DiskFull: return "Datenträger voll";
    case err::InputPastEnd: return "Einlesen hinter Dateiende";
    case err::BadRecordNumber: return "Falsche Datensatznummer";
    case err::TooManyFiles: return "Zu viele Dateien";
    case err::DeviceUnavailable: return "Gerät nicht verfügbar";
    case err::PermissionDenied: return "Zugriff verweigert";
    case err::DiskNotReady: return "Datenträger nicht bereit";
    case err::RenameAcrossDrives: return "Umbenennen auf anderes Laufwerk nicht möglich";
    case err::PathFileAccess: return "Fehler beim Zugriff auf Pfad/Datei";
    case err::PathNotFound: return "Pfad nicht gefunden";
    case err::InvalidPropertyValue: return "Unzulässiger Eigenschaftswert";
    default: return "Anwendungs- oder objektdefinierter Fehler";
    }
}

Failure::Failure(int number, std::string description, int line)
    : std::runtime_error(description), number_(number), description_(std::move(description)), line_(line)
{
}

Failure::Failure(int number, int line) : Failure(number, ErrorDescription(number), line) {}

static bool ParentMissing(const std::string& path)
{
    auto cut = path.find_last_of('/');
    if (cut == std::string::npos || cut == 0)
        return false;
    struct stat st {};
    return ::stat(path.substr(0, cut).c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
}

int ErrnoToNumber(int errnum, const std::string& path)
{
    switch (errnum) {
    case ENOENT: return ParentMissing(path) ? err::PathNotFound : err::FileNotFound;
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case ETXTBSY: return err::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return err::DiskFull;
    case EMFILE:
    case ENFILE: return err::TooManyFiles;
    case ENAMETOOLONG:
    case EINVAL: return err::BadFileName;
    case EIO: return err::DeviceIO;
    case EEXIST: return err::FileExists;
    case ENOMEM: return err::OutOfMemory;
    case EXDEV: return err::RenameAcrossDrives;
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM: return err::DeviceUnavailable;
    case EOVERFLOW: return err::Overflow;
    case EBADF: return err::BadFileName;
    default: return err::PathFileAccess;  // EROFS, EISDIR, ELOOP and the rest
    }
}

void ThrowErrno(int errnum, const std::string& path, Access access)
{
    Failure failure(ErrnoToNumber(errnum, path));
    // Past the file-size limit (ulimit -f) or the file system's largest file: the disk is not full.
    if (errnum == EFBIG)
        failure = Failure(failure.Number(), "Datei zu groß");
    if (access != Access::None)
        failure.About(path, access);
    throw failure;
}

Failure AsFailure(const std::exception& e, int line)
{
    if (const auto* failure = dynamic_cast<const Failure*>(&e)) {
        Failure copy = *failure;
        if (copy.Line() == 0)
            copy.SetLine(line);
        return copy;
    }
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return Failure(err::OutOfMemory, line);
    if (const auto* fs = dynamic_cast<const std::filesystem::filesystem_error*>(&e)) {
        if (fs->code().category() == std::generic_category() ||
            fs->code().category() == std::system_category())
            return Failure(ErrnoToNumber(fs->code().value(), fs->path1().string()), line);
    }
    if (const auto* sys = dynamic_cast<const std::system_error*>(&e)) {
        if (sys->code().category() == std::generic_category() ||
            sys->code().category() == std::system_category())
            return Failure(ErrnoToNumber(sys->code().value()), line);
    }
    return Failure(err::Internal, line);
}

}  // namespace stellmark
