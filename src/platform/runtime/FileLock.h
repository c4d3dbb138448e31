// An advisory lock (flock) on a file of its own, for work that two running
// copies of the program must not do at once. The file is opened without
// waiting and only when it is a regular file (or made, when missing), so that
// a pipe or device where it belongs neither blocks the program nor is
// replaced. Each lock opens the file anew: two locks on one file keep each
// other out within one process too.
#pragma once

#include "platform/Error.h"

#include <QString>
#include <chrono>

namespace ql {

inline const QString kFileLockErrorDomain = QStringLiteral("FileLock");
enum class FileLockError { Busy = 1, NotRegular, Unusable };

class FileLock {
public:
    explicit FileLock(QString path);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Takes the lock, waiting at most `limit` for another holder to let go
    // (a limit of zero only tries); Busy when it kept the lock all that time.
    // Taking a held lock does nothing.
    Status lock(std::chrono::milliseconds limit);
    void unlock();
    bool isHeld() const { return m_descriptor >= 0; }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    int m_descriptor = -1;
};

// Holds a lock for a scope, when it could be had; releases only what it took.
class FileLockHold {
public:
    FileLockHold(FileLock& lock, std::chrono::milliseconds limit)
        : m_lock(lock), m_took(!lock.isHeld()), m_status(lock.lock(limit))
    {
    }
    ~FileLockHold()
    {
        if (m_took)
            m_lock.unlock();
    }
    FileLockHold(const FileLockHold&) = delete;
    FileLockHold& operator=(const FileLockHold&) = delete;

    const Status& status() const { return m_status; }

private:
    FileLock& m_lock;
    bool m_took;
    Status m_status;
};

} // namespace ql
