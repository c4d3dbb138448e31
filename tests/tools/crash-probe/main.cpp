// crash-probe: a process that runs the crash reporter and then crashes, for
// tests that check what a crash leaves behind.
//
//   crash-probe --dir FOLDER --url URL KIND
//
// KIND is segv, bus, ill, fpe, abrt, throw, stack-overflow or trap. The
// per-user folders (home, caches, data, documents) are made inside FOLDER and
// every service endpoint is URL. Before crashing, three threads named
// "probe-worker-1" to "probe-worker-3" wait in probeWaitHere; the crash
// happens in probeCrashHere on the main thread. The run's report folder is
// printed first, as "run-folder: PATH".
#include "ProbeCrashes.h"
#include "ProbeSetUp.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: crash-probe --dir FOLDER --url URL segv|bus|ill|fpe|abrt|throw|stack-overflow|trap\n");
    return 2;
}

bool knownKind(const char* kind)
{
    for (const char* known : probe::kKinds)
        if (std::strcmp(kind, known) == 0)
            return true;
    return false;
}

void startWorkers()
{
    for (int i = 1; i <= 3; ++i) {
        std::thread worker([] { probeWaitHere(); });
        const std::string name = "probe-worker-" + std::to_string(i);
        pthread_setname_np(worker.native_handle(), name.c_str());
        worker.detach();
    }
    while (probe::waitingThreads() < 3)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder;
    std::string url;
    const char* kind = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc)
            folder = argv[++i];
        else if (std::strcmp(argv[i], "--url") == 0 && i + 1 < argc)
            url = argv[++i];
        else if (!kind && argv[i][0] != '-')
            kind = argv[i];
        else
            return usage();
    }
    if (folder.empty() || url.empty() || !kind || !knownKind(kind))
        return usage();

    const auto runFolder = probe::startCrashReporter(folder, url);
    if (!runFolder) {
        std::fprintf(stderr, "crash-probe: cannot set up the crash reporter in %s\n", folder.c_str());
        return 1;
    }
    std::printf("run-folder: %s\n", runFolder->c_str());
    std::fflush(stdout);
    if (!probe::prepareCrash(kind, folder.c_str())) {
        std::fprintf(stderr, "crash-probe: cannot prepare the %s crash\n", kind);
        return 1;
    }
    startWorkers();
    probeCrashHere(kind);
    std::fprintf(stderr, "crash-probe: %s did not crash\n", kind);
    return 3;
}
