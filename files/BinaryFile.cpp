#include "files/BinaryFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <utility>

#include "errors/Failure.h"
#include "errors/Pending.h"

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

void BinaryFile::Close()
{
    if (fd_ < 0)
        return;
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 && errno != EINTR)
        ThrowErrno(errno, path_, access_);
}

TempOutput::~TempOutput() { Discard(); }

namespace {
std::string FolderOf(const std::string& path)
{
    auto cut = path.find_last_of('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// The file a write to `destination` lands in: a symbolic link is followed to its end.
std::string ResolveTarget(const std::string& destination)
{
    auto fail = [&](int e) { ThrowErrno(e, destination, Access::Write); };
    struct stat st {};
    if (::lstat(destination.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return destination;  // a new file; a missing folder shows when it is created
        fail(errno);
    }
    if (S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(destination.c_str(), resolved))
            fail(errno);  // a link to nothing
        if (::stat(resolved, &st) != 0)
            fail(errno);
        if (!S_ISREG(st.st_mode))
            throw Failure(err::PathFileAccess).About(destination, Access::Write);
        return resolved;
    }
    if (!S_ISREG(st.st_mode))  // a folder, pipe, device or socket is never replaced
        throw Failure(err::PathFileAccess).About(destination, Access::Write);
    return destination;
}

void SyncFolder(const std::string& file)
{
    std::string dir = FolderOf(file);
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;  // the rename stands; only its durability is not forced
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

void TempOutput::Create(const std::string& destination)
{
    Discard();
    if (destination.empty() || destination.back() == '/')
        throw Failure(err::BadFileName).About(destination, Access::Write);
    std::string target = ResolveTarget(destination);
    // A write-protected file is not replaced behind its protection.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0)
        ThrowErrno(errno, destination, Access::Write);
    // The name is registered before the file exists: a signal at any moment finds every
    // temporary file that may stand, never one that is not yet known.
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    int fd = -1;
    std::string temp;
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = FolderOf(target) + kPrefix;
        for (int i = 0; i < 6; ++i)
            temp += kChars[random() % (sizeof kChars - 1)];
        if (!pending::Add(temp))
            throw Failure(err::TooManyFiles).About(destination, Access::Write);
        // The ordinary mode of a new file; the process's umask applies.
        fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            int e = errno;
            pending::Remove(temp);
            if (e != EEXIST || attempt >= 100)
                ThrowErrno(e, destination, Access::Write);
        }
    }
    temp_ = temp;
    target_ = target;
    destination_ = destination;
    Adopt(fd, destination, Access::Write);
}

void TempOutput::TakeOverMetadata()
{
    struct stat st {};
    if (::stat(target_.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    int fd = Descriptor();
    mode_t mode = st.st_mode & 07777;
    // Owner and group as far as this process may set them; a file that cannot stay its owner's
    // loses its set-id bits rather than lend them to us.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
        (void)!::fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    }
    if (::fchmod(fd, mode) != 0)
        ThrowErrno(errno, destination_, Access::Write);
}

bool TempOutput::Commit(Overwrite overwrite)
{
    // Safe to run again after a failed rename: the file is then already closed.
    if (IsOpen()) {
        if (overwrite == Overwrite::Replace)
            TakeOverMetadata();
        Sync();
        Close();
    }
    if (overwrite == Overwrite::Replace) {
        if (::rename(temp_.c_str(), target_.c_str()) != 0)
            ThrowErrno(errno, destination_, Access::Write);
    } else if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return false;
        if (errno != EINVAL && errno != ENOSYS)
            ThrowErrno(errno, destination_, Access::Write);
        // A file system without the flag: a hard link takes a name only while it is free.
        if (::link(temp_.c_str(), target_.c_str()) != 0) {
            if (errno == EEXIST)
                return false;
            ThrowErrno(errno, destination_, Access::Write);
        }
        ::unlink(temp_.c_str());
    }
    pending::Remove(temp_);
    temp_.clear();
    SyncFolder(target_);
    return true;
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
