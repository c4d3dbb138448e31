// Functions the unwinder is checked on, built like optimised application code
// (-O2 -fomit-frame-pointer): each captures its registers with getcontext(3)
// and, right after, the C library's own backtrace(3).
#pragma once

#include <ucontext.h>

struct UnwindCapture {
    ucontext_t context;
    void* backtraceFrames[600];
    int backtraceCount = 0;
    // Called right after both captures, while the captured frames are still
    // on the stack.
    void (*walk)(UnwindCapture* capture) = nullptr;
    void* walkData = nullptr;
};

extern "C" {
// Six calls deep, then the capture.
void unwindTargetSixDeep(UnwindCapture* capture);
// The capture inside a qsort comparator, in the C library's sort.
void unwindTargetInSortComparator(UnwindCapture* capture);
// `depth` recursive calls, then the capture.
void unwindTargetRecurse(UnwindCapture* capture, int depth);
}
