#pragma once
// Binary file access for the image core: one open file per object, closed by its owner.
// Every failure is thrown as a Failure in the program's numbering.
#include <cstddef>
#include <cstdint>
#include <string>

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
    void Adopt(int fd, const std::string& path);

private:
    void CloseQuietly() noexcept;

    int fd_ = -1;
    std::string path_;
};

// A new file written under a temporary name in the folder of its destination and put in the
// destination's place only by Commit: a half-written file never stands under the chosen name.
// Dropped without Commit, it removes itself.
class TempOutput : public BinaryFile {
public:
    TempOutput() = default;
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    void Create(const std::string& destination);
    // Flushes to the medium, closes and renames onto the destination, replacing what stood there.
    void Commit();
    void Discard() noexcept;
    const std::string& TempPath() const { return temp_; }

private:
    std::string destination_;
    std::string temp_;
};

}  // namespace stellmark
