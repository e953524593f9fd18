#pragma once
// Binary file access for the image core: one open file per object, closed by its owner.
// Every failure is thrown as a Failure in the program's numbering.
#include <cstddef>
#include <cstdint>
#include <string>

#include "errors/Failure.h"

namespace stellmark {

class BinaryFile {
public:
    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(BinaryFile&& other) noexcept;
    BinaryFile& operator=(BinaryFile&& other) noexcept;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Opens an existing regular file for reading only.
    void OpenRead(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

    int64_t Length() const;
    // Reads up to n bytes at offset; fewer only at the end of the file.
    std::size_t ReadAt(int64_t offset, void* buffer, std::size_t n) const;
    // Writes all n bytes at offset.
    void WriteAt(int64_t offset, const void* buffer, std::size_t n);
    void Sync();
    // Closes the file, reporting a failed close (a write-back error shows only here).
    void Close();

protected:
    // `path` names the file in failures, as the user knows it.
    void Adopt(int fd, const std::string& path, Access access);
    int Descriptor() const { return fd_; }

private:
    void CloseQuietly() noexcept;

    int fd_ = -1;
    std::string path_;
    Access access_ = Access::Read;
};

// How a finished output takes its name.
enum class Overwrite {
    Replace,  // an existing file is replaced in one step
    Refuse,   // the name must still be free at that moment
};

// A new file written under a temporary name in the folder of its destination and put in the
// destination's place only by Commit: a half-written file never stands under the chosen name,
// and an old file stays whole until the new one is complete. A symbolic link to a regular file
// is written through: its target gets the bytes, the link stays. Dropped without Commit, the
// temporary file removes itself.
class TempOutput : public BinaryFile {
public:
    // Temporary files are this prefix and six random characters: recognisable, and short enough
    // beside a name of any allowed length.
    static constexpr const char* kPrefix = ".stellmark-";

    TempOutput() = default;
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    // Refuses (as a failure) a destination that is not a regular file, a link to nothing or a
    // file this process may not write.
    void Create(const std::string& destination);
    // Flushes to the medium, closes and gives the file its name; a replaced file passes on its
    // permission bits, and its owner and group where the process may set them. False, with
    // nothing changed, when Overwrite::Refuse finds the name taken.
    bool Commit(Overwrite overwrite = Overwrite::Replace);
    void Discard() noexcept;
    const std::string& TempPath() const { return temp_; }
    // The file that gets the bytes: the destination, or the target of a link standing there.
    const std::string& Target() const { return target_; }

private:
    void TakeOverMetadata();

    std::string destination_;
    std::string target_;
    std::string temp_;
};

}  // namespace stellmark
