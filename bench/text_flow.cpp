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

namespace {

constexpr int kCharactersPerPage = 4000;

// Ordinary words in paragraphs of about 600 characters, as the peer gets them.
QString sampleText(int characters)
{
    static const QStringList words = QStringLiteral(
        "the quick brown fox jumps over a lazy dog while page layout programs flow long articles through "
        "linked boxes on many pages and every line must find its place quickly").split(QLatin1Char(' '));
    QString text;
    text.reserve(characters + 16);
    for (int word = 0; text.size() < characters; ++word)
        text += words[word % words.size()] + ((word + 1) % 100 == 0 ? QLatin1Char('\n') : QLatin1Char(' '));
    text.truncate(characters);
    return text;
}

QByteArray chainedDocument(int pages)
{
    ql::Document document;
    for (int i = 0; i < pages; ++i) {
        ZVCanvasView* page = document.newPage();
        page->setPageSize(0);
        page->setPageWidth(612);
        page->setPageHeight(792);
        page->setCanvasFrames();
        document.contentPages().append(page);
    }
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    document.contentPages().first()->addPuttyView(box);
    box->setFrame(QRectF(72, 72, 468, 648).adjusted(-40, -40, 40, 40));
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    text->setAttributedString(ql::AttributedString(
        sampleText(pages * kCharactersPerPage),
        {{ql::TextAttribute::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), 10))}}));
    for (int i = 1; i < pages; ++i)
        box = box->createLinkedTextViewAtPage(i);
    return document.dataOfType(ql::kDesktopDocumentType).value();
}

void BM_OpenLayOutAndWritePdf(benchmark::State& state)
{
    const int pages = int(state.range(0));
    const QByteArray file = chainedDocument(pages);
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
