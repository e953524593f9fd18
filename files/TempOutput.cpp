#include "files/BinaryFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <random>

#include "errors/Failure.h"
#include "errors/Pending.h"

namespace stellmark {

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

std::string TempName(const std::string& folder)
{
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::random_device random;
    std::string temp = folder + TempOutput::kPrefix;
    for (int i = 0; i < 6; ++i)
        temp += kChars[random() % (sizeof kChars - 1)];
    return temp;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

std::string UserName(uid_t uid)
{
    const passwd* pw = ::getpwuid(uid);
    return pw ? pw->pw_name : std::to_string(uid);
}

std::string GroupName(gid_t gid)
{
    const group* gr = ::getgrgid(gid);
    return gr ? gr->gr_name : std::to_string(gid);
}

// The permission bits of the owning group's entry in an access ACL as the kernel stores it
// (version 2, then entries of tag, permission and id, little-endian); -1 where there is none.
int AclGroupBits(const std::vector<char>& acl)
{
    constexpr std::size_t kHeader = 4, kEntry = 8;
    constexpr unsigned kGroupObj = 0x04;
    for (std::size_t at = kHeader; at + kEntry <= acl.size(); at += kEntry) {
        auto u16 = [&](std::size_t i) {
            return static_cast<unsigned>(static_cast<unsigned char>(acl[i]) |
                                         static_cast<unsigned char>(acl[i + 1]) << 8);
        };
        if (u16(at) == kGroupObj)
            return static_cast<int>(u16(at + 2) & 07);
    }
    return -1;
}

std::vector<std::string> XattrNames(const std::string& path)
{
    std::vector<char> list;
    for (;;) {
        ssize_t n = ::listxattr(path.c_str(), nullptr, 0);
        if (n <= 0)
            return {};  // none, or a file system without them
        list.resize(static_cast<std::size_t>(n));
        n = ::listxattr(path.c_str(), list.data(), list.size());
        if (n >= 0) {
            list.resize(static_cast<std::size_t>(n));
            break;
        }
        if (errno != ERANGE)
            return {};
    }
    std::vector<std::string> names;
    for (std::size_t at = 0; at < list.size();) {
        std::string name(list.data() + at);
        at += name.size() + 1;
        if (!name.empty())
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());  // the same order on every file system, for the notes
    return names;
}

bool XattrValue(const std::string& path, const std::string& name, std::vector<char>& value)
{
    for (;;) {
        ssize_t n = ::getxattr(path.c_str(), name.c_str(), nullptr, 0);
        if (n < 0)
            return false;
        value.resize(static_cast<std::size_t>(n));
        n = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (n >= 0) {
            value.resize(static_cast<std::size_t>(n));
            return true;
        }
        if (errno != ERANGE)
            return false;
    }
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
    const std::string folder = FolderOf(target);
    // An unnamed file needs /proc to be named at the end; without either, a named one is used.
    // The ordinary mode of a new file; the process's umask applies.
    int fd = -1;
    if (::access("/proc/self/fd", X_OK) == 0)
        fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    std::string temp;
    // A name is registered before the file exists: a signal at any moment finds every temporary
    // file that may stand, never one that is not yet known.
    for (int attempt = 0; fd < 0; ++attempt) {
        temp = TempName(folder);
        if (!pending::Add(temp))
            throw Failure(err::TooManyFiles).About(destination, Access::Write);
        fd = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            int e = errno;
            pending::Remove(temp);
            if (e == EACCES &&
                ::faccessat(AT_FDCWD, folder.empty() ? "." : folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
                // The file itself may well be writable: the folder is what refuses.
                std::string name = folder.size() > 1 ? folder.substr(0, folder.size() - 1) : folder;
                throw Failure(err::PermissionDenied, "Zugriff verweigert: im Ordner " +
                                                         Quoted(name.empty() ? "." : name) +
                                                         " darf keine Datei angelegt werden")
                    .About(destination, Access::Write);
            }
            if (e != EEXIST || attempt >= 100)
                ThrowErrno(e, destination, Access::Write);
        }
    }
    temp_ = temp;
    unnamed_ = temp.empty();
    target_ = target;
    destination_ = destination;
    Adopt(fd, destination, Access::Write);
}

void TempOutput::TakeOverMetadata()
{
    struct stat st {};
    if (::stat(target_.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const std::string who = Quoted(destination_);
    if (st.st_nlink > 1)
        notes_.push_back(who + " hatte " + std::to_string(st.st_nlink - 1) +
                         " weitere(n) harte(n) Link(s); diese behalten den alten Inhalt.");
    int fd = Descriptor();
    mode_t mode = st.st_mode & 07777;
    // Owner and group as far as this process may set them; a file that cannot stay its owner's
    // loses its set-id bits rather than lend them to us.
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
        bool groupKept = ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
        if (st.st_uid != ::geteuid())
            notes_.push_back(who + " gehörte " + UserName(st.st_uid) + " und gehört jetzt " +
                             UserName(::geteuid()) + ".");
        if (!groupKept && st.st_gid != ::getegid())
            notes_.push_back(who + " hatte die Gruppe " + GroupName(st.st_gid) + " und hat jetzt " +
                             GroupName(::getegid()) + ".");
    }
    // A file system without permission bits (FAT over FUSE) has none to keep.
    auto setMode = [&](mode_t bits) {
        if (::fchmod(fd, bits) != 0 && errno != ENOSYS && errno != EOPNOTSUPP)
            ThrowErrno(errno, destination_, Access::Write);
    };
    setMode(mode);

    // Extended attributes, the access ACL among them, as far as this file system and this process
    // may set them. An ACL that cannot be kept must not leave wider access behind: its mask
    // stands in the group bits, and the group entry alone may grant less.
    static constexpr const char* kAcl = "system.posix_acl_access";
    std::string lost;
    std::vector<char> value;
    for (const std::string& name : XattrNames(target_)) {
        bool kept = XattrValue(target_, name, value) &&
                    ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0) == 0;
        if (kept)
            continue;
        lost += (lost.empty() ? "" : ", ") + name;
        if (name == kAcl && !value.empty()) {
            int group = AclGroupBits(value);
            mode_t narrowed =
                group < 0 ? mode & ~static_cast<mode_t>(S_IRWXG)
                          : (mode & ~static_cast<mode_t>(S_IRWXG)) | (mode & static_cast<mode_t>(group << 3));
            setMode(narrowed);
        }
    }
    if (!lost.empty())
        notes_.push_back(who + ": nicht übernommen: " + lost + ".");
}

void TempOutput::Seal(Overwrite overwrite)
{
    if (sealed_ || !IsOpen())
        return;
    notes_.clear();
    if (overwrite == Overwrite::Replace)
        TakeOverMetadata();
    Sync();
    sealed_ = true;
}

bool TempOutput::NameUnnamed(Overwrite overwrite)
{
    const std::string self = "/proc/self/fd/" + std::to_string(Descriptor());
    if (overwrite == Overwrite::Refuse) {
        // Fails on a taken name: rename unless it exists, in one step.
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target_.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == EEXIST)
                return false;
            ThrowErrno(errno, destination_, Access::Write);
        }
        return true;
    }
    // Replacing needs a name to rename: it stands only for the moment between the two calls.
    for (int attempt = 0; temp_.empty(); ++attempt) {
        std::string temp = TempName(FolderOf(target_));
        pending::Hold hold;
        if (!pending::Add(temp))
            throw Failure(err::TooManyFiles).About(destination_, Access::Write);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temp_ = temp;
            break;
        }
        int e = errno;
        pending::Remove(temp);
        if (e != EEXIST || attempt >= 100)
            ThrowErrno(e, destination_, Access::Write);
    }
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        int e = errno;
        ::unlink(temp_.c_str());  // the open file keeps the bytes for another try
        pending::Remove(temp_);
        temp_.clear();
        ThrowErrno(e, destination_, Access::Write);
    }
    return true;
}

