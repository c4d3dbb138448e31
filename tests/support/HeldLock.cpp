#include "HeldLock.h"

namespace ql::testing {

HeldLock::HeldLock(const QString& path, const QString& guarded)
{
    // Standard library only: any python3 will do.
    m_holder.start(QStringLiteral("python3"),
                   {QStringLiteral("-c"), QStringLiteral("import fcntl, os, sys\n"
                                                         "held = open(sys.argv[1], 'a')\n"
                                                         "fcntl.flock(held, fcntl.LOCK_EX)\n"
                                                         "guarded = sys.argv[2]\n"
                                                         "read = open(guarded, 'rb').read() if guarded else None\n"
                                                         "print('held', flush=True)\n"
                                                         "sys.stdin.read()\n"
                                                         "if guarded:\n"
                                                         "    with open(guarded + '.new', 'wb') as new:\n"
                                                         "        new.write(read)\n"
                                                         "    os.replace(guarded + '.new', guarded)\n"),
                    path, guarded});
    m_held = m_holder.waitForReadyRead(30000) && m_holder.readAllStandardOutput().startsWith("held");
}

HeldLock::~HeldLock()
{
    release();
}

void HeldLock::release()
{
    if (m_holder.state() == QProcess::NotRunning)
        return;
    m_holder.closeWriteChannel();
    if (!m_holder.waitForFinished(30000)) {
        m_holder.kill();
        m_holder.waitForFinished();
    }
    m_held = false;
}

} // namespace ql::testing
