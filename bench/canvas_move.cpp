// Moving a large selection in the real window (offscreen): every one of
// 1,000, 5,000 or 10,000 text boxes selected, loose or all in one group, then
// an arrow key, a drag of one of them (press, three moves, release), and
// Edit ▸ Undo and Redo of that drag. Group, its undo and redo, and Ungroup
// of 30,000 boxes (the most a page holds) belong here too. Each step is what
// the user gives with all the window does in answer (inspectors, menus,
// guides), but not the repaint. Target: well under 1 s a step at 10,000.
#include "CrowdedWindow.h"
#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>
#include <utility>

namespace {

// Boxes large enough that a press in the middle of one reaches it, not the
// handles of its neighbours.
constexpr QSizeF kBox(100, 60);

class Selection {
public:
    Selection(int count, bool grouped, QSizeF box) : m_crowd(count, grouped, box, 1.0)
    {
        if (m_crowd.ready()) {
            m_crowd.centreOn(first().contentFrame().center());
            m_crowd.menu("Edit/Select All");
            CrowdedWindow::settle();
        }
    }

    bool ready() const { return m_crowd.ready() && m_crowd.allActive(); }
    CrowdedWindow& crowd() { return m_crowd; }
    ZVPuttyView& first() const { return *m_crowd.page().puttyViews().constFirst(); }
    ZVPuttyView& last() const { return *m_crowd.page().puttyViews().constLast(); }

    // A press in the middle of the first box, three moves of `step` points
    // across, the release.
    bool drag(double step)
    {
        const QPointF from = first().contentFrame().center();
        const std::optional<QPoint> press = m_crowd.onCanvas(from);
        if (!press)
            return false;
        QTest::mousePress(m_crowd.canvas(), Qt::LeftButton, {}, *press);
        for (int i = 1; i <= 3; ++i)
            QTest::mouseMove(m_crowd.canvas(), *m_crowd.onCanvas(from + QPointF(i * step, 0)));
        QTest::mouseRelease(m_crowd.canvas(), Qt::LeftButton, {}, *m_crowd.onCanvas(from + QPointF(3 * step, 0)));
        ql::DeferredCalls::instance().flush();
        return true;
    }

private:
    CrowdedWindow m_crowd;
};

void label(benchmark::State& state)
{
    state.SetLabel(QStringLiteral("%1 boxes, %2").arg(state.range(0)).arg(state.range(1) ? u"grouped" : u"ungrouped")
                       .toStdString());
}

// The last box's origin after the loop tells whether the steps moved all.
void checkMoved(benchmark::State& state, const Selection& selection, QPointF expected)
{
    if (selection.last().frame().topLeft() != expected)
        return state.SkipWithError("the selection did not move as one");
    label(state);
}

// Times `move` of the whole selection, forth (`true`) and back by turns, so
// that the boxes stay where they are; forth moves them `stride` points right.
template <class Move>
void timeMoves(benchmark::State& state, double stride, Move move)
{
    Selection selection(int(state.range(0)), state.range(1) != 0, kBox);
    if (!selection.ready())
        return state.SkipWithError("cannot open and select the page");
    const QPointF start = selection.last().frame().topLeft();
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CrowdedWindow::settle();
        state.ResumeTiming();
        if (!move(selection, steps++ % 2 == 0))
            return state.SkipWithError("the box is not in view");
    }
    checkMoved(state, selection, start + QPointF(steps % 2 * stride, 0));
}

void BM_Nudge(benchmark::State& state)
{
    timeMoves(state, 1, [](Selection& selection, bool forth) {
        selection.crowd().key(forth ? Qt::Key_Right : Qt::Key_Left);
        return true;
    });
}

void BM_Drag(benchmark::State& state)
{
    timeMoves(state, 15, [](Selection& selection, bool forth) { return selection.drag(forth ? 5 : -5); });
}

