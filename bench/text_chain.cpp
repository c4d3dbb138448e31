// Editing the first box of a book in the real window (offscreen): one chain
// of 20, 80 or 320 linked boxes, one a page, holding 2,500 characters a box
// (50,000, 200,000 and 800,000 in all). Each step is what the user gives
// (a typed key, an arrow key, Shift+Ctrl+Right, Edit ▸ Paste, Undo and Redo
// of typing, a click that places the caret, a press, a move of a drag that
// selects text, its release) with everything the window does in answer,
// what it defers and the repaint included. The CPU column is the process's.
// Target: each step well under 0.2 s of CPU at 320 boxes.
#include "CrowdedWindow.h"
#include "QtBenchmarkMain.h"
#include "TextChain.h"
#include "content/ZVTextView.h"

#include <QClipboard>
#include <benchmark/benchmark.h>

namespace {

constexpr int kCharactersPerBox = 2500;

class Book {
public:
    explicit Book(int boxes)
        : m_window(chainedDocument(boxes, boxes * kCharactersPerBox, 14), 1.0)
    {
        if (!m_window.isOpen() || m_window.page().puttyViews().isEmpty())
            return;
        m_first = m_window.page().puttyViews().constFirst();
        m_text = qobject_cast<ZVTextView*>(m_first->contentView());
        if (!m_text || m_text->textChainViews().size() != boxes)
            return;
        m_window.centreOn(m_first->contentFrame().center());
        // A double click edits the box; a click elsewhere puts the caret in
        // its text.
        const std::optional<QPoint> at = m_window.onCanvas(point(4));
        if (!at)
            return;
        QTest::mouseClick(m_window.canvas(), Qt::LeftButton, {}, *at);
        QTest::mouseDClick(m_window.canvas(), Qt::LeftButton, {}, *at);
        QTest::mouseRelease(m_window.canvas(), Qt::LeftButton, {}, *at);
        CrowdedWindow::settle();
        click(0);
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted words "));
        CrowdedWindow::settle();
    }

    bool ready() const { return m_text && m_text->editMode() && m_text->selectedRange().location > 0; }
    ZVTextView& text() const { return *m_text; }

    // Points in the middle of the first box's text, a few lines apart.
    QPointF point(int index) const
    {
        const QRectF content = m_first->contentFrame();
        return content.topLeft() + QPointF(60 + 37 * (index % 5), 120 + 45 * index);
    }
    QPoint onCanvas(int index) const { return m_window.onCanvas(point(index)).value_or(QPoint()); }

