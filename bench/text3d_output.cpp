// 3D text in output and on the canvas. A Letter page of 250 small 3D texts
// written as a PDF (time, and the file's size as a counter; target under
// 5 s and 5 MB), then the same page as a 150-dpi bitmap. And the pictures
// the canvas keeps: drawing a 1,000-element page (250 of them 3D text)
// again at the same zoom, as a thumbnail does, against drawing it at a new
// zoom where every 3D text is rendered anew.
#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/output/PdfOutput.h"
#include "app/output/SheetBitmap.h"
#include "app/output/SheetDocument.h"
#include "canvas/painting/ElementPainter.h"
#include "Text3DPages.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

ZVCanvasView& pageOf(int text3d, int others)
{
    static ql::Document document;
    ZVCanvasView* page = document.newPage();
    document.contentPages().append(page);
    fillText3DPage(*page, text3d, others);
    return *page;
}

void BM_PdfOf250Small3DTexts(benchmark::State& state)
{
    ZVCanvasView& page = pageOf(250, 0);
    const ql::SheetDocument sheets = ql::documentForPages({&page});
    qsizetype bytes = 0;
    for (auto _ : state) {
        const ql::Result<QByteArray> pdf = ql::pdfData(sheets, ql::ZVDesignHelper::sharedInstance());
        bytes = pdf ? pdf->size() : -1;
    }
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_PdfOf250Small3DTexts)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BitmapOf250Small3DTexts(benchmark::State& state)
{
    ZVCanvasView& page = pageOf(250, 0);
    const ql::SheetDocument sheets = ql::documentForPages({&page});
    for (auto _ : state)
        benchmark::DoNotOptimize(ql::imageForSheet(sheets.page(0), ql::ZVDesignHelper::sharedInstance(), 150, 0));
}
BENCHMARK(BM_BitmapOf250Small3DTexts)->Unit(benchmark::kMillisecond)->Iterations(3);

// The page's elements into a picture of the page at `scale` pixels a point.
void drawPage(const ZVCanvasView& page, double scale)
{
    QImage image((page.frame().size() * scale).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    for (const ZVPuttyView* element : page.puttyViews())
        ql::ElementPainter::paint(painter, *element);
}

void BM_ThousandElementsKeptPictures(benchmark::State& state)
{
    const ZVCanvasView& page = pageOf(250, 750);
    drawPage(page, 1.0);
    for (auto _ : state)
        drawPage(page, 1.0);
}
BENCHMARK(BM_ThousandElementsKeptPictures)->Unit(benchmark::kMillisecond);

void BM_ThousandElementsNewZoom(benchmark::State& state)
{
    const ZVCanvasView& page = pageOf(250, 750);
    double scale = 1.0;
    for (auto _ : state) {
        // Each time a zoom no picture was kept for.
        scale += 0.01;
        drawPage(page, scale);
    }
}
BENCHMARK(BM_ThousandElementsNewZoom)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
