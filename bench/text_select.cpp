// Long texts in the real window (offscreen): selecting a box, and saving a
// book after a click put the caret in it.
//
// BM_SelectBox: a click that selects the first box of a book of 320 linked
// boxes (800,000 characters of Helvetica), of one box of 800,000 characters,
// and of a richly formatted book (320 boxes, 858,890 characters in 52,200
// runs: plain, bold-underlined, serif on every line), with the inspector's
// reading back and the repaint. Before each click (untimed) the page is
// clicked empty and the text's last character changes colour, so that every
// selection reads a text that changed since the last. Target: each under
// 0.2 s.
//
// BM_SaveAfterClick: the rich book's file as saved, as opened (0) or after a
// double click and a click placed the caret in its first box (1): its size
// and the peak of resident memory while it is written.
#include "CrowdedWindow.h"
#include "ProcessStatus.h"
#include "QtBenchmarkMain.h"
#include "TextChain.h"
#include "content/ZVTextView.h"
#include "content/text/TextRuns.h"
#include "content/text/TextStorage.h"

#include <benchmark/benchmark.h>

namespace {

enum Kind { PlainBook, OneBox, RichBook };

QByteArray documentOf(Kind kind)
{
    switch (kind) {
    case PlainBook: return chainedDocument(320, 800000, 14);
    case OneBox: return chainedDocument(1, 800000, 14);
    case RichBook: return chainedDocument(320, richText(858890, 52200, 14));
    }
    return {};
}

const char* nameOf(Kind kind)
{
    switch (kind) {
    case PlainBook: return "320 boxes, 800,000 characters";
    case OneBox: return "1 box, 800,000 characters";
    case RichBook: return "320 boxes, 858,890 characters in 52,200 runs";
    }
    return "";
}

// The document of `kind` open at 100 %, its first box in view.
class LongText {
public:
    explicit LongText(Kind kind)
        : m_window(documentOf(kind), 1.0)
    {
        if (!m_window.isOpen() || m_window.page().puttyViews().isEmpty())
            return;
        m_box = m_window.page().puttyViews().constFirst();
        m_text = qobject_cast<ZVTextView*>(m_box->contentView());
        if (m_text)
            m_window.centreOn(middle());
    }

    bool isOpen() const { return m_text != nullptr; }
    CrowdedWindow& window() { return m_window; }
    ZVPuttyView& box() const { return *m_box; }
    ZVTextView& text() const { return *m_text; }
    QPointF middle() const { return m_box->contentFrame().center(); }

    // The last character changes colour, as an edit there would change it.
    void touchEnd(bool forth)
    {
        QTextDocument& document = *m_text->textStorage()->document();
        const ql::Color colour = forth ? ql::Color::calibratedWhite(0.2) : ql::Color::black();
        ql::text::addAttribute(document, ql::TextAttribute::foregroundColor, QVariant::fromValue(colour),
                               m_text->textLength() - 1, 1);
        CrowdedWindow::settle();
    }

private:
    CrowdedWindow m_window;
    ZVPuttyView* m_box = nullptr;
    ZVTextView* m_text = nullptr;
};

// What the inspector shows once the text is read back: its size, where it
// has one font, and its emphasis.
bool readBack(const ZVTextView& text, Kind kind)
{
    if (kind != RichBook)
        return text.currentFontSize().toDouble() == 14.0;
    const QVariantList codes = text.currentEmphasis();
    return codes.contains(QVariant(int(ZVTextView::BoldEmphasis)))
           && codes.contains(QVariant(int(ZVTextView::UnderlineEmphasis)));
}

void BM_SelectBox(benchmark::State& state)
{
    const auto kind = Kind(state.range(0));
    LongText long_(kind);
    if (!long_.isOpen())
        return state.SkipWithError("cannot open the document");
    bool selected = true;
    bool forth = true;
    const qint64 walked = long_.text().textStorage()->rangesRead();
    for (auto _ : state) {
        state.PauseTiming();
        long_.window().clickEmptyPage();
        long_.touchEnd(forth);
        forth = !forth;
        state.ResumeTiming();
        long_.window().press(long_.middle());
        long_.window().release(long_.middle());
        selected = selected && long_.box().isActive() && readBack(long_.text(), kind);
    }
    if (!selected)
        return state.SkipWithError("the click did not select the box or read its text back");
    // Each selection reads the changed text anew.
    state.counters["walks"] = double(long_.text().textStorage()->rangesRead() - walked) / double(state.iterations());
    state.SetLabel(nameOf(kind));
}

void BM_SaveAfterClick(benchmark::State& state)
{
    const bool clicked = state.range(0) != 0;
    LongText book(RichBook);
    if (!book.isOpen())
        return state.SkipWithError("cannot open the book");
    if (clicked) {
        // A double click edits the box; a click then places the caret.
        const std::optional<QPoint> at = book.window().onCanvas(book.middle());
        if (!at)
            return state.SkipWithError("the box is out of view");
        QWidget* canvas = book.window().canvas();
        QTest::mouseClick(canvas, Qt::LeftButton, {}, *at);
        QTest::mouseDClick(canvas, Qt::LeftButton, {}, *at);
        QTest::mouseRelease(canvas, Qt::LeftButton, {}, *at);
        CrowdedWindow::settle();
        QTest::mouseClick(canvas, Qt::LeftButton, {}, *at + QPoint(40, 30));
        CrowdedWindow::settle();
        if (!book.text().editMode() || book.text().selectedRange().location == 0)
            return state.SkipWithError("the click did not place the caret");
    }
    qint64 saved = 0;
    double peak = 0;
    for (auto _ : state) {
        resetPeak();
        const ql::Result<QByteArray> data = book.window().document().dataOfType(ql::kDesktopDocumentType);
        peak = std::max(peak, statusMiB("self", "VmHWM:"));
        if (!data)
            return state.SkipWithError("the book could not be saved");
        saved = data->size();
    }
    state.counters["saved_MB"] = double(saved) / 1e6;
    state.counters["peak_MiB"] = peak;
    state.SetLabel(clicked ? "after a click in the text" : "as opened");
}

BENCHMARK(BM_SelectBox)
    ->Arg(PlainBook)
    ->Arg(OneBox)
    ->Arg(RichBook)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(10);
BENCHMARK(BM_SaveAfterClick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
