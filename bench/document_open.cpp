// Opening large documents: many pages linked to one master page, each with
// text boxes (800 pages of 10 boxes, 10,000 pages of one), and one text box
// holding megabytes of line breaks.
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

QByteArray documentOf(int pages, int boxes, const QString& text)
{
    ql::Document document;
    auto* master = new ZVCanvasView(&document);
    document.masterPages().append(master);
    for (int p = 0; p < pages; ++p) {
        auto* page = new ZVCanvasView(&document);
        page->setMasterPageUUID(master->uuid());
        for (int b = 0; b < boxes; ++b) {
            std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
            element->setFrame(QRectF(40, 40 + 60 * b, 300, 120));
            if (auto* content = qobject_cast<ZVTextView*>(element->contentView()))
                content->setString(text);
            page->addPuttyView(element.release());
        }
        document.contentPages().append(page);
    }
    return *ql::DocumentArchive::write(document);
}

void openDocument(benchmark::State& state, const QByteArray& data)
{
    for (auto _ : state) {
        auto document = std::make_unique<ql::Document>();
        if (!document->readFromData(data, ql::kDesktopDocumentType))
            state.SkipWithError("the document did not open");
        state.PauseTiming();
        document.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    state.counters["file_bytes"] = double(data.size());
}

void BM_OpenPagesWithTextBoxes(benchmark::State& state)
{
    openDocument(state, documentOf(int(state.range(0)), int(state.range(1)), QStringLiteral("A line of text.")));
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_OpenPagesWithTextBoxes)
    ->Args({100, 10})
    ->Args({200, 10})
    ->Args({800, 10})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_OpenLineBreaks(benchmark::State& state)
{
    openDocument(state, documentOf(1, 1, QString(int(state.range(0)), QLatin1Char('\n'))));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenLineBreaks)
    ->Arg(100'000)
    ->Arg(200'000)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
