#include "BinaryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "Failure.h"
#include "frmPanne.h"

namespace stellmark {

BinaryFile::~BinaryFile() { CloseQuietly(); }

BinaryFile::BinaryFile(BinaryFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_))
{
}

BinaryFile& BinaryFile::operator=(BinaryFile&& other) noexcept
{
    if (this != &other) {
        CloseQuietly();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

void BinaryFile::CloseQuietly() noexcept
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void BinaryFile::Adopt(int fd, const std::string& path)
{
    CloseQuietly();
    fd_ = fd;
    path_ = path;
}

void BinaryFile::OpenRead(const std::string& path)
{
    if (path.empty())
        throw Failure(err::BadFileName);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int e = S_ISDIR(st.st_mode) ? EISDIR : errno ? errno : EINVAL;
        ::close(fd);
        ThrowErrno(e, path);
    }
    Adopt(fd, path);
}

int64_t BinaryFile::Length() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        ThrowErrno(errno, path_);
    return st.st_size;
}

std::size_t BinaryFile::ReadAt(int64_t offset, void* buffer, std::size_t n) const
{
    auto* p = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        ssize_t r = ::pread(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno, path_);
        }
        if (r == 0)
            break;
        done += static_cast<std::size_t>(r);
    }
    return done;
}

void BinaryFile::WriteAt(int64_t offset, const void* buffer, std::size_t n)
{
    const auto* p = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        ssize_t w = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
        if (w < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno, path_);
        }
        done += static_cast<std::size_t>(w);
    }
}

void BinaryFile::Sync()
{
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        ThrowErrno(errno, path_);
}

void BinaryFile::Close()
{
    if (fd_ < 0)
        return;
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR)
        ThrowErrno(errno, path_);
}

TempOutput::~TempOutput() { Discard(); }

void TempOutput::Create(const std::string& destination)
{
    Discard();
    if (destination.empty() || destination.back() == '/')
        throw Failure(err::BadFileName);
    auto cut = destination.find_last_of('/');
    std::string dir = cut == std::string::npos ? std::string() : destination.substr(0, cut + 1);
    std::string name = cut == std::string::npos ? destination : destination.substr(cut + 1);
    std::string pattern = dir + "." + name + ".tmp-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd < 0)
        ThrowErrno(errno, destination);
    temp_ = buf.data();
    pending::Add(temp_);
    destination_ = destination;
    // mkostemp makes the file private; the result gets the ordinary mode of a new file.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    Adopt(fd, temp_);
}

void TempOutput::Commit()
{
    // Safe to run again after a failed rename: the file is then already closed.
    if (IsOpen()) {
        Sync();
        Close();
    }
    if (::rename(temp_.c_str(), destination_.c_str()) != 0)
        ThrowErrno(errno, destination_);
    pending::Remove(temp_);
    temp_.clear();
}

void TempOutput::Discard() noexcept
{
    if (temp_.empty())
        return;
    try {
        Close();
    } catch (...) {
    }
    ::unlink(temp_.c_str());
    pending::Remove(temp_);
    temp_.clear();
}

}  // namespace stellmark
