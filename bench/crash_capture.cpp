// Crash capture cost: from the moment a child faults until its parent has
// reaped it, with the crash reporter and without, for 1, 16 and 64 idle
// threads; and the size of the report written. The difference between the
// two modes is the time the crash reporter adds to a crash.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::uint64_t monotonicNanoseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::uint64_t(now.tv_sec) * 1000000000ull + std::uint64_t(now.tv_nsec);
}

struct Crash {
    double seconds = 0;     // fault to reaped
    std::uint64_t reportBytes = 0;
    bool ok = false;
};

Crash crashChild(int threads, bool kit, const std::filesystem::path& folder)
{
    Crash crash;
    int pipes[2];
    if (pipe(pipes) != 0)
        return crash;
    const std::string threadText = std::to_string(threads);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipes[1], STDOUT_FILENO);
        close(pipes[0]);
        execl(CRASH_CAPTURE_CHILD, CRASH_CAPTURE_CHILD, threadText.c_str(), kit ? "kit" : "plain", folder.c_str(),
              nullptr);
        _exit(127);
    }
    close(pipes[1]);
    std::uint64_t faultedAt = 0;
    const bool stamped = read(pipes[0], &faultedAt, sizeof faultedAt) == sizeof faultedAt;
    int status = 0;
    waitpid(pid, &status, 0);
    const std::uint64_t reapedAt = monotonicNanoseconds();
    close(pipes[0]);
    crash.ok = stamped && WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV;
    crash.seconds = double(reapedAt - faultedAt) / 1e9;
    std::error_code ignored;
    crash.reportBytes = kit ? std::filesystem::file_size(folder / "signal.hlyrecord", ignored) : 0;
    return crash;
}

void faultToEnd(benchmark::State& state, bool kit)
{
    const int threads = int(state.range(0));
    const auto folder = std::filesystem::temp_directory_path() / ("crash-capture-bench-" + std::to_string(getpid()));
    std::uint64_t reportBytes = 0;
    for (auto _ : state) {
        std::filesystem::remove_all(folder);
        const Crash crash = crashChild(threads, kit, folder);
        if (!crash.ok) {
            state.SkipWithError("the child did not die of its fault");
            break;
        }
        state.SetIterationTime(crash.seconds);
        reportBytes = std::max(reportBytes, crash.reportBytes);
    }
    std::filesystem::remove_all(folder);
    state.counters["report_bytes"] = double(reportBytes);
}

void WithCrashReporter(benchmark::State& state) { faultToEnd(state, true); }
void WithoutCrashReporter(benchmark::State& state) { faultToEnd(state, false); }

} // namespace

BENCHMARK(WithoutCrashReporter)->Arg(1)->Arg(16)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(WithCrashReporter)->Arg(1)->Arg(16)->Arg(64)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

BENCHMARK_MAIN();