    void click(int index)
    {
        QTest::mouseClick(m_window.canvas(), Qt::LeftButton, {}, onCanvas(index));
        CrowdedWindow::settle();
    }
    void press(int index)
    {
        QTest::mousePress(m_window.canvas(), Qt::LeftButton, {}, onCanvas(index));
        CrowdedWindow::settle();
    }
    void move(int index)
    {
        QTest::mouseMove(m_window.canvas(), onCanvas(index));
        CrowdedWindow::settle();
    }
    void release(int index)
    {
        QTest::mouseRelease(m_window.canvas(), Qt::LeftButton, {}, onCanvas(index));
        CrowdedWindow::settle();
    }
    void key(Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        m_window.key(code, modifiers);
        CrowdedWindow::settle();
    }
    void menu(const char* path)
    {
        m_window.menu(path);
        CrowdedWindow::settle();
    }

private:
    CrowdedWindow m_window;
    ZVPuttyView* m_first = nullptr;
    ZVTextView* m_text = nullptr;
};

void label(benchmark::State& state)
{
    state.SetLabel(QStringLiteral("%1 boxes, %2 characters")
                       .arg(state.range(0))
                       .arg(state.range(0) * kCharactersPerBox)
                       .toStdString());
}

// Runs `step(book, forth)` timed, forth and back by turns (a step pauses
// the timing for what only readies the next); `check` says whether the book
// ended as it should.
template <class Step, class Check>
void timeSteps(benchmark::State& state, Step step, Check check)
{
    Book book(int(state.range(0)));
    if (!book.ready())
        return state.SkipWithError("cannot open the book and edit its first box");
    const int length = book.text().textLength();
    bool forth = true;
    for (auto _ : state) {
        step(book, forth);
        forth = !forth;
    }
    if (!check(book, length))
        return state.SkipWithError("the steps did not reach the text");
    label(state);
}

bool sameLength(Book& book, int length)
{
    return book.text().textLength() == length;
}

void BM_TypedKey(benchmark::State& state)
{
    int typed = 0;
    timeSteps(
        state,
        [&typed](Book& book, bool forth) {
            book.key(forth ? Qt::Key_X : Qt::Key_Backspace);
            typed += forth ? 1 : -1;
        },
        [&typed](Book& book, int length) { return book.text().textLength() == length + typed; });
}

void BM_ArrowKey(benchmark::State& state)
{
    timeSteps(
        state, [](Book& book, bool forth) { book.key(forth ? Qt::Key_Right : Qt::Key_Left); }, sameLength);
}

// Shift+Ctrl+Right selects to the end of the word; Left (untimed) puts the
// caret back where it was.
void BM_SelectWord(benchmark::State& state)
{
    bool selected = true;
    timeSteps(
        state,
        [&state, &selected](Book& book, bool) {
            book.key(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
            selected = selected && book.text().selectedRange().length > 0;
            state.PauseTiming();
            book.key(Qt::Key_Left);
            state.ResumeTiming();
        },
        [&selected](Book& book, int length) { return selected && sameLength(book, length); });
}

// Edit ▸ Paste, taken back (untimed) by Edit ▸ Undo.
void BM_Paste(benchmark::State& state)
{
    bool grew = true;
    timeSteps(
        state,
        [&state, &grew](Book& book, bool) {
            const int before = book.text().textLength();
            book.menu("Edit/Paste");
            grew = grew && book.text().textLength() > before;
            state.PauseTiming();
            book.menu("Edit/Undo");
            state.ResumeTiming();
        },
        [&grew](Book& book, int length) { return grew && sameLength(book, length); });
}

// Edit ▸ Undo of a typed letter (typed untimed before each step), or, with
// `redo`, Edit ▸ Redo of it (undone untimed before and after).
void timeUndo(benchmark::State& state, bool redo)
{
    timeSteps(
        state,
        [&state, redo](Book& book, bool) {
            state.PauseTiming();
            book.key(Qt::Key_X);
            if (redo)
                book.menu("Edit/Undo");
            state.ResumeTiming();
            book.menu(redo ? "Edit/Redo" : "Edit/Undo");
            if (redo) {
                state.PauseTiming();
                book.menu("Edit/Undo");
                state.ResumeTiming();
            }
        },
        sameLength);
}

void BM_Undo(benchmark::State& state)
{
    timeUndo(state, false);
}

void BM_Redo(benchmark::State& state)
{
    timeUndo(state, true);
}

// A click that places the caret, at two places by turns.
void BM_Click(benchmark::State& state)
{
    timeSteps(
        state, [](Book& book, bool forth) { book.click(forth ? 1 : 2); }, sameLength);
}

// The press of a drag that selects text; its release is untimed.
void BM_Press(benchmark::State& state)
{
    timeSteps(
        state,
        [&state](Book& book, bool forth) {
            book.press(forth ? 1 : 2);
            state.PauseTiming();
            book.release(forth ? 1 : 2);
            state.ResumeTiming();
        },
        sameLength);
}

// The moves of one long drag that selects text, further and back by turns.
void BM_DragMove(benchmark::State& state)
{
    bool pressed = false;
    timeSteps(
        state,
        [&state, &pressed](Book& book, bool forth) {
            if (!pressed) {
                state.PauseTiming();
                book.press(1);
                pressed = true;
                state.ResumeTiming();
            }
            book.move(forth ? 3 : 2);
        },
        [&pressed](Book& book, int length) {
            const bool selected = book.text().selectedRange().length > 0;
            book.release(2);
            return pressed && selected && sameLength(book, length);
        });
}

// The release that ends a drag that selected text.
void BM_Release(benchmark::State& state)
{
    timeSteps(
        state,
        [&state](Book& book, bool forth) {
            state.PauseTiming();
            book.press(1);
            book.move(forth ? 2 : 3);
            state.ResumeTiming();
            book.release(forth ? 2 : 3);
        },
        [](Book& book, int length) { return book.text().selectedRange().length > 0 && sameLength(book, length); });
}

void chains(benchmark::internal::Benchmark* bench)
{
    bench->Arg(20)->Arg(80)->Arg(320)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(10);
}

BENCHMARK(BM_TypedKey)->Apply(chains);
BENCHMARK(BM_ArrowKey)->Apply(chains);
BENCHMARK(BM_SelectWord)->Apply(chains);
BENCHMARK(BM_Paste)->Apply(chains);
BENCHMARK(BM_Undo)->Apply(chains);
BENCHMARK(BM_Redo)->Apply(chains);
BENCHMARK(BM_Click)->Apply(chains);
BENCHMARK(BM_Press)->Apply(chains);
BENCHMARK(BM_DragMove)->Apply(chains);
BENCHMARK(BM_Release)->Apply(chains);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
