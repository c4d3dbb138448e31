// Output. A 300-dpi Letter page (2550 × 3300 pixels) of shapes written as
// PNG, next to plain single-thread zlib (compress2) deflating the same RGB
// rows; the PNG writer deflates bands of rows on all cores, so it should
// take at most half that time (wall-clock ratio printed at the end). And twenty Letter
// pages, each with five long text frames, ten turned rectangles and a
// 1600 × 1200 JPEG picture, written as one PDF; its peer is Scribus 1.5.8
// exporting the same pages built by its scripter, run by hand, not in CI.
// And sixty such pages showing twenty photos three times over, as one PDF
// (its size reported too): each photo is stored in it once.
#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/output/BitmapWriters.h"
#include "app/output/PdfOutput.h"
#include "app/output/SheetDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"
#include "MedianReporter.h"
#include "TwentyPages.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <vector>
#include <zlib.h>

namespace {

ql::SheetBitmap letterPage()
{
    static ql::Document document;
    ZVCanvasView* page = document.newPage();
    document.contentPages().append(page);
    for (int i = 0; i < 10; ++i) {
        ZVPuttyView* element = ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 10, 10)),
                                                           QStringLiteral("circle"))
                                   .release();
        element->setFrame(QRectF(60 + 40 * i, 80 + 60 * i, 200, 120).adjusted(-40, -40, 40, 40));
        page->addPuttyView(element);
        auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
        shape->backgroundView()->setBackgroundColor(
            QVariant::fromValue(ql::Color::deviceRgb(0.1 * i, 0.5, 1.0 - 0.1 * i)));
        shape->backgroundView()->setBackgroundType(1);
    }
    const ql::SheetDocument sheets = ql::documentForPages({page});
    return ql::imageForSheet(sheets.page(0), ql::ZVDesignHelper::sharedInstance(), 300, 0).value();
}

const ql::SheetBitmap& page()
{
    static const ql::SheetBitmap bitmap = letterPage();
    return bitmap;
}

std::vector<uchar> rgbRows(const ql::SheetBitmap& bitmap)
{
    std::vector<uchar> rows;
    rows.reserve(size_t(bitmap.width()) * size_t(bitmap.height()) * 3 + size_t(bitmap.height()));
    for (int y = 0; y < bitmap.height(); ++y) {
        rows.push_back(0); // PNG's filter byte
        const auto* line = reinterpret_cast<const QRgb*>(bitmap.pixels.constScanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            rows.push_back(uchar(qRed(line[x])));
            rows.push_back(uchar(qGreen(line[x])));
            rows.push_back(uchar(qBlue(line[x])));
        }
    }
    return rows;
}

void PngOfLetterPageAt300Dpi(benchmark::State& state)
{
    const ql::SheetBitmap& bitmap = page();
    for (auto _ : state)
        benchmark::DoNotOptimize(ql::encodePNG(bitmap).value().size());
}
// Medians of 9: on a busy machine single runs swing widely.
BENCHMARK(PngOfLetterPageAt300Dpi)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);

void ZlibOfTheSameRaster(benchmark::State& state)
{
    const std::vector<uchar> rows = rgbRows(page());
    std::vector<uchar> out(compressBound(uLong(rows.size())));
    for (auto _ : state) {
        uLongf size = uLongf(out.size());
        compress2(out.data(), &size, rows.data(), uLong(rows.size()), Z_DEFAULT_COMPRESSION);
        benchmark::DoNotOptimize(size);
    }
}
BENCHMARK(ZlibOfTheSameRaster)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly(true);


// Documents of the benchmarks are never destroyed: at exit the services
// they leave could be gone before them.
ql::Document& pages()
{
    static ql::Document* const document = [] {
        auto* built = new ql::Document;
        bench::addTwentyPages(*built);
        return built;
    }();
    return *document;
}

void TwentyPagesToPdf(benchmark::State& state)
{
    ql::Document& document = pages();
    for (auto _ : state) {
        const ql::Result<QByteArray> pdf =
            ql::pdfData(ql::documentForPages(document.pages()), ql::ZVDesignHelper::sharedInstance());
        benchmark::DoNotOptimize(pdf.ok() ? pdf->size() : 0);
    }
}
BENCHMARK(TwentyPagesToPdf)->Unit(benchmark::kMillisecond);

// Twenty photos of their own, kept as a saved document keeps them (decoded
// when drawn), on pages 1–20 and again on 21–40 and 41–60: more pixels than
// are kept decoded at once. The PDF's size is reported with its time.
ql::Document& sixtyPages()
{
    static ql::Document* const document = [] {
        QList<ql::Image> photos;
        for (int i = 0; i < 20; ++i) {
            QImage pixels(1600, 1200, QImage::Format_RGB32);
            pixels.fill(QColor::fromHsv(i * 17, 180, 200));
            QPainter painter(&pixels);
            painter.setPen(QPen(Qt::black, 3));
            for (int x = 0; x < 1600; x += 8 + i)
                painter.drawLine(x, 0, 1600 - x, 1200);
            painter.end();
            QByteArray jpeg;
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            pixels.save(&buffer, "JPEG", 85);
            photos.append(ql::Image::fromStoredData(jpeg));
        }
        auto* built = new ql::Document;
        for (int round = 0; round < 3; ++round)
            bench::addTwentyPages(*built, [&photos](int page) { return photos[page]; });
        return built;
    }();
    return *document;
}

void SixtyPagesOfTwentyPhotosToPdf(benchmark::State& state)
{
    ql::Document& document = sixtyPages();
    qsizetype size = 0;
    for (auto _ : state) {
        const ql::Result<QByteArray> pdf =
            ql::pdfData(ql::documentForPages(document.pages()), ql::ZVDesignHelper::sharedInstance());
        size = pdf.ok() ? pdf->size() : 0;
    }
    state.counters["pdf_MB"] = double(size) / 1e6;
}
BENCHMARK(SixtyPagesOfTwentyPhotosToPdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto png = reporter.times.find("PngOfLetterPageAt300Dpi");
    const auto zlib = reporter.times.find("ZlibOfTheSameRaster");
    if (png != reporter.times.end() && zlib != reporter.times.end())
        std::printf("PNG / zlib compress2 time ratio (medians): %.2f (target at most 0.5)\n",
                    png->second.begin()->second / zlib->second.begin()->second);
    return 0;
}
