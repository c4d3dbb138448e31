// Stopping the other threads of the process at crash time. The recording
// thread lists the threads from /proc/self/task, asks each with a real-time
// signal (tgkill) to copy its registers into a slot prepared at set-up and
// wait on a futex, and lets them go again when the record is written. A
// thread that has not answered after about 100 ms is recorded without state.
//
// The same table decides who records: one thread at a time owns it. A thread
// that crashes while another records puts its own registers into its slot and
// waits there until the recording ends, so that the first report completes.
#pragma once

#include <atomic>
#include <csignal>
#include <cstdint>
#include <sys/types.h>
#include <sys/ucontext.h>

namespace qlkit {

inline constexpr std::uint32_t kHLYMaxThreads = 512;

enum HLYThreadSlotState : std::uint32_t {
    HLYThreadSlotIdle = 0,
    HLYThreadSlotRequested,
    HLYThreadSlotStopped,
    HLYThreadSlotResumed,
    HLYThreadSlotSilent,
};

struct HLYThreadSlot {
    std::atomic<pid_t> tid;
    std::atomic<std::uint32_t> state; // HLYThreadSlotState; also the futex word
    gregset_t registers;              // the thread's registers where it stopped
};

struct HLYThreadList {
    std::atomic<pid_t> recorder; // the thread recording now, 0 for none; a futex word
    std::atomic<std::uint32_t> count;
    HLYThreadSlot slots[kHLYMaxThreads];
};

enum class HLYRecorderClaim { Acquired, Recursive };

// The real-time signal that stops a thread.
int HLYThreadSuspendSignal();
// Installs the stop handler (on the alternate stack where a thread has one).
// `previous`, when given, receives the action it replaces.
bool HLYThreadListInstallSuspendHandler(struct sigaction* previous = nullptr);

// Becomes the recording thread. While another thread records, waits for it;
// a thread inside its own crash handler (faultContext set, the stop signal
// blocked) meanwhile publishes its registers itself when asked. Recursive
// when the calling thread is already recording.
HLYRecorderClaim HLYRecorderAcquire(HLYThreadList* list, const ucontext_t* faultContext);
void HLYRecorderRelease(HLYThreadList* list);
pid_t HLYRecorderCurrent(const HLYThreadList* list);
// Waits until no thread records, answering stop requests as above.
void HLYRecorderWaitUntilIdle(HLYThreadList* list, const ucontext_t* faultContext);

// Fills the slots with the process's threads (task order, at most 512);
// returns how many there are.
std::uint32_t HLYThreadListEnumerate(HLYThreadList* list);
// Stops every listed thread but `self`; waits at most `timeoutNanoseconds`
// in all for them to answer.
void HLYThreadListSuspendOthers(HLYThreadList* list, pid_t self, std::uint64_t timeoutNanoseconds);
void HLYThreadListResumeOthers(HLYThreadList* list);

} // namespace qlkit
