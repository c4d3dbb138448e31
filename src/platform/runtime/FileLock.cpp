#include "platform/runtime/FileLock.h"

#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileKind.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QObject>
#include <algorithm>
#include <thread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ql {

namespace {

Error lockError(FileLockError code, const QString& message)
{
    return Error {kFileLockErrorDomain, int(code), message};
}

Error notRegular(const QString& path, FileKind kind)
{
    return lockError(FileLockError::NotRegular, QObject::tr("“%1” is %2, not a regular file, and was left as it was.")
                                                    .arg(path, describeFileKind(kind)));
}

Error unusable(const QString& path, int errorNumber)
{
    return lockError(FileLockError::Unusable, QObject::tr("“%1” cannot be used as a lock: %2")
                                                  .arg(path, fileSystemErrorText(errorNumber)));
}

} // namespace

FileLock::FileLock(QString path) : m_path(std::move(path)) {}

FileLock::~FileLock()
{
    unlock();
}

Status FileLock::lock(std::chrono::milliseconds limit)
{
    if (isHeld())
        return {};
    const FileKind kind = fileKindAt(m_path);
    if (kind != FileKind::Missing && kind != FileKind::Regular)
        return notRegular(m_path, kind);
    // Made only where nothing stands, not even a link leading nowhere.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const QByteArray name = QFile::encodeName(m_path);
    const int fd = kind == FileKind::Missing ? ::open(name.constData(), flags | O_CREAT | O_NOFOLLOW, 0600)
                                             : ::open(name.constData(), flags);
    if (fd < 0)
        return unusable(m_path, errno);
    // Something else may have been put there since it was looked at.
    struct stat info {};
    if (::fstat(fd, &info) != 0 || fileKindOfMode(info.st_mode) != FileKind::Regular) {
        ::close(fd);
        return notRegular(m_path, fileKindOfMode(info.st_mode));
    }
    const QDeadlineTimer deadline(limit);
    // Short pauses: a holder writing many changes in a row takes the lock
    // again at once, and a long sleeper would hardly ever find it free.
    std::chrono::milliseconds pause(1);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int failure = errno;
        if (failure == EINTR)
            continue;
        if (failure != EWOULDBLOCK || deadline.hasExpired()) {
            ::close(fd);
            if (failure != EWOULDBLOCK)
                return unusable(m_path, failure);
            return lockError(FileLockError::Busy,
                             QObject::tr("“%1” stayed locked by another program.").arg(m_path));
        }
        std::this_thread::sleep_for(std::min(pause, std::chrono::milliseconds(deadline.remainingTime())));
        pause = std::min(pause * 2, std::chrono::milliseconds(2));
    }
    m_descriptor = fd;
    return {};
}

void FileLock::unlock()
{
    if (!isHeld())
        return;
    // Closing the only descriptor of this open file lets the lock go.
    ::close(m_descriptor);
    m_descriptor = -1;
}

} // namespace ql
