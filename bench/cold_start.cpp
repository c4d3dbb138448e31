// Cold start: from starting the process to its first mapped window, found
// with `xdotool search --onlyvisible --pid`. Each program is started
// once untimed (caches, fonts, its settings folder), then timed five times;
// the median is reported. The peer layout program runs alike in the same
// run, without its splash screen, and the ratio is printed at the end.
//
//   xvfb-run -a build/debug/bench/cold_start
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kTimedStarts = 5;
std::map<std::string, double> medians;

// Seconds to the first mapped window of a fresh process, or a negative
// number when none came within a minute.
double timeToFirstWindow(const QString& program, const QStringList& arguments, const QString& home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess started;
    started.setProcessEnvironment(environment);
    started.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    started.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    started.start(program, arguments);
    if (!started.waitForStarted(10000))
        return -1;
    // The same search as `xdotool search --sync`, but tried every 20 ms:
    // --sync waits half a second between tries, coarser than what is measured.
    const QStringList query {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--pid"),
                             QString::number(started.processId())};
    bool found = false;
    while (!found && clock.elapsed() < 60000 && started.state() == QProcess::Running) {
        QProcess search;
        search.start(QStringLiteral("xdotool"), query);
        found = search.waitForFinished(10000) && search.exitCode() == 0;
        if (!found)
            QThread::msleep(20);
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    started.kill();
    started.waitForFinished(10000);
    return found ? seconds : -1;
}

void coldStart(benchmark::State& state, const std::string& name, const QString& program, const QStringList& arguments)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        state.SkipWithError("needs an X server: run under xvfb-run");
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()
        || (program.startsWith(QLatin1Char('/')) ? false : QStandardPaths::findExecutable(program).isEmpty())) {
        state.SkipWithError("xdotool or the program is missing");
        return;
    }
    QTemporaryDir home;
    if (timeToFirstWindow(program, arguments, home.path()) < 0) {
        state.SkipWithError("no window appeared");
        return;
    }
    std::vector<double> times;
    for (auto _ : state) {
        const double seconds = timeToFirstWindow(program, arguments, home.path());
        if (seconds < 0) {
            state.SkipWithError("no window appeared");
            return;
        }
        times.push_back(seconds);
        state.SetIterationTime(seconds);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    medians[name] = median;
    state.counters["median_ms"] = median * 1000;
}

void BM_ColdStartQuiverleaf(benchmark::State& state)
{
    coldStart(state, "quiverleaf", QStringLiteral(QUIVERLEAF_PROGRAM), {});
}
BENCHMARK(BM_ColdStartQuiverleaf)->Iterations(kTimedStarts)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ColdStartPeer(benchmark::State& state)
{
    coldStart(state, "peer", QStringLiteral("scribus"), {QStringLiteral("--no-splash")});
}
BENCHMARK(BM_ColdStartPeer)->Iterations(kTimedStarts)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (medians.count("quiverleaf") && medians.count("peer") && medians["peer"] > 0)
        std::printf("cold start median: %.0f ms, peer %.0f ms, ratio %.2f\n", medians["quiverleaf"] * 1000,
                    medians["peer"] * 1000, medians["quiverleaf"] / medians["peer"]);
    return 0;
}
