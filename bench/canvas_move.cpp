// Moving, turning and resizing a large selection in the real window
// (offscreen): every one of 1,000 to 30,000 text boxes selected, loose or
// all in one group, then an arrow key, a drag of one of them (press, three
// moves, release), single steps of such a drag, of a rotation handle's and
// of a resize handle's, Arrange ▸ Rotate 90°, and Edit ▸ Undo and Redo of a
// drag and of a turn. Group, its undo and redo, and Ungroup of 10,000 and
// 30,000 boxes (the most a page holds), and an arrow key with its undo and
// redo, on a Letter page wholly in view at 50 %, belong here too: every box
// shown is drawn again where it now lies. Each step is what the user gives
// with all the window does in answer (inspectors, menus, guides) and the
// repaint it causes. Target: well under 1 s a step at 10,000, and under 3 s
// at 30,000 with the whole page in view.
#include "CrowdedWindow.h"
#include "QtBenchmarkMain.h"

#include "canvas/ZVGuideView.h"

#include <QLineF>
#include <benchmark/benchmark.h>
#include <cmath>
#include <utility>

namespace {

// Boxes large enough that a press in the middle of one reaches it, not the
// handles of its neighbours.
constexpr QSizeF kBox(100, 60);
// Without a box size the boxes share a Letter page, which 50 % shows whole.
constexpr QSizeF kLetterPage {};
constexpr double kPageInView = 0.5;

class Selection {
public:
    Selection(int count, bool grouped, QSizeF box, double magnification = 1.0)
        : m_crowd(count, grouped, box, magnification)
    {
        if (m_crowd.ready()) {
            m_crowd.centreOn(first().contentFrame().center());
            m_crowd.menu("Edit/Select All");
            CrowdedWindow::settle();
        }
    }

    bool ready() const { return m_crowd.ready() && m_crowd.allActive(); }
    CrowdedWindow& crowd() { return m_crowd; }
    const CrowdedWindow& crowd() const { return m_crowd; }
    ZVPuttyView& first() const { return *m_crowd.page().puttyViews().constFirst(); }
    ZVPuttyView& last() const { return *m_crowd.page().puttyViews().constLast(); }

