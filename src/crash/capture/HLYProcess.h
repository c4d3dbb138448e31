// The process as the crash sections see it: its threads (stopped while the
// record is written), their registers and stacks, names and queue labels,
// and the memory and time figures. Everything here is signal-safe.
#pragma once

#include "crash/capture/HLYThreadState.h"

#include <cstdint>
#include <sys/types.h>
#include <sys/ucontext.h>

namespace qlkit {

struct HLYFile;
struct HLYThreadList;

struct HLYProcess {
    pid_t pid;
    pid_t handlingThread;
    pid_t crashedThread;
    HLYThreadList* threads;
    std::uint32_t threadCount;
    const ucontext_t* context; // the crashed thread's signal context, or none
};

inline constexpr std::uint64_t kHLYThreadStopTimeoutNanoseconds = 100'000'000;

bool HLYProcessInit(HLYProcess* process, pid_t crashedThread, const ucontext_t* context);
void HLYProcessSuspendAllOtherThreads(HLYProcess* process);
void HLYProcessResumeAllOtherThreads(HLYProcess* process);
void HLYProcessRecordAllThreads(HLYProcess* process, HLYFile* file);
void HLYProcessRecordRuntime(HLYProcess* process, HLYFile* file);
void HLYProcessRecordDispatchQueueNames(HLYProcess* process, HLYFile* file);
void HLYProcessRecordThreadNames(HLYProcess* process, HLYFile* file);
void HLYProcessRecordStats(HLYProcess* process, HLYFile* file);
void HLYProcessDestroy(HLYProcess* process);
// Where the C library keeps its abort message (the address of its
// `__abort_msg` pointer), or null; looked up at set-up, read at crash time.
const void* HLYProcessFindAbortMessageSlot();
// Whether a tracer is attached (/proc/self/status TracerPid).
bool HLYProcessDebuggerAttached();

} // namespace qlkit
