#include "imaging/effects/Parallel.h"
#include "support/AddressSpace.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using ql::effects::parallelRows;

namespace {

// Every row handed out exactly once, whoever ran it; `byCaller` counts the
// rows the calling thread ran.
bool everyRowOnce(int rows, int* byCaller = nullptr)
{
    std::vector<int> seen(size_t(rows), 0);
    std::vector<char> here(size_t(rows), 0);
    const std::thread::id caller = std::this_thread::get_id();
    parallelRows(rows, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            ++seen[size_t(y)];
            here[size_t(y)] = std::this_thread::get_id() == caller;
        }
    });
    if (byCaller)
        *byCaller = int(std::count(here.begin(), here.end(), 1));
    return std::all_of(seen.begin(), seen.end(), [](int count) { return count == 1; });
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
        // Only the soft limit is lowered: a hard one set already (ulimit -v)
        // stays, and could not be raised anyway.
        const rlim_t inUse = ql::testing::addressSpaceInUse();
        rlimit tight {};
        if (inUse == 0 || getrlimit(RLIMIT_AS, &tight) != 0)
            _exit(3);
        tight.rlim_cur = std::min(inUse + 4 * 1024 * 1024, tight.rlim_max);
        if (setrlimit(RLIMIT_AS, &tight) != 0)
            _exit(3);
        const int rows = 64 * 64;
        int byCaller = 0;
        bool ok = true;
        try {
            ok = everyRowOnce(rows, &byCaller);
        } catch (...) {
            _exit(2);
        }
        if (!ok)
            _exit(1);
        // More than its own share: some thread was refused, as meant.
        const int parts = std::min(int(std::thread::hardware_concurrency()), rows / 64);
        _exit(byCaller > (rows + parts - 1) / parts ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}
