// A page of 1,000 elements of all four kinds: building it, archiving it, and
// reading it back.
#include "canvas/ModelArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/Image.h"

#include <QCoreApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

constexpr int kElements = 1000;

std::unique_ptr<ZVCanvasView> buildPage()
{
    auto page = std::make_unique<ZVCanvasView>();
    ZVPuttyViewGroup* upper = page->addLayoutLayer(QStringLiteral("Upper"));
    QImage bitmap(16, 16, QImage::Format_RGB32);
    bitmap.fill(Qt::darkCyan);
    const ql::Image picture(bitmap);
    for (int i = 0; i < kElements; ++i) {
        std::unique_ptr<ZVPuttyView> element;
        switch (i % 4) {
        case 0: element = ZVPuttyView::initWithImage(picture); break;
        case 1: element = ZVPuttyView::initWithText(); break;
        case 2: element = ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 40, 40)), QStringLiteral("ring")); break;
        default: element = ZVPuttyView::initWith3DText(QStringLiteral("3D")); break;
        }
        if (i % 2)
            element->setLayoutLayerGroup(upper);
        element->setFrame(QRectF(i % 40 * 12.5, i / 40 * 20.0, 200, 150));
        page->addPuttyView(element.release());
    }
    return page;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_BuildPage(benchmark::State& state)
{
    for (auto _ : state) {
        auto page = buildPage();
        benchmark::DoNotOptimize(page.get());
        state.PauseTiming();
        page.reset();
        flushDeletes();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_BuildPage)->Unit(benchmark::kMillisecond);

void BM_ArchivePage(benchmark::State& state)
{
    const auto page = buildPage();
    qint64 bytes = 0;
    for (auto _ : state) {
        auto data = ql::canvas::archiveRootObject(page.get());
        bytes = data ? data->size() : 0;
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["archive_bytes"] = double(bytes);
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_ArchivePage)->Unit(benchmark::kMillisecond);

void BM_ReadPageBack(benchmark::State& state)
{
    const QByteArray data = *ql::canvas::archiveRootObject(buildPage().get());
    flushDeletes();
    for (auto _ : state) {
        auto page = ql::canvas::unarchiveRootObject<ZVCanvasView>(data);
        if (!page || (*page)->puttyViews().size() != kElements)
            state.SkipWithError("the page did not read back whole");
        state.PauseTiming();
        page = ql::Error {};
        flushDeletes();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kElements);
}
BENCHMARK(BM_ReadPageBack)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
