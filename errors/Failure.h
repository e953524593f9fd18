#pragma once
// The one failure type of the program: what a step throws and the handler answers.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace stellmark {

// Run-time error numbers in the classic numbering users of such tools know.
namespace err {
inline constexpr int InvalidCall = 5;
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int TypeMismatch = 13;
inline constexpr int Internal = 51;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DeviceIO = 57;
inline constexpr int FileExists = 58;
inline constexpr int DiskFull = 61;
inline constexpr int InputPastEnd = 62;
inline constexpr int BadRecordNumber = 63;
inline constexpr int TooManyFiles = 67;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int DiskNotReady = 71;
inline constexpr int RenameAcrossDrives = 74;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPropertyValue = 380;
}  // namespace err

// German description for an error number; a generic text for numbers not in the table.
std::string ErrorDescription(int number);

// What was being done to the file a failure is about.
enum class Access { None, Read, Write };

class Failure : public std::runtime_error {
public:
    Failure(int number, std::string description, int line = 0);
    explicit Failure(int number, int line = 0);

    int Number() const { return number_; }
    const std::string& Description() const { return description_; }
    int Line() const { return line_; }
    void SetLine(int line) { line_ = line; }

    // The file, as the user named it, that could not be read or written; empty where the failure
    // concerns no file. The dialog does not show it; a front end that names paths does.
    Failure& About(std::string path, Access access)
    {
        path_ = std::move(path);
        access_ = access;
        return *this;
    }
    const std::string& Path() const { return path_; }
    Access GetAccess() const { return access_; }

private:
    int number_;
    std::string description_;
    int line_;
    std::string path_;
    Access access_ = Access::None;
};

// Maps a system error code to the numbering above. `path` lets a missing entry be told apart
// from a missing folder on the way to it (53 against 76).
int ErrnoToNumber(int errnum, const std::string& path = {});
[[noreturn]] void ThrowErrno(int errnum, const std::string& path = {}, Access access = Access::None);

// Any exception of the standard library as a failure: a system error keeps its errno's number,
// a lack of memory is 7, the rest an internal error.
Failure AsFailure(const std::exception& e, int line = 0);

}  // namespace stellmark
