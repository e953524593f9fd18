#pragma once
// Binary file access for the image core: one open file per object, closed by its owner.
// Every failure is thrown as a Failure in the program's numbering.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    // Drops the file's pages from the cache (after Sync): the next read comes from the medium.
    void DropCache() noexcept;
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

// A new file written beside its destination and put in the destination's place only by Commit:
// a half-written file never stands under the chosen name, and an old file stays whole until the
// new one is complete. Where the file system makes unnamed files (O_TMPFILE) the new file has no
// name at all until Commit, so not even SIGKILL leaves anything behind; elsewhere it is written
// under a temporary name that is registered for removal on every signal. A symbolic link to a
// regular file is written through: its target gets the bytes, the link stays. Dropped without
// Commit, the temporary file removes itself.
class TempOutput : public BinaryFile {
public:
    // Temporary names are this prefix and six random characters: recognisable, and short enough
    // beside a name of any allowed length.
    static constexpr const char* kPrefix = ".stellmark-";

    TempOutput() = default;
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    // Refuses (as a failure) a destination that is not a regular file, a link to nothing or a
    // file this process may not write; a folder that refuses new files is named as the cause.
    void Create(const std::string& destination);
    // For Overwrite::Replace, takes over what the replaced file carries (permission bits, owner
    // and group where the process may set them, extended attributes and ACL as far as the file
    // system copies them; never wider access); then flushes to the medium. Commit does this
    // itself when it was not done; calling it first lets the flushed bytes be checked.
    void Seal(Overwrite overwrite);
    // Seals, closes and gives the file its name. False, with nothing changed, when
    // Overwrite::Refuse finds the name taken. Safe to call again after a failure; after false
    // only with Overwrite::Refuse again or not at all (Discard): the seal for a new name took
    // over nothing of a file it would now replace.
    bool Commit(Overwrite overwrite = Overwrite::Replace);
    void Discard() noexcept;
    // The temporary name; empty while the file has none (unnamed, or not created).
    const std::string& TempPath() const { return temp_; }
    bool Unnamed() const { return unnamed_; }
    // The file that gets the bytes: the destination, or the target of a link standing there.
    const std::string& Target() const { return target_; }
    // What the user should know about the replacement, one German line each: what of the old
    // file could not be kept, links it had, an owner that changes. Filled by Seal.
    const std::vector<std::string>& Notes() const { return notes_; }

private:
    void TakeOverMetadata();
    bool NameUnnamed(Overwrite overwrite);
    bool NameReserved();

    std::string destination_;
    std::string target_;
    std::string temp_;
    std::string reservation_;  // an empty file of our own under the destination's name
    bool unnamed_ = false;
    bool sealed_ = false;
    std::vector<std::string> notes_;
};

}  // namespace stellmark
