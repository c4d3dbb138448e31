#include "app/design/effects/Parallel.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using ql::effects::parallelRows;

namespace {

// Bytes of address space the process holds now.
rlim_t addressSpaceInUse()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmSize:"))
            return rlim_t(line.mid(7).trimmed().split(' ').first().toULongLong()) * 1024;
    return 0;
}

// Every row handed out exactly once, whoever ran it.
bool everyRowOnce(int rows)
{
    std::vector<int> seen(size_t(rows), 0);
    parallelRows(rows, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y)
            ++seen[size_t(y)];
    });
    for (const int count : seen)
        if (count != 1)
            return false;
    return true;
}

} // namespace

TEST(ParallelRows, CoversEveryRowOnceForAnyCount)
{
    for (const int rows : {0, 1, 63, 64, 65, 1000, 4097})
        EXPECT_TRUE(everyRowOnce(rows)) << rows;
}

TEST(ParallelRows, AThreadThatCannotStartLeavesItsRowsToTheCaller)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // One thread stack waits in the C library's cache; any further one
        // needs fresh address space, which the limit refuses. On more than
        // two cores the first thread starts and a later one is refused;
        // on fewer, the first one already is.
        if (std::thread::hardware_concurrency() > 2)
            std::thread([] {}).join();
        const rlim_t inUse = addressSpaceInUse();
        const rlimit tight {inUse + 4 * 1024 * 1024, RLIM_INFINITY};
        if (inUse == 0 || setrlimit(RLIMIT_AS, &tight) != 0)
            _exit(3);
        bool ok = true;
        try {
            ok = everyRowOnce(64 * 64);
        } catch (...) {
            _exit(2);
        }
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
