// crash-probe: a process that runs the crash-reporting kit and then crashes,
// or sends what earlier runs left behind.
//
//   crash-probe --dir FOLDER --url URL KIND
//   crash-probe --dir FOLDER --url URL send
//
// The per-user folders (home, caches, data, documents) are made inside
// FOLDER and every service endpoint is URL; the kit is started as an
// application starts it (Halyard::startWithAPIKey).
//
// KIND is segv, bus, ill, fpe, abrt, throw, stack-overflow, trap, assert (a
// failed assert), thread-overflow (a stack overflow on a std::thread named
// "probe-overflow") or qthread-overflow (the same on a QThread named
// "probe-qthread"). The probe prints "run-folder: PATH", sets the custom key
// "probe-kind" to KIND, logs a line, records an error, waits until the kit's
// main queue ran once (so no launch marker is left), starts three threads
// "probe-worker-1" to "probe-worker-3" that wait in probeWaitHere, and
// crashes in probeCrashHere on the main thread (the two overflow kinds on
// their own thread, while the main thread waits for it).
//
// send waits (at most 120 s) until every upload begun at this start has
// ended, restarts after retry answers included, then prints one line per
// report, "accepted PATH" or "failed PATH: ERROR", after a first line
// "started after SECONDS s with N uploads ended" written when the kit's start
// returned. Exit 0 when every upload was accepted (or none was begun), else 1.
#include "ProbeCrashes.h"
#include "ProbeSetUp.h"

#include "crash/kit/Halyard.h"
#include "crash/logging/HLYUserLogging.h"
#include "crash/reports/HLYInternalReport.h"
#include "sdk/foundation/Dispatch.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace {

constexpr double kSendLimit = 120.0;

int usage()
{
    std::fprintf(stderr, "usage: crash-probe --dir FOLDER --url URL "
                         "segv|bus|ill|fpe|abrt|throw|stack-overflow|trap|assert|thread-overflow|"
                         "qthread-overflow|send\n");
    return 2;
}

bool knownKind(const char* kind)
{
    for (const char* known : probe::kKinds)
        if (std::strcmp(kind, known) == 0)
            return true;
    return std::strcmp(kind, "send") == 0;
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

double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int send(const std::string& folder, const std::string& url)
{
    const auto start = std::chrono::steady_clock::now();
    const auto kit = probe::startHalyard(folder, url);
    if (!kit) {
        std::fprintf(stderr, "crash-probe: cannot start the kit in %s\n", folder.c_str());
        return 1;
    }
    const auto& controller = kit->crashReportingController();
    const auto& client = controller->networkClient();
    std::printf("started after %.1f s with %zu uploads ended\n", secondsSince(start), client->outcomes().size());
    std::fflush(stdout);
    // What the start queued (earlier reports, processing, prepared) runs on
    // the work queue, some of it after a turn of the main queue.
    controller->workQueue()->sync([] {});
    qlkit::mainQueue()->sync([] {});
    controller->workQueue()->sync([] {});
    const bool ended = client->waitForUploads(std::max(0.0, kSendLimit - secondsSince(start)));
    bool allAccepted = ended;
    for (const auto& outcome : client->outcomes()) {
        if (outcome.error) {
            allAccepted = false;
            std::printf("failed %s: %s\n", outcome.path.c_str(), outcome.error->describe().c_str());
        } else {
            std::printf("accepted %s\n", outcome.path.c_str());
        }
    }
    if (!ended)
        std::printf("unfinished: %zu uploads still running\n", client->uploadsInFlight());
    std::fflush(stdout);
    // The session's threads may still hold the last task: leave without
    // running static destructors under them.
    std::_Exit(allAccepted ? 0 : 1);
}

int crash(const std::string& folder, const std::string& url, const char* kind)
{
    const auto kit = probe::startHalyard(folder, url);
    const auto& controller = kit ? kit->crashReportingController() : nullptr;
    if (!controller || !controller->currentReport()) {
        std::fprintf(stderr, "crash-probe: cannot start the kit in %s\n", folder.c_str());
        return 1;
    }
    std::printf("run-folder: %s\n", controller->currentReport()->path().c_str());
    std::fflush(stdout);
    kit->setObjectValue(qlkit::Value(kind), "probe-kind");
    qlkit::HLYLogOnly("crash-probe about to crash: %s", kind);
    kit->recordError(qlkit::KitError {"org.quiverleaf.crash-probe", 42, qlkit::Map {{"kind", kind}}, {}});
    qlkit::mainQueue()->sync([] {});
    if (!probe::prepareCrash(kind, folder.c_str())) {
        std::fprintf(stderr, "crash-probe: cannot prepare the %s crash\n", kind);
        return 1;
    }
    startWorkers();
    probeCrashHere(kind);
    std::fprintf(stderr, "crash-probe: %s did not crash\n", kind);
    return 3;
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
    if (std::strcmp(kind, "send") == 0)
        return send(folder, url);
    return crash(folder, url, kind);
}
