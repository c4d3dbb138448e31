#include "HeldLock.h"

namespace ql::testing {

HeldLock::HeldLock(const QString& path)
{
    // Standard library only: any python3 will do.
    m_holder.start(QStringLiteral("python3"),
                   {QStringLiteral("-c"), QStringLiteral("import fcntl, sys\n"
                                                         "held = open(sys.argv[1], 'a')\n"
                                                         "fcntl.flock(held, fcntl.LOCK_EX)\n"
                                                         "print('held', flush=True)\n"
                                                         "sys.stdin.read()\n"),
                    path});
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
