#include "crash/capture/HLYThreadList.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYUtilities.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace qlkit {
namespace {

// A parked thread looks at its slot again at least this often.
constexpr std::uint64_t kParkRecheckNanoseconds = 10'000'000;

template <class Word>
void futexWait(Word* word, std::uint32_t expected, std::uint64_t timeoutNanoseconds)
{
    static_assert(sizeof(Word) == 4, "futex words are 32 bits");
    timespec timeout {};
    timeout.tv_sec = time_t(timeoutNanoseconds / 1000000000ull);
    timeout.tv_nsec = long(timeoutNanoseconds % 1000000000ull);
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected,
            timeoutNanoseconds ? &timeout : nullptr, nullptr, 0);
}

template <class Word>
void futexWake(Word* word)
{
    static_assert(sizeof(Word) == 4, "futex words are 32 bits");
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

HLYThreadList* sharedList()
{
    HLYWritableContext* writable = HLYWritableContextShared();
    return writable ? &writable->threads : nullptr;
}

HLYThreadSlot* findSlot(HLYThreadList* list, pid_t tid)
{
    const std::uint32_t count = list->count.load(std::memory_order_acquire);
    for (std::uint32_t i = 0; i < count && i < kHLYMaxThreads; ++i)
        if (list->slots[i].tid.load(std::memory_order_acquire) == tid)
            return &list->slots[i];
    return nullptr;
}

// Answers a stop request: registers into the slot, then wait to be let go.
void stopInSlot(HLYThreadSlot* slot, const ucontext_t* context)
{
    if (context)
        std::memcpy(slot->registers, context->uc_mcontext.gregs, sizeof slot->registers);
    else
        std::memset(slot->registers, 0, sizeof slot->registers);
    std::uint32_t expected = HLYThreadSlotRequested;
    if (!slot->state.compare_exchange_strong(expected, HLYThreadSlotStopped))
        return; // the recorder gave up on us
    futexWake(&slot->state);
    while (slot->state.load() == HLYThreadSlotStopped)
        futexWait(&slot->state, HLYThreadSlotStopped, 0);
}

void suspendHandler(int, siginfo_t*, void* userContext)
{
    const int savedErrno = errno;
    HLYThreadList* list = sharedList();
    if (list) {
        HLYThreadSlot* slot = findSlot(list, pid_t(gettid()));
        if (slot && slot->state.load() == HLYThreadSlotRequested)
            stopInSlot(slot, static_cast<const ucontext_t*>(userContext));
    }
    errno = savedErrno;
}

// Waits while another thread records. A thread inside its crash handler
// cannot take the stop signal, so it looks for a request in its slot itself.
void parkWhileRecording(HLYThreadList* list, const ucontext_t* faultContext)
{
    const pid_t self = pid_t(gettid());
    for (;;) {
        const pid_t owner = list->recorder.load();
        if (owner == 0 || owner == self)
            return;
        if (faultContext) {
            HLYThreadSlot* slot = findSlot(list, self);
            if (slot && slot->state.load() == HLYThreadSlotRequested) {
                stopInSlot(slot, faultContext);
                continue;
            }
        }
        futexWait(&list->recorder, std::uint32_t(owner), kParkRecheckNanoseconds);
    }
}

} // namespace

int HLYThreadSuspendSignal() { return SIGRTMIN + 6; }

bool HLYThreadListInstallSuspendHandler(struct sigaction* previous)
{
    struct sigaction action {};
    action.sa_sigaction = suspendHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    return sigaction(HLYThreadSuspendSignal(), &action, previous) == 0;
}

HLYRecorderClaim HLYRecorderAcquire(HLYThreadList* list, const ucontext_t* faultContext)
{
    const pid_t self = pid_t(gettid());
    for (;;) {
        pid_t expected = 0;
        if (list->recorder.compare_exchange_strong(expected, self))
            return HLYRecorderClaim::Acquired;
        if (expected == self)
            return HLYRecorderClaim::Recursive;
        parkWhileRecording(list, faultContext);
    }
}

void HLYRecorderRelease(HLYThreadList* list)
{
    list->recorder.store(0);
    futexWake(&list->recorder);
}

pid_t HLYRecorderCurrent(const HLYThreadList* list) { return list->recorder.load(); }

void HLYRecorderWaitUntilIdle(HLYThreadList* list, const ucontext_t* faultContext)
{
    parkWhileRecording(list, faultContext);
}

std::uint32_t HLYThreadListEnumerate(HLYThreadList* list)
{
    list->count.store(0, std::memory_order_release);
    const int directory = ::open("/proc/self/task", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory < 0)
        return 0;
    std::uint32_t count = 0;
    alignas(8) char entries[4096];
    for (;;) {
        const long got = syscall(SYS_getdents64, directory, entries, sizeof entries);
        if (got <= 0)
            break;
        for (long offset = 0; offset < got;) {
            // struct linux_dirent64: inode, offset, record length, type, name
            std::uint16_t length = 0;
            std::memcpy(&length, entries + offset + 16, sizeof length);
            const char* name = entries + offset + 19;
            offset += length ? length : got;
            if (name[0] < '0' || name[0] > '9' || count >= kHLYMaxThreads)
                continue;
            pid_t tid = 0;
            for (const char* digit = name; *digit >= '0' && *digit <= '9'; ++digit)
                tid = tid * 10 + (*digit - '0');
            list->slots[count].state.store(HLYThreadSlotIdle);
            list->slots[count].tid.store(tid);
            ++count;
        }
    }
    ::close(directory);
    for (std::uint32_t i = count; i < kHLYMaxThreads; ++i)
        list->slots[i].tid.store(0);
    list->count.store(count, std::memory_order_release);
    return count;
}

void HLYThreadListSuspendOthers(HLYThreadList* list, pid_t self, std::uint64_t timeoutNanoseconds)
{
    const pid_t process = getpid();
    const std::uint32_t count = list->count.load();
    for (std::uint32_t i = 0; i < count; ++i) {
        HLYThreadSlot& slot = list->slots[i];
        const pid_t tid = slot.tid.load();
        if (tid == self)
            continue;
        slot.state.store(HLYThreadSlotRequested);
        if (syscall(SYS_tgkill, process, tid, HLYThreadSuspendSignal()) != 0)
            slot.state.store(HLYThreadSlotSilent); // gone meanwhile
    }
    // Threads parked in their own crash handlers look at their slots now.
    futexWake(&list->recorder);

    const std::uint64_t deadline = HLYMonotonicNanoseconds() + timeoutNanoseconds;
    for (std::uint32_t i = 0; i < count; ++i) {
        HLYThreadSlot& slot = list->slots[i];
        while (slot.state.load() == HLYThreadSlotRequested) {
            const std::uint64_t now = HLYMonotonicNanoseconds();
            if (now >= deadline) {
                std::uint32_t expected = HLYThreadSlotRequested;
                slot.state.compare_exchange_strong(expected, HLYThreadSlotSilent);
                break;
            }
            futexWait(&slot.state, HLYThreadSlotRequested, deadline - now);
        }
    }
}

void HLYThreadListResumeOthers(HLYThreadList* list)
{
    const std::uint32_t count = list->count.load();
    for (std::uint32_t i = 0; i < count; ++i) {
        HLYThreadSlot& slot = list->slots[i];
        std::uint32_t expected = HLYThreadSlotStopped;
        if (slot.state.compare_exchange_strong(expected, HLYThreadSlotResumed))
            futexWake(&slot.state);
    }
}

} // namespace qlkit
