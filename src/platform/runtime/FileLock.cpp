#include "platform/runtime/FileLock.h"

#include "platform/runtime/AtomicFileWriter.h"
#include "platform/runtime/FileKind.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QObject>
#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
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

// 0 when taken at once, else the reason (EWOULDBLOCK while held elsewhere).
int tryLock(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        if (errno != EINTR)
            return errno;
    return 0;
}

// Tries again every millisecond or two: only where no thread can be had to
// wait in the kernel.
int pollForLock(int fd, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    int failure = 0;
    while ((failure = tryLock(fd)) == EWOULDBLOCK && !deadline.hasExpired())
        std::this_thread::sleep_for(std::min(std::chrono::milliseconds(2), std::chrono::milliseconds(deadline.remainingTime())));
    if (failure != 0)
        ::close(fd);
    return failure;
}

// Takes the lock on `fd` within `limit`: 0 when taken, else the reason
// (EWOULDBLOCK when another holder kept it), and `fd` is then closed. The
// wait sleeps in the kernel until the holder lets go, so it cannot miss the
// moment between two writes of a copy that takes the lock again and again,
// as a try now and then does. flock has no time limit, so that wait runs on
// a thread of its own which the caller stops waiting for at the limit.
int waitForLock(int fd, std::chrono::milliseconds limit)
{
    if (const int failure = tryLock(fd); failure != EWOULDBLOCK || limit <= std::chrono::milliseconds::zero()) {
        if (failure != 0)
            ::close(fd);
        return failure;
    }
    struct Wait {
        std::mutex mutex;
        std::condition_variable ended;
        std::optional<int> failure;
        bool givenUp = false;
    };
    const auto wait = std::make_shared<Wait>();
    try {
        std::thread([wait, fd] {
            int result = 0;
            while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
            }
            const int failure = result == 0 ? 0 : errno;
            const std::lock_guard guard(wait->mutex);
            // Taken after the caller went on without it: let go at once.
            if (failure != 0 || wait->givenUp)
                ::close(fd);
            wait->failure = failure;
            wait->ended.notify_one();
        }).detach();
    } catch (const std::system_error&) {
        return pollForLock(fd, limit);
    }
    std::unique_lock guard(wait->mutex);
    if (wait->ended.wait_for(guard, limit, [&] { return wait->failure.has_value(); }))
        return *wait->failure;
    wait->givenUp = true;
    return EWOULDBLOCK;
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
    if (const int failure = waitForLock(fd, limit); failure != 0) {
        if (failure != EWOULDBLOCK)
            return unusable(m_path, failure);
        return lockError(FileLockError::Busy, QObject::tr("“%1” stayed locked by another program.").arg(m_path));
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
