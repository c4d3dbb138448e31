#include "crash/capture/HLYSignal.h"

#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYHandler.h"
#include "crash/capture/HLYSDKLog.h"
#include "crash/capture/HLYThreadList.h"
#include "crash/capture/HLYUtilities.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <dlfcn.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace qlkit {

const int kHLYHandledSignals[7] = {SIGABRT, SIGBUS, SIGFPE, SIGILL, SIGSEGV, SIGSYS, SIGTRAP};

namespace {

constexpr std::uintptr_t kLowestPlausibleAddress = 4096;

template <class T>
T* plausibleOrNull(T* pointer)
{
    return std::uintptr_t(pointer) < kLowestPlausibleAddress ? nullptr : pointer;
}

bool onAlternateStack()
{
    stack_t current {};
    return sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_ONSTACK);
}

void recordSignal(const HLYContext* context, int signal, const siginfo_t* info, const ucontext_t* userContext,
                  int savedErrno)
{
    HLYFile file;
    if (!HLYFileInitWithPath(&file, context->signal.path, false)) {
        HLYSDKLog("%s: Unable to open signal file\n", "HLYSignalRecordSignal");
        return;
    }
    HLYFileWriteSectionStart(&file, "signal");
    HLYFileWriteHashStart(&file);
    if (info) {
        const char* name = nullptr;
        const char* codeName = nullptr;
        HLYSignalNameLookup(info->si_signo, &name, &codeName);
        HLYFileWriteHashEntryUInt64(&file, "number", std::uint64_t(std::int64_t(info->si_signo)));
        HLYFileWriteHashEntryUInt64(&file, "code", std::uint64_t(std::int64_t(info->si_code)));
        HLYFileWriteHashEntryUInt64(&file, "address", std::uint64_t(std::uintptr_t(info->si_addr)));
        HLYFileWriteHashEntryString(&file, "name", name);
        HLYFileWriteHashEntryString(&file, "code_name", codeName);
    }
    HLYFileWriteHashEntryUInt64(&file, "errno", std::uint64_t(std::int64_t(savedErrno)));
    HLYFileWriteHashEntryUInt64(&file, "time", std::uint64_t(time(nullptr)));
    HLYFileWriteHashEnd(&file);
    HLYFileWriteSectionEnd(&file);
    HLYHandler(&file, pid_t(gettid()), userContext);
    HLYFileClose(&file);
    (void)signal;
}

// A fault raised by an instruction happens again when the handler returns;
// a signal sent by kill, tgkill or abort, a breakpoint (the trap has already
// moved past it) and a refused system call do not, so they are sent again.
void deliverAgainIfNeeded(int signal, const siginfo_t* info)
{
    if (!info || info->si_code <= 0 || signal == SIGTRAP || signal == SIGSYS)
        syscall(SYS_tgkill, getpid(), gettid(), signal);
}

} // namespace

void HLYSignalNameLookup(int signal, const char** name, const char** codeName)
{
    const char* text = "UNKNOWN";
    switch (signal) {
    case SIGILL: text = "SIGILL"; break;
    case SIGTRAP: text = "SIGTRAP"; break;
    case SIGABRT: text = "SIGABRT"; break;
    case SIGFPE: text = "SIGFPE"; break;
    case SIGBUS: text = "SIGBUS"; break;
    case SIGSEGV: text = "SIGSEGV"; break;
    case SIGSYS: text = "SIGSYS"; break;
    default: break;
    }
    if (name)
        *name = text;
    if (codeName)
        *codeName = signal == SIGABRT ? "ABORT" : nullptr;
}

bool HLYSignalInstallAltStack(HLYSignalContext* context, void* stack, std::size_t size)
{
    if (!context || !stack)
        return false;
    stack_t ours {};
    ours.ss_sp = stack;
    ours.ss_size = size;
    stack_t previous {};
    if (sigaltstack(&ours, &previous) != 0) {
        HLYSDKLog("%s: Unable to setup stack %s\n", "HLYSignalInstallAltStack", HLYErrorText(errno));
        context->hasSavedStack = false;
        return false;
    }
    context->hasSavedStack = !(previous.ss_flags & SS_DISABLE) && previous.ss_sp;
    context->savedStack = previous;
    context->signalStackThread = pid_t(gettid());
    return true;
}

bool HLYSignalInitialize(HLYSignalContext* context)
{
    if (!context)
        return false;
    if (!HLYUnlinkIfExists(context->path))
        HLYSDKLog("%s: Unable to reset the signal log file %s\n", "HLYSignalInitialize", HLYErrorText(errno));
    context->hasSavedSuspend = HLYThreadListInstallSuspendHandler(&context->savedSuspend);
    bool installed = true;
    for (std::size_t index = 0; index < kHLYHandledSignalCount; ++index) {
        const int signal = kHLYHandledSignals[index];
        struct sigaction action {};
        action.sa_sigaction = HLYSignalHandler;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        // The stop signal waits while a thread handles its crash: such a
        // thread answers stop requests itself (HLYRecorderAcquire).
        sigaddset(&action.sa_mask, HLYThreadSuspendSignal());
        struct sigaction previous {};
        context->saved[index].present = false;
        if (sigaction(signal, &action, &previous) != 0) {
            HLYSDKLog("%s: Unable to install handler for %d (%s)\n", "HLYSignalInstallHandlers", signal,
                      HLYErrorText(errno));
            installed = false;
            continue;
        }
        if (previous.sa_handler != SIG_DFL) {
            context->saved[index].action = previous;
            context->saved[index].present = true;
        }
    }
    return installed;
}

