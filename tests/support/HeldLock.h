// Another program holding a lock file (flock) until the test lets it go:
// a copy stuck inside its write, as far as the lock's other users can tell.
// Given the file the lock guards, it reads that file once it holds the lock
// and, when let go, renames what it read over it, as such a copy goes on.
#pragma once

#include <QProcess>
#include <QString>

namespace ql::testing {

class HeldLock {
public:
    explicit HeldLock(const QString& path, const QString& guarded = {});
    ~HeldLock();
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

    // Whether the other program took the lock.
    bool isHeld() const { return m_held; }
    // Ends the other program, which first writes what it read, then lets
    // the lock go.
    void release();

private:
    QProcess m_holder;
    bool m_held = false;
};

} // namespace ql::testing
