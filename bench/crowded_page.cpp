// Peak memory of a crowded page: one Letter page of 10,000 or 30,000 small
// text boxes opened in the real window (offscreen, 1400 × 1000, "100%",
// scrolled to the page's end and back), and the 10,000 boxes exported by
// page-render as PDF and as PNG at 300 dpi. Each runs in a child process of
// its own, whose peak resident memory (from wait4) is the `peak_MB`
// counter; the time is the child's wall time. Targets: the window under
// 400 MB for 10,000 boxes and 1 GB for 30,000; page-render under 300 MB.
//
// page-render is taken from ../tools beside this program, so a copy of an
// older build (bench/ and tools/ side by side) measures that build.
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/view/ZVScrollView.h"
#include "QtBenchmarkMain.h"
#include "QuietController.h"
#include "ScalePage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct ChildRun {
    bool ok = false;
    double seconds = 0;
    double peakMB = 0;
};

ChildRun runChild(const QString& program, const QStringList& arguments)
{
    std::vector<QByteArray> words {QFile::encodeName(program)};
    for (const QString& argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ChildRun run;
    QElapsedTimer clock;
    clock.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    rusage usage {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.peakMB = double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// The crowded pages, written once per run by a child: a child's peak counts
// the memory of the process it was started from, which must stay small.
QString scalePage(int count)
{
    static QTemporaryDir folder;
    static std::map<int, QString> written;
    if (const auto found = written.find(count); found != written.end())
        return found->second;
    const QString path = folder.filePath(QStringLiteral("page-%1.qvleaf").arg(count));
    if (!runChild(QCoreApplication::applicationFilePath(), {QStringLiteral("--write"), QString::number(count), path}).ok)
        return {};
    return written[count] = path;
}

std::map<std::string, double> g_peaks;

void report(benchmark::State& state, const std::string& name, const QString& program, const QStringList& arguments)
{
    double peak = 0;
    for (auto _ : state) {
        const ChildRun run = runChild(program, arguments);
        if (!run.ok) {
            state.SkipWithError("the child failed");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.peakMB);
    }
    state.counters["peak_MB"] = peak;
    g_peaks[name] = peak;
}

void BM_WindowPeak(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QString path = scalePage(count);
    if (path.isEmpty())
        return state.SkipWithError("cannot write the page");
    report(state, QStringLiteral("window, %1 boxes").arg(count).toStdString(), QCoreApplication::applicationFilePath(),
           {QStringLiteral("--window"), path});
}
BENCHMARK(BM_WindowPeak)->Arg(10000)->Arg(30000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_PageRenderPeak(benchmark::State& state, const char* format)
{
    const QString render = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../tools/page-render"));
    const QString path = scalePage(10000);
    if (path.isEmpty())
        return state.SkipWithError("cannot write the page");
    QTemporaryDir out;
    report(state, std::string("page-render, 10000 boxes, ") + format + " at 300 dpi", render,
           {path, out.path(), QStringLiteral("--format"), QString::fromLatin1(format), QStringLiteral("--dpi"),
            QStringLiteral("300")});
}
BENCHMARK_CAPTURE(BM_PageRenderPeak, pdf, "pdf")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_CAPTURE(BM_PageRenderPeak, png, "png")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The child: opens the page as the program does and shows all of it.
int showInWindow(const QString& path)
{
    QuietController quiet;
    const ql::Result<ql::Document*> opened = quiet.controller.openDocumentWithContentsOfFile(path);
    auto* window = opened ? qobject_cast<ql::DocumentWindow*>((*opened)->documentWindow()) : nullptr;
    if (!window)
        return 1;
    const auto settle = [] {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    };
    window->resize(1400, 1000);
    window->show();
    settle();
    (*opened)->setValueForKey(u"scrollMag", QStringLiteral("100%"));
    settle();
    QScrollBar* bar = window->scrollView()->verticalScrollBar();
    for (const int to : {bar->maximum(), bar->minimum()}) {
        bar->setValue(to);
        window->scrollView()->viewport()->repaint();
        settle();
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--window") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return showInWindow(QString::fromLocal8Bit(argv[2]));
    }
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return writeScalePage(QByteArray(argv[2]).toInt(), QString::fromLocal8Bit(argv[3])) ? 0 : 1;
    }
    const int result = runQtBenchmarks<QApplication>(argc, argv);
    for (const auto& [name, peak] : g_peaks)
        std::printf("%s: %.0f MB peak\n", name.c_str(), peak);
    return result;
}
