// Preloaded into the command-line tool (LD_PRELOAD) to play a medium the machine does not have.
// STELLMARK_SHIM holds any of these words:
//   no-tmpfile       unnamed files are not offered (open with O_TMPFILE: EOPNOTSUPP)
//   no-rename-flags  renameat2 with flags gives EINVAL and link EPERM, as FAT over FUSE
//   no-xattr         setting extended attributes is refused (ENOTSUP)
//   bad-readback     a stick that holds less than it claims: reading a file opened for writing
//                    returns other bytes from STELLMARK_SHIM_FROM (a number, default 0) on
//   slow-write       a slow stick: every positioned write takes 15 ms more
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace {
bool Has(const char* word)
{
    const char* all = std::getenv("STELLMARK_SHIM");
    return all && std::strstr(all, word);
}

template <class F>
F Next(const char* name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

// Spoils what was read at `offset` from a regular file open for writing.
void Spoil(int fd, void* buffer, ssize_t got, off_t offset)
{
    if (got <= 0 || !Has("bad-readback"))
        return;
    int flags = ::fcntl(fd, F_GETFL);
    struct stat st {};
    if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const char* from = std::getenv("STELLMARK_SHIM_FROM");
    off_t start = from ? std::strtoll(from, nullptr, 0) : 0;
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (ssize_t i = 0; i < got; ++i)
        if (offset + i >= start)
            bytes[i] ^= 0x5A;
}

int OpenWith(const char* name, const char* path, int flags, mode_t mode, int dirfd, bool at)
{
    if ((flags & O_TMPFILE) == O_TMPFILE && Has("no-tmpfile")) {
        errno = EOPNOTSUPP;
        return -1;
    }
    if (at)
        return Next<int (*)(int, const char*, int, ...)>(name)(dirfd, path, flags, mode);
    return Next<int (*)(const char*, int, ...)>(name)(path, flags, mode);
}
}  // namespace

extern "C" {
int open(const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return OpenWith("open", path, flags, mode, 0, false);
}

int openat(int dirfd, const char* path, int flags, ...)
{
    va_list ap;
    va_start(ap, flags);
    mode_t mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(ap, mode_t) : 0;
    va_end(ap);
    return OpenWith("openat", path, flags, mode, dirfd, true);
}

int renameat2(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, unsigned int flags)
{
    if (flags != 0 && Has("no-rename-flags")) {
        errno = EINVAL;
        return -1;
    }
    return Next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2")(olddirfd, oldpath,
                                                                                    newdirfd, newpath, flags);
}

int link(const char* from, const char* to)
{
    if (Has("no-rename-flags")) {
        errno = EPERM;
        return -1;
    }
    return Next<int (*)(const char*, const char*)>("link")(from, to);
}

int linkat(int fromdir, const char* from, int todir, const char* to, int flags)
{
    if (Has("no-rename-flags")) {
        errno = EPERM;
        return -1;
    }
    return Next<int (*)(int, const char*, int, const char*, int)>("linkat")(fromdir, from, todir, to, flags);
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags)
{
    if (Has("no-xattr")) {
        errno = ENOTSUP;
        return -1;
    }
    return Next<int (*)(int, const char*, const void*, size_t, int)>("fsetxattr")(fd, name, value, size,
                                                                                  flags);
}

ssize_t read(int fd, void* buffer, size_t n)
{
    off_t at = ::lseek(fd, 0, SEEK_CUR);
    ssize_t got = Next<ssize_t (*)(int, void*, size_t)>("read")(fd, buffer, n);
    if (at >= 0)
        Spoil(fd, buffer, got, at);
    return got;
}

ssize_t pread(int fd, void* buffer, size_t n, off_t offset)
{
    ssize_t got = Next<ssize_t (*)(int, void*, size_t, off_t)>("pread")(fd, buffer, n, offset);
    Spoil(fd, buffer, got, offset);
    return got;
}

ssize_t pwrite(int fd, const void* buffer, size_t n, off_t offset)
{
    if (Has("slow-write"))
        ::usleep(15000);
    return Next<ssize_t (*)(int, const void*, size_t, off_t)>("pwrite")(fd, buffer, n, offset);
}

// The 64-bit names are the same calls on this platform.
int open64(const char* path, int flags, ...) __attribute__((alias("open")));
ssize_t pread64(int fd, void* buffer, size_t n, off_t offset) __attribute__((alias("pread")));
ssize_t pwrite64(int fd, const void* buffer, size_t n, off_t offset) __attribute__((alias("pwrite")));
}