void HLYSignalHandler(int signal, siginfo_t* info, void* userContext)
{
    const int savedErrno = errno;
    errno = 0;
    HLYSDKLog("%s: Signal: %d\n", "HLYSignalHandler", signal);

    sigset_t unblock;
    sigfillset(&unblock);
    sigdelset(&unblock, HLYThreadSuspendSignal());
    if (pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr) != 0)
        HLYSDKLog("%s: Unable to unmask signals - we risk infinite recursion here\n", "HLYSignalHandler");

    info = plausibleOrNull(info);
    auto* context = plausibleOrNull(static_cast<const ucontext_t*>(userContext));
    const HLYContext* shared = HLYContextShared();
    HLYWritableContext* writable = HLYWritableContextShared();
    if (shared && writable) {
        HLYThreadList* threads = &writable->threads;
        const pid_t self = pid_t(gettid());
        if (HLYContextMarkAndCheckIfCrashed()) {
            if (HLYRecorderCurrent(threads) == self) {
                HLYSDKLog("%s: Error: aborting signal handler because crash has already occurred", "HLYSignalRecordSignal");
                _exit(1);
            }
            // Another thread records a crash: wait, recorded as one of the
            // process's threads, until its report is complete.
            HLYRecorderWaitUntilIdle(threads, context);
        } else {
            if (HLYRecorderAcquire(threads, context) == HLYRecorderClaim::Recursive) {
                HLYSDKLog("%s: Error: aborting signal handler because crash has already occurred", "HLYSignalRecordSignal");
                _exit(1);
            }
            recordSignal(shared, signal, info, context, savedErrno);
            HLYSignalSafeInstallPreexistingHandlers(&shared->signal);
            HLYRecorderRelease(threads);
        }
    } else {
        HLYSignalSafeRemoveHandlers(true);
    }
    deliverAgainIfNeeded(signal, info);
    errno = savedErrno;
}

bool HLYSignalSafeRemoveHandlers(bool all)
{
    bool removed = true;
    for (std::size_t index = 0; index < kHLYHandledSignalCount; ++index) {
        const int signal = kHLYHandledSignals[index];
        if (!all && signal == SIGABRT)
            continue;
        struct sigaction action {};
        action.sa_handler = SIG_DFL;
        sigemptyset(&action.sa_mask);
        if (sigaction(signal, &action, nullptr) != 0) {
            HLYSDKLog("%s: Unable to set default handler for %d (%s)\n", "HLYSignalSafeRemoveHandlers", int(index),
                      HLYErrorText(errno));
            removed = false;
        }
    }
    return removed;
}

bool HLYSignalSafeInstallPreexistingHandlers(const HLYSignalContext* context)
{
    bool restored = HLYSignalSafeRemoveHandlers(true);
    if (!context)
        return false;
    // An alternate stack belongs to one thread, and cannot be changed while a
    // handler runs on it: the previous one is put back only on the thread that
    // had it, and only off the stack; either way the handlers are restored.
    if (context->hasSavedStack && context->signalStackThread == pid_t(gettid()) && !onAlternateStack()) {
        if (sigaltstack(&context->savedStack, nullptr) != 0) {
            HLYSDKLog("%s: Unable to setup stack %s\n", "HLYSignalSafeInstallPreexistingHandlers", HLYErrorText(errno));
            restored = false;
        }
    }
    for (std::size_t index = 0; index < kHLYHandledSignalCount; ++index) {
        if (!context->saved[index].present)
            continue;
        if (sigaction(kHLYHandledSignals[index], &context->saved[index].action, nullptr) != 0) {
            HLYSDKLog("%s: Unable to install handler for %d (%s)\n", "HLYSignalSafeInstallPreexistingHandlers",
                      int(index), HLYErrorText(errno));
            restored = false;
        }
    }
    return restored;
}

bool HLYSignalDeinit(const HLYSignalContext* context)
{
    if (!context)
        return false;
    bool restored = HLYSignalSafeInstallPreexistingHandlers(context);
    // A thread that had no alternate stack before gets none again.
    if (!context->hasSavedStack && context->signalStackThread == pid_t(gettid()) && !onAlternateStack()) {
        stack_t none {};
        none.ss_flags = SS_DISABLE;
        restored = sigaltstack(&none, nullptr) == 0 && restored;
    }
    if (context->hasSavedSuspend)
        restored = sigaction(HLYThreadSuspendSignal(), &context->savedSuspend, nullptr) == 0 && restored;
    return restored;
}

void HLYSignalEnumerateHandledSignals(const std::function<void(std::size_t, int)>& block)
{
    if (!block)
        return;
    for (std::size_t index = 0; index < kHLYHandledSignalCount; ++index)
        block(index, kHLYHandledSignals[index]);
}

void HLYSignalCheckHandlers()
{
    // Without a capture core (never set up, or taken down) nothing is ours.
    if (!HLYContextShared() || HLYContextIsDebuggerAttached())
        return;
    HLYSignalEnumerateHandledSignals([](std::size_t, int signal) { HLYSignalCheckHandler(signal); });
}

void HLYSignalCheckHandler(int signal)
{
    struct sigaction current {};
    if (sigaction(signal, nullptr, &current) != 0) {
        std::fputs("Unable to read signal handler\n", stderr);
        return;
    }
    if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == HLYSignalHandler)
        return;
    const void* handler = (current.sa_flags & SA_SIGINFO) ? reinterpret_cast<const void*>(current.sa_sigaction)
                                                          : reinterpret_cast<const void*>(current.sa_handler);
    const char* name = nullptr;
    HLYSignalNameLookup(signal, &name, nullptr);
    HLYDladdrWithBlock(handler, [&](const char* symbol, const char*) {
        std::fprintf(stderr, "[Halyard] The signal %s has a non-Halyard handler (%s).  This will interfer with reporting.\n",
                     name, symbol ? symbol : "(null)");
    });
}

} // namespace qlkit
