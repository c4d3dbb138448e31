// The address space a test process holds, and a limit on what it may take
// beyond it: allocations past the limit fail as they would in a program that
// runs out of memory.
#pragma once

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <sys/resource.h>

namespace ql::testing {

// Bytes of address space the process holds now; 0 when /proc does not say.
inline rlim_t addressSpaceInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return rlim_t(line.mid(7).trimmed().split(' ').first().toULongLong()) * 1024;
    return 0;
}

// While it lives, the process may take at most `more` bytes of address
// space beyond what it holds. Only the soft limit is lowered: a hard one set
// already (ulimit -v) stays, and could not be raised again.
class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t more)
    {
        getrlimit(RLIMIT_AS, &m_saved);
        rlimit tight = m_saved;
        tight.rlim_cur = std::min(addressSpaceInUse() + more, m_saved.rlim_max);
        setrlimit(RLIMIT_AS, &tight);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_saved); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

private:
    rlimit m_saved {};
};

} // namespace ql::testing