bool TempOutput::NameReserved()
{
    {
        // Taken and registered together: a signal between would leave the name or, worse, remove
        // a file that is not ours.
        pending::Hold hold;
        int fd = ::open(target_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                return false;
            ThrowErrno(errno, destination_, Access::Write);
        }
        ::close(fd);
        if (!pending::Add(target_)) {
            ::unlink(target_.c_str());
            throw Failure(err::TooManyFiles).About(destination_, Access::Write);
        }
        reservation_ = target_;
    }
    // The name is ours now: a plain rename replaces our own empty file in one step. The
    // reservation leaves the register first: a signal that reaches another thread in between
    // may leave the empty file, but never removes the finished output.
    pending::Hold hold;
    pending::Remove(reservation_);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        int e = errno;
        ::unlink(reservation_.c_str());
        reservation_.clear();
        ThrowErrno(e, destination_, Access::Write);
    }
    reservation_.clear();
    return true;
}

bool TempOutput::Commit(Overwrite overwrite)
{
    if (IsOpen()) {
        Seal(overwrite);
        // An unnamed file is named through its descriptor; it stays open until then.
        if (!unnamed_)
            Close();
    }
    if (unnamed_) {
        if (!NameUnnamed(overwrite))
            return false;
        try {
            Close();  // the bytes were flushed by Seal; the name stands already
        } catch (const Failure&) {
        }
        unnamed_ = false;
    } else if (overwrite == Overwrite::Replace) {
        if (::rename(temp_.c_str(), target_.c_str()) != 0)
            ThrowErrno(errno, destination_, Access::Write);
    } else if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST)
            return false;
        if (errno != EINVAL && errno != ENOSYS)
            ThrowErrno(errno, destination_, Access::Write);
        // A file system without the flag: a hard link takes a name only while it is free.
        if (::link(temp_.c_str(), target_.c_str()) == 0) {
            ::unlink(temp_.c_str());
        } else if (errno == EEXIST) {
            return false;
        } else if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS) {
            // Nor hard links (FAT over FUSE): the name is reserved by creating it exclusively.
            if (!NameReserved())
                return false;
        } else {
            ThrowErrno(errno, destination_, Access::Write);
        }
    }
    {
        pending::Hold hold;
        pending::Remove(temp_);
        temp_.clear();
    }
    sealed_ = false;
    SyncFolder(target_);
    return true;
}

void TempOutput::Discard() noexcept
{
    if (temp_.empty() && !unnamed_)
        return;
    try {
        Close();  // an unnamed file vanishes with its descriptor
    } catch (...) {
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        pending::Remove(temp_);
        temp_.clear();
    }
    unnamed_ = false;
    sealed_ = false;
}

}  // namespace stellmark
