// A large scan on a page of the real window (offscreen), selected as a user
// selects it: 1-bit PNGs of 16,384², 15,000 × 20,000 and 30,000², 8- and
// 16-bit grey and palette PNGs, made row by row here, and a 640 × 480 photo
// for comparison; each dropped from a file manager (BM_DropAndClick), in
// a document saved and opened again (BM_OpenAndClick), or two of them in
// such a document, clicked in turn (BM_OpenTwoAndClickInTurn). Reported: the
// window's peak resident memory from the drop or the opening through the
// picture's first selection drawn (peak_MiB; the window alone before it in
// base_MiB), the pictures decoded from stored bytes per click, and the time
// of a click that selects the picture, from the press to the canvas having
// drawn it selected, the Image inspector shown with its effect thumbnails.
// Target: the peak within the decoding budget plus the window's own (well
// under 700 MB), and a click on a large scan costing what one on the photo
// costs.
#include "PictureWindow.h"
#include "ProcessStatus.h"
#include "QtBenchmarkMain.h"
#include "platform/graphics/StoredBitmap.h"
#include "support/GreyPicture.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <benchmark/benchmark.h>
#include <optional>

namespace {

using ql::testing::SplitDepth;

struct Picture {
    const char* name;
    QSize size;
    std::optional<SplitDepth> depth; // none: the photo
};

const Picture pictures[] = {
    {"photo 640x480", QSize(640, 480), std::nullopt},
    {"1-bit 16384^2", QSize(16384, 16384), SplitDepth::OneBit},
    {"1-bit 15000x20000", QSize(15000, 20000), SplitDepth::OneBit},
    {"1-bit 30000^2", QSize(30000, 30000), SplitDepth::OneBit},
    {"grey-8 16384^2", QSize(16384, 16384), SplitDepth::Grey8},
    {"grey-16 17000^2", QSize(17000, 17000), SplitDepth::Grey16},
    {"palette 16384^2", QSize(16384, 16384), SplitDepth::Palette8},
    {"palette 30000^2", QSize(30000, 30000), SplitDepth::Palette8},
};

QByteArray pictureBytes(const Picture& picture)
{
    if (picture.depth)
        return ql::testing::splitPng(picture.size, picture.size.width() / 2, *picture.depth);
    QImage photo(picture.size, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x)
            line[x] = qRgb(x * 255 / photo.width(), y * 255 / photo.height(), (x / 40 + y / 40) % 2 ? 200 : 60);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "PNG");
    return bytes;
}

// Times clicks that select the picture, each after an untimed click on the
// empty page; the peak from `arrive` (which brings the picture) on.
template <class Arrive>
void timeClicks(benchmark::State& state, PictureWindow& window, Arrive arrive)
{
    state.SetLabel(pictures[state.range(0)].name);
    state.counters["base_MiB"] = statusMiB("self", "VmRSS:");
    resetPeak();
    if (!arrive()) {
        state.SkipWithError("the picture did not come");
        return;
    }
    window.clickEmptyPage();
    window.clickPicture();
    state.counters["peak_MiB"] = statusMiB("self", "VmHWM:");
    const quint64 decodes = ql::StoredBitmap::decodeCount();
    bool deselected = true;
    for (auto _ : state) {
        state.PauseTiming();
        window.clickEmptyPage();
        deselected = deselected && !window.picture()->isActive();
        state.ResumeTiming();
        window.clickPicture();
    }
    if (!deselected || !window.picture()->isActive() || window.undrawnSteps() > 0)
        return state.SkipWithError("the clicks did not deselect and select the picture, each drawn");
    state.counters["decodes_per_click"] =
        benchmark::Counter(double(ql::StoredBitmap::decodeCount() - decodes), benchmark::Counter::kAvgIterations);
}

void BM_DropAndClick(benchmark::State& state)
{
    PictureWindow window;
    const QString path = window.write(pictureBytes(pictures[state.range(0)]), QStringLiteral("scan.png"));
    if (!window.newDocument())
        return state.SkipWithError("no window");
    timeClicks(state, window, [&] { return window.drop(path); });
}

void BM_OpenAndClick(benchmark::State& state)
{
    PictureWindow window;
    const QString picture = window.write(pictureBytes(pictures[state.range(0)]), QStringLiteral("scan.png"));
    const QString document = window.write({}, QStringLiteral("scan.qvleaf"));
    if (!window.newDocument() || !window.drop(picture) || !window.saveAndClose(document))
        return state.SkipWithError("the document with the picture was not saved");
    timeClicks(state, window, [&] { return window.open(document) && window.picture(); });
}

// Two such pictures in a document opened again, clicked in turn: each
// click shows the other one's inspector.
void BM_OpenTwoAndClickInTurn(benchmark::State& state)
{
    PictureWindow window;
    const QByteArray bytes = pictureBytes(pictures[state.range(0)]);
    // Bytes apart, so that opening does not share one decoding between them.
    const QString one = window.write(bytes, QStringLiteral("scan.png"));
    const QString other = window.write(bytes + QByteArray(1, '\0'), QStringLiteral("scan-2.png"));
    const QString document = window.write({}, QStringLiteral("scans.qvleaf"));
    if (!window.newDocument() || !window.drop(one) || !window.drop(other, kSecond) || !window.saveAndClose(document))
        return state.SkipWithError("the document with the pictures was not saved");
    state.SetLabel(pictures[state.range(0)].name);
    state.counters["base_MiB"] = statusMiB("self", "VmRSS:");
    resetPeak();
    if (!window.open(document))
        return state.SkipWithError("the document did not open");
    window.clickPicture(kSecond);
    window.clickPicture(kFirst);
    state.counters["peak_MiB"] = statusMiB("self", "VmHWM:");
    const quint64 decodes = ql::StoredBitmap::decodeCount();
    bool second = true;
    for (auto _ : state) {
        window.clickPicture(second ? kSecond : kFirst);
        second = !second;
    }
    if (!window.picture(second)->isActive() || window.undrawnSteps() > 0)
        return state.SkipWithError("the clicks did not select the pictures, each drawn");
    state.counters["decodes_per_click"] =
        benchmark::Counter(double(ql::StoredBitmap::decodeCount() - decodes), benchmark::Counter::kAvgIterations);
}

void allPictures(benchmark::internal::Benchmark* bench)
{
    for (int i = 0; i < int(std::size(pictures)); ++i)
        bench->Arg(i);
    bench->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
}

BENCHMARK(BM_DropAndClick)->Apply(allPictures);
BENCHMARK(BM_OpenAndClick)->Apply(allPictures);
BENCHMARK(BM_OpenTwoAndClickInTurn)->Apply(allPictures);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
