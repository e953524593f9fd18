#include "platform/InstanceLock.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

#include "errors/Places.h"
#include "errors/Program.h"

namespace stellmark::platform {

FileInstanceLock::FileInstanceLock(std::string path) : path_(path.empty() ? DefaultPath() : std::move(path))
{
}

FileInstanceLock::~FileInstanceLock()
{
    // Tidy on a clean end; after any other end the file stays, unlocked, and is taken again.
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
        ::close(fd_);
    }
}

namespace {
// A folder fit for the lock: a real folder of this user that nobody else may write into, so that
// no other local user can put a lock of ours there and keep the program from starting.
bool Private(const QString& dir)
{
    struct stat st {};
    const QByteArray path = QFile::encodeName(dir);
    return !dir.isEmpty() && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}
}  // namespace

std::string FileInstanceLock::FileName(const std::string& settingsDir)
{
    // FNV-1a of the folder: a short, stable name for it.
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : settingsDir)
        hash = (hash ^ c) * 1099511628211ull;
    char key[17];
    std::snprintf(key, sizeof key, "%016llx", static_cast<unsigned long long>(hash));
    return program::BaseName() + "-" + key + ".lock";
}

std::string FileInstanceLock::DefaultPath()
{
    const QString name = QString::fromStdString(FileName(places::Current().settings));
    // The session's runtime folder, where there is one of this user's.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (Private(runtime))
        return QDir(runtime).filePath(name).toStdString();
    // Else a folder of the user's own in the home's cache, never the shared temporary folder.
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || !QDir::isAbsolutePath(cache))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    const QString dir = cache + QStringLiteral("/stellmark");
    QDir().mkpath(cache);
    ::mkdir(QFile::encodeName(dir).constData(), 0700);
    return Private(dir) ? QDir(dir).filePath(name).toStdString() : std::string();
}

bool FileInstanceLock::Acquire()
{
    // Without a safe place for the lock the test cannot be made; the program is not kept from
    // starting for that.
    if (path_.empty())
        return true;
    if (fd_ >= 0)
        return true;
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        fd_ = fd;
        return true;
    }
    const bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return !held;
}

}  // namespace stellmark::platform
