#include "InstanceLock.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <unistd.h>

#include "Program.h"

namespace stellmark::platform {

FileInstanceLock::FileInstanceLock(std::string path)
    : path_(path.empty() ? DefaultPath() : std::move(path))
{
}

FileInstanceLock::~FileInstanceLock() = default;

std::string FileInstanceLock::DefaultPath()
{
    // Asked only where the session names one: Qt would warn about a missing one on every start.
    QString dir;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    // The temporary folder is shared by all users: the user id keeps their locks apart.
    const QString name = QStringLiteral("%1-%2.lock")
                             .arg(QString::fromStdString(program::BaseName()))
                             .arg(static_cast<qulonglong>(::getuid()));
    return QDir(dir).filePath(name).toStdString();
}

bool FileInstanceLock::Acquire()
{
    if (lock_ && lock_->isLocked())
        return true;
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(path_));
    // Never stale by age: a long-running instance keeps its lock. A dead owner's lock is
    // recognised by its process id and taken over.
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0);
}

}  // namespace stellmark::platform
