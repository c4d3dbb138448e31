// The crashing child of bench/crash_capture:
//
//   crash_capture_child THREADS kit|plain FOLDER
//
// Starts THREADS idle threads (and, with "kit", the crash reporter recording
// into FOLDER), writes the monotonic time in nanoseconds to standard output
// as 8 bytes, then faults.
#include "crash/capture/HLYContext.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

std::atomic<int> g_idle {0};

[[noreturn]] void idle()
{
    g_idle.fetch_add(1);
    for (;;)
        pause();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
        return 2;
    const int threads = std::atoi(argv[1]);
    const bool kit = std::strcmp(argv[2], "kit") == 0;
    const std::string folder = argv[3];

    rlimit noCore {0, 0}; // a core dump would dominate the time measured
    setrlimit(RLIMIT_CORE, &noCore);
    if (kit) {
        std::filesystem::create_directories(folder);
        qlkit::HLYContextInitData init;
        init.apiKey = "bench";
        init.reportFolder = folder.c_str();
        init.sessionIdentifier = "bench";
        init.installIdentifier = "bench";
        qlkit::HLYContextInitialize(&init);
    }
    for (int i = 0; i < threads; ++i)
        std::thread(idle).detach();
    while (g_idle.load() < threads)
        std::this_thread::sleep_for(std::chrono::microseconds(100));

    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const std::uint64_t stamp = std::uint64_t(now.tv_sec) * 1000000000ull + std::uint64_t(now.tv_nsec);
    if (write(STDOUT_FILENO, &stamp, sizeof stamp) != sizeof stamp)
        return 1;
    volatile int* volatile target = reinterpret_cast<int*>(0x10);
    *target = 1;
    return 3;
}
