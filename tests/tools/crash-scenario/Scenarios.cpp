#include "Scenarios.h"

#include "ProbeSetUp.h"
#include "crash/capture/HLYBinaryImage.h"
#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYException.h"
#include "crash/capture/HLYSignal.h"
#include "sdk/foundation/Dispatch.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <exception>
#include <functional>
#include <map>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern "C" [[gnu::noinline]] void scenarioFaultHere()
{
    volatile int* volatile target = reinterpret_cast<int*>(0x10);
    *target = 1;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
extern "C" [[gnu::noinline]] void scenarioRecurse(int depth)
{
    volatile char frame[256];
    frame[0] = char(depth);
    scenarioRecurse(depth + 1);
    frame[1] = frame[0];
}
#pragma GCC diagnostic pop

namespace scenario {
namespace {

std::string g_folder;

bool start(qlkit::HLYCrashCallbackTarget* callback = nullptr)
{
    const auto runFolder = probe::startCrashReporter(g_folder, "http://127.0.0.1:9", callback);
    if (!runFolder)
        return false;
    std::printf("run-folder: %s\n", runFolder->c_str());
    std::fflush(stdout);
    return true;
}

[[noreturn]] void sleepForever()
{
    for (;;)
        pause();
}

class FaultingCallback : public qlkit::HLYCrashCallbackTarget {
public:
    void deliverCrashDelegateCallback() override
    {
        volatile int* volatile target = reinterpret_cast<int*>(0x20);
        *target = 1;
    }
};

class AllocatingCallback : public qlkit::HLYCrashCallbackTarget {
public:
    static inline void* volatile kept = nullptr;

    void deliverCrashDelegateCallback() override
    {
        kept = std::malloc(64); // kept, so that the call cannot be optimised away
    }
};

int callbackAllocates()
{
    static AllocatingCallback callback;
    if (!start(&callback))
        return 1;
    scenarioFaultHere();
    return 3;
}

int callbackFault()
{
    static FaultingCallback callback;
    if (!start(&callback))
        return 1;
    scenarioFaultHere();
    return 3;
}

int twoThreads()
{
    if (!start())
        return 1;
    std::atomic<int> ready {0};
    auto fault = [&ready] {
        ready.fetch_add(1);
        while (ready.load() < 2) {
        }
        scenarioFaultHere();
    };
    std::thread first(fault);
    std::thread second(fault);
    first.join();
    second.join();
    return 3;
}

void foreignHandler(int, siginfo_t*, void*)
{
    const char line[] = "foreign handler ran\n";
    (void)!write(1, line, sizeof line - 1);
    _exit(42);
}

int foreign()
{
    struct sigaction action {};
    action.sa_sigaction = foreignHandler;
    action.sa_flags = SA_SIGINFO;
    sigaction(SIGSEGV, &action, nullptr);
    if (!start())
        return 1;
    scenarioFaultHere();
    return 3;
}

int waitForKill()
{
    if (!start())
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    sleepForever();
}

int images(const std::string& library)
{
    if (!start())
        return 1;
    void* handle = dlopen(library.c_str(), RTLD_NOW);
    if (!handle)
        return 1;
    qlkit::HLYBinaryImageRefresh();
    dlclose(handle);
    qlkit::HLYBinaryImageRefresh();
    // Opened after the last look: only the crash-time walk can find it.
    handle = dlopen(library.c_str(), RTLD_NOW);
    if (!handle)
        return 1;
    using Through = void (*)(void (*)());
    auto through = reinterpret_cast<Through>(dlsym(handle, "pluginCallThrough"));
    auto crash = reinterpret_cast<void (*)()>(dlsym(handle, "pluginCrashHere"));
    if (!through || !crash)
        return 1;
    through(crash);
    return 3;
}

int silentThread()
{
    if (!start())
        return 1;
    std::atomic<bool> blocked {false};
    std::thread silent([&blocked] {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_BLOCK, &all, nullptr);
        blocked = true;
        sleepForever();
    });
    silent.detach();
    while (!blocked)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    scenarioFaultHere();
    return 3;
}

int kitThreadOverflow()
{
    if (!start())
        return 1;
    qlkit::ConcurrentQueue::global()->async([] { scenarioRecurse(0); });
    sleepForever();
}

bool handlersInstalled()
{
    struct sigaction current {};
    sigaction(SIGSEGV, nullptr, &current);
    return (current.sa_flags & SA_SIGINFO) && current.sa_sigaction == qlkit::HLYSignalHandler;
}

int debugger()
{
    const pid_t child = fork();
    if (child < 0)
        return 1;
    if (child == 0) {
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0)
            _exit(4);
        raise(SIGSTOP);
        if (!start())
            _exit(1);
        std::printf("%s\n", handlersInstalled() ? "handlers" : "no-handlers");
        std::fflush(stdout);
        _exit(0);
    }
    // A tracer that lets every signal through.
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, 0) != child)
            return 1;
        if (WIFEXITED(status))
            return WEXITSTATUS(status);
        if (WIFSIGNALED(status))
            return 128 + WTERMSIG(status);
        const int signal = WSTOPSIG(status);
        ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(long(signal == SIGSTOP ? 0 : signal)));
    }
}

void foreignTerminate() { std::abort(); }

void foreignBusHandler(int) {}

int handlerCheck()
{
    if (!start())
        return 1;
    signal(SIGBUS, foreignBusHandler);
    qlkit::HLYSignalCheckHandlers();
    std::set_terminate(foreignTerminate);
    qlkit::HLYExceptionCheckHandlers();
    std::printf("terminate handler kept: %s\n", std::get_terminate() == foreignTerminate ? "yes" : "no");
    return 0;
}

int customExceptions()
{
    if (!start())
        return 1;
    std::vector<qlkit::HLYStackFrame> frames(2);
    frames[0].address = 0x1000;
    frames[0].symbol = "first";
    frames[0].offset = 16;
    frames[0].library = "libfirst.so";
    frames[0].fileName = "first.cpp";
    frames[0].lineNumber = 12;
    frames[1].address = 0x2000;
    for (int i = 0; i < 20; ++i) {
        const std::string name = "Custom " + std::to_string(i);
        qlkit::HLYExceptionRecord(qlkit::HLYExceptionTypeCustom, name.c_str(), "reason \"quoted\"",
                                  i == 0 ? &frames : nullptr, false);
    }
    return 0;
}

} // namespace

int run(const std::string& folder, const std::vector<std::string>& words)
{
    g_folder = folder;
    const std::map<std::string, std::function<int()>> scenarios {
        {"callback-fault", callbackFault},
        {"callback-allocates", callbackAllocates},
        {"two-threads", twoThreads},
        {"foreign-handler", foreign},
        {"wait-for-kill", waitForKill},
        {"images", [&] { return words.size() > 1 ? images(words[1]) : 2; }},
        {"silent-thread", silentThread},
        {"kit-thread-overflow", kitThreadOverflow},
        {"debugger", debugger},
        {"handler-check", handlerCheck},
        {"custom-exceptions", customExceptions},
    };
    const auto found = scenarios.find(words[0]);
    if (found == scenarios.end()) {
        std::fprintf(stderr, "crash-scenario: unknown scenario %s\n", words[0].c_str());
        return 2;
    }
    return found->second();
}

} // namespace scenario
