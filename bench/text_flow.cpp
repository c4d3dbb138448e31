// A chain of linked text boxes, one per Letter page (468 × 648 points of
// text each), holding 4,000 characters a page, at 10, 50 and 200 pages: the
// document opened from its file data, laid out and written as one PDF, as
// page-render does. Counters split each run into its three phases. The peer
// (Scribus 1.5.8's scripter building 50 linked frames of the same text and
// exporting them as PDF) runs by hand: bench/peers/run-text-flow-peer.
#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/output/PdfOutput.h"
#include "app/output/SheetDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"
#include "TextChain.h"

namespace {

constexpr int kCharactersPerPage = 4000;

void BM_OpenLayOutAndWritePdf(benchmark::State& state)
{
    const int pages = int(state.range(0));
    const QByteArray file = chainedDocument(pages, pages * kCharactersPerPage, 10);
    double open = 0, layout = 0, pdf = 0;
    bool overflow = false;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        ql::Document document;
        if (!document.readFromData(file, ql::kDesktopDocumentType)) {
            state.SkipWithError("the document did not open");
            return;
        }
        open += clock.nsecsElapsed() / 1e6;
        clock.restart();
        const auto* text = qobject_cast<ZVTextView*>(document.pages().first()->puttyViews().first()->contentView());
        overflow = text->layoutManager()->hasOverflow();
        layout += clock.nsecsElapsed() / 1e6;
        clock.restart();
        const ql::Result<QByteArray> written =
            ql::pdfData(ql::documentForPages(document.pages()), ql::ZVDesignHelper::sharedInstance());
        benchmark::DoNotOptimize(written);
        pdf += clock.nsecsElapsed() / 1e6;
    }
    const double runs = double(state.iterations());
    state.counters["open_ms"] = open / runs;
    state.counters["layout_ms"] = layout / runs;
    state.counters["pdf_ms"] = pdf / runs;
    state.counters["characters"] = pages * kCharactersPerPage;
    if (overflow)
        state.SkipWithError("text was left over: the boxes are too small for the benchmark's text");
}
BENCHMARK(BM_OpenLayOutAndWritePdf)->Arg(10)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
