#include "files/BinaryFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "errors/Failure.h"

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

void BinaryFile::Adopt(int fd, const std::string& path, Access access)
{
    CloseQuietly();
    fd_ = fd;
    path_ = path;
    access_ = access;
}

void BinaryFile::OpenRead(const std::string& path)
{
    if (path.empty())
        throw Failure(err::BadFileName);
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno(errno, path, Access::Read);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int e = S_ISDIR(st.st_mode) ? EISDIR : errno ? errno : EINVAL;
        ::close(fd);
        ThrowErrno(e, path, Access::Read);
    }
    Adopt(fd, path, Access::Read);
}

int64_t BinaryFile::Length() const
{
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        ThrowErrno(errno, path_, access_);
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
            ThrowErrno(errno, path_, access_);
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
            ThrowErrno(errno, path_, access_);
        }
        done += static_cast<std::size_t>(w);
    }
}

void BinaryFile::Sync()
{
    if (::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS)
        ThrowErrno(errno, path_, access_);
}

void BinaryFile::DropCache() noexcept
{
    // Advice only: where the system keeps the pages anyway (tmpfs) the bytes are the medium's.
    (void)::posix_fadvise(fd_, 0, 0, POSIX_FADV_DONTNEED);
}

void BinaryFile::Close()
{
    if (fd_ < 0)
        return;
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR)
        ThrowErrno(errno, path_, access_);
}

}  // namespace stellmark
