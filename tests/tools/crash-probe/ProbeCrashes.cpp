// The assert kind needs assert in every build.
#undef NDEBUG
#include "ProbeCrashes.h"

#include <atomic>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <stdexcept>
#include <string>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<int> g_waiting {0};
volatile char* g_pastMappedFile = nullptr;

} // namespace

extern "C" [[gnu::noinline]] void probeWaitHere()
{
    g_waiting.fetch_add(1);
    for (;;)
        pause();
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
extern "C" [[gnu::noinline]] void probeCrashHere(const char* kind)
{
    if (std::strcmp(kind, "segv") == 0) {
        volatile int* volatile target = reinterpret_cast<int*>(0x10);
        *target = 1;
    } else if (std::strcmp(kind, "bus") == 0) {
        *g_pastMappedFile = 1;
    } else if (std::strcmp(kind, "ill") == 0) {
        __builtin_trap();
    } else if (std::strcmp(kind, "fpe") == 0) {
        // The division itself, so that no compiler or sanitizer sees it coming.
        int dividend = 7;
        const int zero = 0;
        __asm__ volatile("cltd\n\tidivl %[divisor]" : "+a"(dividend) : [divisor] "r"(zero) : "edx", "cc");
    } else if (std::strcmp(kind, "abrt") == 0) {
        std::abort();
    } else if (std::strcmp(kind, "throw") == 0) {
        throw std::runtime_error("probe");
    } else if (std::strcmp(kind, "stack-overflow") == 0) {
        volatile char frame[256];
        frame[0] = kind[0];
        probeCrashHere(kind);
        frame[1] = frame[0]; // keeps the call from becoming a jump
    } else if (std::strcmp(kind, "trap") == 0) {
        __asm__ volatile("int3");
    } else if (std::strcmp(kind, "assert") == 0) {
        const bool probeHolds = false;
        assert(probeHolds && "the probe's assertion");
    } else if (std::strcmp(kind, "thread-overflow") == 0) {
        std::thread overflow([] {
            pthread_setname_np(pthread_self(), "probe-overflow");
            probeCrashHere("stack-overflow");
        });
        overflow.join();
    } else if (std::strcmp(kind, "qthread-overflow") == 0) {
        probe::overflowOnQThread();
    }
}
#pragma GCC diagnostic pop

namespace probe {

bool prepareCrash(const char* kind, const char* folder)
{
    if (std::strcmp(kind, "bus") != 0)
        return true;
    // A one-byte file mapped two pages long: the second page lies wholly
    // past the end of the file.
    const std::string path = std::string(folder) + "/bus-file";
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0 || ::write(descriptor, "x", 1) != 1)
        return false;
    const long page = sysconf(_SC_PAGESIZE);
    void* mapping = mmap(nullptr, std::size_t(2 * page), PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    ::close(descriptor);
    if (mapping == MAP_FAILED)
        return false;
    g_pastMappedFile = static_cast<volatile char*>(mapping) + page;
    return true;
}

int waitingThreads() { return g_waiting.load(); }

} // namespace probe
