// Rendering an EAN-13 to an image at the code browser's bar scale (20) and at
// bar scale 1, beside zint rendering the same number to PNG in the same run.
// zint runs as a child process, so its bare start-up is measured as well.
#include "codes/barcodes/BCCodeRenderer.h"
#include "codes/barcodes/BCEAN13Code.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include "QtBenchmarkMain.h"

extern char** environ;

namespace {

const QString Number = QStringLiteral("9780306406157");

void renderEAN13(benchmark::State& state)
{
    const auto code = std::move(ql::BCEAN13Code::create(Number)).value();
    const ql::BCRenderOptions options{{ql::BCCodeDrawingBarScale, double(state.range(0))}};
    const ql::BCCodeRenderer renderer;
    for (auto _ : state) {
        QImage image = renderer.imageWithBarCode(code.get(), options);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Make and render, as the code browser does for each number typed.
void makeAndRenderEAN13(benchmark::State& state)
{
    const ql::BCRenderOptions options{{ql::BCCodeDrawingBarScale, double(state.range(0))}};
    const ql::BCCodeRenderer renderer;
    for (auto _ : state) {
        const auto code = std::move(ql::BCEAN13Code::create(Number)).value();
        QImage image = renderer.imageWithBarCode(code.get(), options);
        benchmark::DoNotOptimize(image.constBits());
    }
}

int runProcess(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// zint's scale 1 draws 2 pixels per module, so 10 is bar scale 20 and 0.5 is 1.
void zintEAN13(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string out = dir.filePath(QStringLiteral("zint.png")).toStdString();
    const std::string scale = state.range(0) == 20 ? "10" : "0.5";
    for (auto _ : state) {
        if (runProcess({"zint", "--barcode=13", "--data=" + Number.left(12).toStdString(), "--scale=" + scale, "--output=" + out}) != 0)
            state.SkipWithError("zint failed");
    }
}

void zintStartUp(benchmark::State& state)
{
    for (auto _ : state)
        runProcess({"zint", "--version"}); // prints one line per run
}

} // namespace

BENCHMARK(renderEAN13)->Arg(20)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(makeAndRenderEAN13)->Arg(20)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(zintEAN13)->Arg(20)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(zintStartUp)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
