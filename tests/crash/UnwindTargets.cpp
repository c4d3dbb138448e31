#include "UnwindTargets.h"

#include <cstdlib>
#include <execinfo.h>

namespace {

UnwindCapture* g_sortCapture = nullptr;

// Both captures in one place, the registers first.
[[gnu::noinline]] void capture(UnwindCapture* into)
{
    getcontext(&into->context);
    into->backtraceCount = backtrace(into->backtraceFrames, 600);
    if (into->walk)
        into->walk(into);
}

} // namespace

extern "C" {

[[gnu::noinline]] void unwindTargetLevel6(UnwindCapture* into)
{
    capture(into);
    __asm__ volatile("");
}
[[gnu::noinline]] void unwindTargetLevel5(UnwindCapture* into)
{
    unwindTargetLevel6(into);
    __asm__ volatile("");
}
[[gnu::noinline]] void unwindTargetLevel4(UnwindCapture* into)
{
    unwindTargetLevel5(into);
    __asm__ volatile("");
}
[[gnu::noinline]] void unwindTargetLevel3(UnwindCapture* into)
{
    unwindTargetLevel4(into);
    __asm__ volatile("");
}
[[gnu::noinline]] void unwindTargetLevel2(UnwindCapture* into)
{
    unwindTargetLevel3(into);
    __asm__ volatile("");
}

void unwindTargetSixDeep(UnwindCapture* into)
{
    unwindTargetLevel2(into);
    __asm__ volatile("");
}

[[gnu::noinline]] static int compareCapturing(const void* left, const void* right)
{
    if (g_sortCapture) {
        capture(g_sortCapture);
        g_sortCapture = nullptr;
    }
    return *static_cast<const int*>(left) - *static_cast<const int*>(right);
}

void unwindTargetInSortComparator(UnwindCapture* into)
{
    int values[] = {5, 3, 9, 1, 7, 2, 8};
    g_sortCapture = into;
    qsort(values, sizeof values / sizeof values[0], sizeof values[0], compareCapturing);
    __asm__ volatile("");
}

[[gnu::noinline]] void unwindTargetRecurse(UnwindCapture* into, int depth)
{
    volatile char frame[64];
    frame[0] = char(depth);
    if (depth > 0)
        unwindTargetRecurse(into, depth - 1);
    else
        capture(into);
    frame[1] = frame[0];
}

} // extern "C"
