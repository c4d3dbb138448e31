// The probe's crash sites. Both are C functions that are never inlined, so
// that reports can be checked for them by name.
#pragma once

extern "C" {
// Blocks the calling thread for good.
[[noreturn]] void probeWaitHere();
// Crashes in the way `kind` names; returns only for an unknown kind.
void probeCrashHere(const char* kind);
}

namespace probe {

// The kinds probeCrashHere knows, in the order the usage text lists them.
inline constexpr const char* kKinds[] = {"segv", "bus", "ill", "fpe", "abrt", "throw", "stack-overflow", "trap",
                                         "assert", "thread-overflow", "qthread-overflow"};

// Prepares what a kind needs before the crash (the bus kind's mapping).
bool prepareCrash(const char* kind, const char* folder);
// How many threads have reached probeWaitHere.
int waitingThreads();
// A stack overflow in probeCrashHere on a new QThread named "probe-qthread";
// the calling thread waits for it.
void overflowOnQThread();

} // namespace probe