    // A press in the middle of the first box, three moves of `step` points
    // across, the release.
    bool drag(double step)
    {
        const QPointF from = first().contentFrame().center();
        bool shown = m_crowd.press(from);
        for (int i = 1; i <= 3; ++i)
            shown = shown && m_crowd.dragTo(from + QPointF(i * step, 0));
        return shown && m_crowd.release(from + QPointF(3 * step, 0));
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
void timeMoves(benchmark::State& state, double stride, Move move, QSizeF box = kBox, double magnification = 1.0)
{
    Selection selection(int(state.range(0)), state.range(1) != 0, box, magnification);
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

// Undo (or, with `redo`, Redo) of what `act` did to the whole selection of
// boxes of `box`; `outcome(undone)` says whether the last step did its work.
template <class Act, class Outcome>
void timeUndoOf(benchmark::State& state, bool redo, QSizeF box, Act act, Outcome outcome, double magnification = 1.0)
{
    Selection selection(int(state.range(0)), state.range(1) != 0, box, magnification);
    if (!selection.ready() || !act(selection))
        return state.SkipWithError("cannot open, select and change the page");
    CrowdedWindow& crowd = selection.crowd();
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
    if (!outcome(selection, undone))
        return state.SkipWithError("the selection was not undone or redone as one");
    label(state);
}

// Undo (or, with `redo`, Redo) of `move`, which takes the whole selection
// `stride` points right.
template <class Move>
void timeUndoMove(benchmark::State& state, bool redo, QSizeF box, double magnification, double stride, Move move)
{
    QPointF start;
    timeUndoOf(
        state, redo, box,
        [&start, &move](Selection& selection) {
            start = selection.last().frame().topLeft();
            return move(selection);
        },
        [&start, stride](const Selection& selection, bool undone) {
            return selection.last().frame().topLeft() == start + QPointF(undone ? 0 : stride, 0);
        },
        magnification);
}

// Undo (or, with `redo`, Redo) of a drag of the whole selection.
void timeUndo(benchmark::State& state, bool redo)
{
    timeUndoMove(state, redo, kBox, 1.0, 15, [](Selection& selection) { return selection.drag(5); });
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

// The arrow keys, their undo and redo, on a full Letter page in view.
void BM_NudgeInView(benchmark::State& state)
{
    timeMoves(
        state, 1,
        [](Selection& selection, bool forth) {
            selection.crowd().key(forth ? Qt::Key_Right : Qt::Key_Left);
            return true;
        },
        kLetterPage, kPageInView);
}

void timeUndoNudge(benchmark::State& state, bool redo)
{
    timeUndoMove(state, redo, kLetterPage, kPageInView, 1, [](Selection& selection) {
        selection.crowd().key(Qt::Key_Right);
        return true;
    });
}

void BM_UndoNudgeInView(benchmark::State& state)
{
    timeUndoNudge(state, false);
}

void BM_RedoNudgeInView(benchmark::State& state)
{
    timeUndoNudge(state, true);
}

void fullPages(benchmark::internal::Benchmark* bench)
{
    bench->Args({10000, 0})->Args({30000, 0})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_NudgeInView)->Apply(fullPages);
BENCHMARK(BM_UndoNudgeInView)->Apply(fullPages);
BENCHMARK(BM_RedoNudgeInView)->Apply(fullPages);

// Single steps of a drag whose button stays down: the press at `from`
// (untimed), then pointer moves to `to(i)` for the i-th step, each timed
// with its repaint unless `timed(i)` says otherwise; `check` looks at the
// outcome before the release. Boxes of `box`.
template <class To, class Timed, class Check>
void timeDragSteps(benchmark::State& state, QSizeF box, QPointF (*from)(const Selection&), To to, Timed timed,
                   Check check)
{
    Selection selection(int(state.range(0)), state.range(1) != 0, box);
    if (!selection.ready())
        return state.SkipWithError("cannot open and select the page");
    CrowdedWindow& crowd = selection.crowd();
    const QPointF pressed = from(selection);
    if (!crowd.press(pressed))
        return state.SkipWithError("the box is not in view");
    int step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CrowdedWindow::settle();
        while (!timed(step)) {
            crowd.dragTo(to(selection, pressed, step++));
            CrowdedWindow::settle();
        }
        state.ResumeTiming();
        if (!crowd.dragTo(to(selection, pressed, step)))
            return state.SkipWithError("the pointer left the view");
        if (const char* fault = check(selection, step++)) {
            crowd.release(to(selection, pressed, step - 1));
            return state.SkipWithError(fault);
        }
    }
    crowd.release(to(selection, pressed, step - 1));
    label(state);
}

QPointF middleOfFirst(const Selection& selection)
{
    return selection.first().contentFrame().center();
}

// A move of the whole selection back onto the margins, where its first row
// and column meet the page's guides; the steps away from them are untimed.
void BM_DragStep(benchmark::State& state)
{
    timeDragSteps(
        state, kBox, middleOfFirst,
        [](const Selection&, QPointF pressed, int step) { return pressed + QPointF(step % 2 == 0 ? 5 : 0, 0); },
        [](int step) { return step % 2 == 1; },
        [](const Selection& selection, int) -> const char* {
            const ZVGuideView* guides = selection.crowd().page().guideView();
            return guides->vLines().isEmpty() || guides->hLines().isEmpty() ? "the selection meets no guide" : nullptr;
        });
}

BENCHMARK(BM_DragStep)->Apply(selections);

// Boxes small enough that 30,000 fit on the largest page.
constexpr QSizeF kSmallBox(60, 40);

// The first box's top-left rotation handle: 15 points square at the corner
// of its 40-point resize handle, whose middle is the content's corner.
QPointF rotationHandleOfFirst(const Selection& selection)
{
    return selection.first().contentFrame().topLeft() - QPointF(12.5, 12.5);
}

// The first box's top-left resize handle, at its content's corner.
QPointF resizeHandleOfFirst(const Selection& selection)
{
    return selection.first().contentFrame().topLeft();
}

// Even steps turn the selection by 10 degrees, odd ones back to where it was.
void BM_TurnStep(benchmark::State& state)
{
    timeDragSteps(
        state, kSmallBox, rotationHandleOfFirst,
        [](const Selection& selection, QPointF pressed, int step) {
            // The box turns about its centre, which stays where it is.
            const ZVPuttyView& first = selection.first();
            const QLineF arm(first.mapToPage(first.bounds().center()), pressed);
            QLineF turned = arm;
            turned.setAngle(arm.angle() - (step % 2 == 0 ? 10 : 0));
            return turned.p2();
        },
        [](int) { return true; },
        [](const Selection& selection, int step) -> const char* {
            // The pointer lands on whole pixels: the angle is near the aim.
            const double angle = selection.first().frameCenterRotation();
            const bool aimed = std::abs(angle - (step % 2 == 0 ? 10 : 0)) < 0.5;
            return !aimed || selection.last().frameCenterRotation() != angle ? "the selection did not turn as one"
                                                                               : nullptr;
        });
}

// Even steps grow the selection by the top-left corner, odd ones take it
// back to the size it had, where its first row and column meet the guides.
void BM_ResizeStep(benchmark::State& state)
{
    timeDragSteps(
        state, kSmallBox, resizeHandleOfFirst,
        [](const Selection&, QPointF pressed, int step) { return pressed - QPointF(step % 2 == 0 ? 10 : 0, 0); },
        [](int) { return true; },
        [](const Selection& selection, int step) -> const char* {
            const bool grown = selection.last().frame().width() > kSmallBox.width() + 80 + 1;
            return grown != (step % 2 == 0) ? "the selection was not resized as one" : nullptr;
        });
}

void turns(benchmark::internal::Benchmark* bench)
{
    for (const int count : {1000, 5000, 10000, 30000})
        bench->Args({count, 0});
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_TurnStep)->Apply(turns);
BENCHMARK(BM_ResizeStep)->Apply(turns);

// Arrange ▸ Rotate 90° Right and Left by turns, so that every one turns all.
void BM_Turn90(benchmark::State& state)
{
    Selection selection(int(state.range(0)), false, kSmallBox);
    if (!selection.ready())
        return state.SkipWithError("cannot open and select the page");
    bool right = true;
    for (auto _ : state) {
        state.PauseTiming();
        CrowdedWindow::settle();
        state.ResumeTiming();
        selection.crowd().menu(right ? "Arrange/Rotate 90° Right" : "Arrange/Rotate 90° Left");
        right = !right;
    }
    if (selection.last().frameCenterRotation() != (right ? -90 : 90))
        return state.SkipWithError("the selection did not turn as one");
    label(state);
}

// Undo (or, with `redo`, Redo) of Rotate 90° Right of the whole selection.
void timeUndoTurn(benchmark::State& state, bool redo)
{
    timeUndoOf(
        state, redo, kSmallBox,
        [](Selection& selection) {
            selection.crowd().menu("Arrange/Rotate 90° Right");
            return true;
        },
        [](const Selection& selection, bool undone) {
            return selection.last().frameCenterRotation() == (undone ? 0 : 90);
        });
}

void BM_UndoTurn90(benchmark::State& state)
{
    timeUndoTurn(state, false);
}

void BM_RedoTurn90(benchmark::State& state)
{
    timeUndoTurn(state, true);
}

BENCHMARK(BM_Turn90)->Apply(turns);
BENCHMARK(BM_UndoTurn90)->Apply(turns);
BENCHMARK(BM_RedoTurn90)->Apply(turns);

// Grouping the whole of a full page in view: `before` readies each step
// (untimed), `step` is timed, and afterwards every box is in one group, or
// in none.
template <class Before, class Step>
void timeGrouping(benchmark::State& state, bool grouped, Before before, Step step, bool oneGroupAfter)
{
    Selection selection(int(state.range(0)), grouped, kLetterPage, kPageInView);
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

BENCHMARK(BM_Group)->Apply(fullPages);
BENCHMARK(BM_UndoGroup)->Apply(fullPages);
BENCHMARK(BM_RedoGroup)->Apply(fullPages);
BENCHMARK(BM_Ungroup)->Apply(fullPages);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