// Undo (or, with `redo`, Redo) of a drag of the whole selection.
void timeUndo(benchmark::State& state, bool redo)
{
    Selection selection(int(state.range(0)), state.range(1) != 0, kBox);
    if (!selection.ready() || !selection.drag(5))
        return state.SkipWithError("cannot open, select and drag the page");
    CrowdedWindow& crowd = selection.crowd();
    const QPointF start = selection.last().frame().topLeft() - QPointF(15, 0);
    bool undone = false;
    for (auto _ : state) {
        state.PauseTiming();
        CrowdedWindow::settle();
        if (undone != redo) {
            crowd.menu(undone ? "Edit/Redo" : "Edit/Undo");
            undone = !undone;
            CrowdedWindow::settle();
        }
        state.ResumeTiming();
        crowd.menu(undone ? "Edit/Redo" : "Edit/Undo");
        undone = !undone;
    }
    checkMoved(state, selection, start + QPointF(undone ? 0 : 15, 0));
}

void BM_Undo(benchmark::State& state)
{
    timeUndo(state, false);
}

void BM_Redo(benchmark::State& state)
{
    timeUndo(state, true);
}

void selections(benchmark::internal::Benchmark* bench)
{
    for (const int grouped : {0, 1}) {
        for (const int count : {1000, 5000, 10000})
            bench->Args({count, grouped});
    }
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Nudge)->Apply(selections);
BENCHMARK(BM_Drag)->Apply(selections);
BENCHMARK(BM_Undo)->Apply(selections);
BENCHMARK(BM_Redo)->Apply(selections);

// Grouping the whole of a full page: `before` readies each step (untimed),
// `step` is timed, and afterwards every box is in one group, or in none.
template <class Before, class Step>
void timeGrouping(benchmark::State& state, bool grouped, Before before, Step step, bool oneGroupAfter)
{
    Selection selection(int(state.range(0)), grouped, {});
    if (!selection.ready())
        return state.SkipWithError("cannot open and select the page");
    CrowdedWindow& crowd = selection.crowd();
    for (auto _ : state) {
        state.PauseTiming();
        CrowdedWindow::settle();
        before(crowd);
        CrowdedWindow::settle();
        state.ResumeTiming();
        step(crowd);
    }
    const ZVPuttyViewGroup* group = selection.first().group();
    const bool oneGroup = group && group == selection.last().group();
    if (oneGroup != oneGroupAfter || (!oneGroup && group))
        return state.SkipWithError("the boxes are not grouped as they should be");
    state.SetLabel(QStringLiteral("%1 boxes").arg(state.range(0)).toStdString());
}

void BM_Group(benchmark::State& state)
{
    bool first = true;
    timeGrouping(
        state, false,
        [&first](CrowdedWindow& crowd) {
            if (!std::exchange(first, false))
                crowd.menu("Edit/Undo");
        },
        [](CrowdedWindow& crowd) { crowd.menu("Arrange/Group"); }, true);
}

void BM_UndoGroup(benchmark::State& state)
{
    bool first = true;
    timeGrouping(
        state, false,
        [&first](CrowdedWindow& crowd) { crowd.menu(std::exchange(first, false) ? "Arrange/Group" : "Edit/Redo"); },
        [](CrowdedWindow& crowd) { crowd.menu("Edit/Undo"); }, false);
}

void BM_RedoGroup(benchmark::State& state)
{
    bool first = true;
    timeGrouping(
        state, false,
        [&first](CrowdedWindow& crowd) {
            if (std::exchange(first, false)) {
                crowd.menu("Arrange/Group");
                CrowdedWindow::settle();
            }
            crowd.menu("Edit/Undo");
        },
        [](CrowdedWindow& crowd) { crowd.menu("Edit/Redo"); }, true);
}

// Ungrouping records no undo: each step starts from a fresh group.
void BM_Ungroup(benchmark::State& state)
{
    timeGrouping(
        state, false, [](CrowdedWindow& crowd) { crowd.menu("Arrange/Group"); },
        [](CrowdedWindow& crowd) { crowd.menu("Arrange/Ungroup"); }, false);
}

void fullPage(benchmark::internal::Benchmark* bench)
{
    bench->Args({30000, 0})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Group)->Apply(fullPage);
BENCHMARK(BM_UndoGroup)->Apply(fullPage);
BENCHMARK(BM_RedoGroup)->Apply(fullPage);
BENCHMARK(BM_Ungroup)->Apply(fullPage);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
