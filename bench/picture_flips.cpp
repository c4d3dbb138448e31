// Large scans past the decoding budget in the real window (offscreen),
// made row by row here: an RGBA PNG and an interlaced palette PNG of
// 20,000 × 18,000, a 16-bit grey PNG of 30,000², a 1-bit scan of
// 20,000 × 18,000, a palette TIFF of the same size in strips and a CMYK
// TIFF of that size in one strip.
// BM_Flip: the scan dropped, selected and flipped from the Arrange menu,
// timed from the menu item to the canvas having drawn the flipped picture;
// reported besides: the window's peak resident memory from the flip on
// (peak_MiB), the longest the window's event loop went without a turn
// meanwhile (stall_ms: how long it could not paint) and the states of the
// progress panel's indicator seen (progress_steps).
// BM_AdjustThenFlip: the 1-bit scan dropped and selected, its brightness
// typed in the Image inspector (timed to the repaint, peak in
// adjust_peak_MiB), then flipped (flip_s, flip_peak_MiB).
// BM_DropSixAndClick: the 1-bit scan dropped six times, each clicked; the
// peak from the first drop on, against that of one drop (one_peak_MiB).
// Target: each within the decoding budget plus the window's own, the flips
// showing their progress with the window painting throughout.
#include "PictureWindow.h"
#include "ProcessStatus.h"
#include "QtBenchmarkMain.h"
#include "support/GreyPicture.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

using ql::testing::SplitDepth;

struct Scan {
    const char* name;
    const char* file;
    QByteArray (*make)();
};

const Scan scans[] = {
    {"RGBA PNG 20000x18000", "scan.png",
     [] { return ql::testing::splitPng(QSize(20000, 18000), 10000, SplitDepth::Rgba8); }},
    {"interlaced palette PNG 20000x18000", "scan.png",
     [] { return ql::testing::interlacedClearSplitPng(QSize(20000, 18000), 10000); }},
    {"grey-16 PNG 30000^2", "scan.png",
     [] { return ql::testing::splitPng(QSize(30000, 30000), 15000, SplitDepth::Grey16); }},
    {"1-bit PNG 20000x18000", "scan.png",
     [] { return ql::testing::splitPng(QSize(20000, 18000), 6000, SplitDepth::OneBit); }},
    {"palette TIFF 20000x18000", "scan.tif",
     [] { return ql::testing::splitTiff(QSize(20000, 18000), 10000, SplitDepth::Palette8); }},
    {"CMYK TIFF 20000x18000", "scan.tif",
     [] { return ql::testing::splitTiff(QSize(20000, 18000), 10000, SplitDepth::Cmyk); }},
};
constexpr int kOneBit = 3;

const QString kFlip = QStringLiteral("Arrange/Flip Horizontal");

double seconds(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e9;
}

// The scan dropped on a new document's page and selected.
bool placed(benchmark::State& state, PictureWindow& window, const Scan& scan)
{
    state.SetLabel(scan.name);
    const QString path = window.write(scan.make(), QString::fromLatin1(scan.file));
    if (!window.newDocument() || !window.drop(path)) {
        state.SkipWithError("the scan was not placed");
        return false;
    }
    // Dropped, it is selected already: a click elsewhere first.
    window.clickEmptyPage();
    window.clickPicture();
    return true;
}

void BM_Flip(benchmark::State& state)
{
    PictureWindow window;
    if (!placed(state, window, scans[state.range(0)]))
        return;
    for (auto _ : state) {
        resetPeak();
        if (!window.choose(kFlip))
            return state.SkipWithError("no flip to choose");
        state.counters["peak_MiB"] = statusMiB("self", "VmHWM:");
        state.counters["stall_ms"] = window.longestStall();
        state.counters["progress_steps"] = window.progressSteps();
    }
    if (window.undrawnSteps() > 0)
        state.SkipWithError("the flip was not drawn");
}

void BM_AdjustThenFlip(benchmark::State& state)
{
    PictureWindow window;
    if (!placed(state, window, scans[kOneBit]))
        return;
    for (auto _ : state) {
        resetPeak();
        QElapsedTimer clock;
        clock.start();
        if (!window.typeInInspector(QStringLiteral("contentView.brightness"), QStringLiteral("0.3")))
            return state.SkipWithError("no brightness field");
        state.counters["adjust_s"] = seconds(clock);
        state.counters["adjust_peak_MiB"] = statusMiB("self", "VmHWM:");
        resetPeak();
        clock.restart();
        if (!window.choose(kFlip))
            return state.SkipWithError("no flip to choose");
        state.counters["flip_s"] = seconds(clock);
        state.counters["flip_peak_MiB"] = statusMiB("self", "VmHWM:");
        state.counters["flip_stall_ms"] = window.longestStall();
    }
    if (window.undrawnSteps() > 0)
        state.SkipWithError("a step was not drawn");
}

void BM_DropSixAndClick(benchmark::State& state)
{
    const Scan& scan = scans[kOneBit];
    state.SetLabel(scan.name);
    PictureWindow window;
    const QString path = window.write(scan.make(), QString::fromLatin1(scan.file));
    if (!window.newDocument())
        return state.SkipWithError("no window");
    for (auto _ : state) {
        resetPeak();
        for (int drop = 0; drop < 6; ++drop) {
            if (!window.drop(path))
                return state.SkipWithError("the scan was not placed");
            window.clickEmptyPage();
            window.clickPicture();
            if (drop == 0)
                state.counters["one_peak_MiB"] = statusMiB("self", "VmHWM:");
        }
        state.counters["peak_MiB"] = statusMiB("self", "VmHWM:");
        state.counters["resident_MiB"] = statusMiB("self", "VmRSS:");
    }
    if (window.undrawnSteps() > 0)
        state.SkipWithError("a step was not drawn");
}

void eachScan(benchmark::internal::Benchmark* bench)
{
    for (int i = 0; i < int(std::size(scans)); ++i)
        bench->Arg(i);
    bench->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
}

BENCHMARK(BM_Flip)->Apply(eachScan);
BENCHMARK(BM_AdjustThenFlip)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_DropSixAndClick)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
