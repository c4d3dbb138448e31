// Dragging and resizing many boxes at random places above others at random
// places, snapping on, in the real window (offscreen): each step is the
// pointer's move with all the window does in answer and the repaint it
// causes. Scattered edges give a guide pass thousands of distinct lines,
// which a regular grid never does. Arguments: the boxes selected, the boxes
// under them. Target: well under 1 s a step and a peak under 1 GB at 4,000
// among 4,000 and 10,000 among 500. NOSNAP=1 turns snapping off, for the
// cost of the steps without guides.
#include "CrowdedWindow.h"
#include "ProcessStatus.h"
#include "QtBenchmarkMain.h"

#include "canvas/SelectionBatch.h"
#include "platform/runtime/UserDefaults.h"

#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

// Small text boxes scattered over a Letter page: `under` first, then
// `selected` above them. Just over 40 points each way, so that a press on a
// corner of the content reaches that corner's resize handle, not the
// neighbouring handles' 40-point squares.
bool writeScatteredPage(int selected, int under, const QString& path)
{
    ql::Document document;
    ZVCanvasView* page = document.newPage();
    document.contentPages().append(page);
    QRandomGenerator random(85);
    constexpr QSizeF kBox(46, 42);
    const QRectF area = page->bounds().adjusted(20, 20, -20 - kBox.width(), -20 - kBox.height());
    for (int i = 0; i < under + selected; ++i) {
        std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
        const QPointF at(area.left() + random.bounded(area.width()), area.top() + random.bounded(area.height()));
        element->setFrame(QRectF(at, kBox).adjusted(-40, -40, 40, 40));
        if (auto* content = qobject_cast<ZVTextView*>(element->contentView()))
            content->setString(QString::number(i % 100));
        page->addPuttyView(element.release());
    }
    const ql::Result<QByteArray> data = ql::DocumentArchive::write(document);
    QFile file(path);
    return data && file.open(QIODevice::WriteOnly) && file.write(*data) == data->size();
}

class Scattered {
public:
    Scattered(int selected, int under)
        : m_crowd([=](const QString& path) { return writeScatteredPage(selected, under, path); }, 1.0)
    {
        if (!m_crowd.isOpen())
            return;
        const QList<ZVPuttyView*> elements = m_crowd.page().puttyViews();
        {
            const ql::SelectionBatch batch(m_crowd.page());
            for (qsizetype i = under; i < elements.size(); ++i)
                elements.at(i)->setIsActive(true);
        }
        m_crowd.centreOn(top().contentFrame().center());
        CrowdedWindow::settle();
        m_ready = m_crowd.page().selectedViews().size() == selected;
    }

    bool ready() const { return m_ready; }
    CrowdedWindow& crowd() { return m_crowd; }
    // The selected box on top of all: a press on it reaches it.
    ZVPuttyView& top() const { return *m_crowd.page().puttyViews().constLast(); }

private:
    CrowdedWindow m_crowd;
    bool m_ready = false;
};

// The press at `from(top box)`, then steps to the press point and `away`
// from it by turns, each timed with its repaint; `moved(top box, away)`
// says whether the step did its work.
template <class From, class Moved>
void timeSteps(benchmark::State& state, From from, QPointF away, Moved moved)
{
    Scattered scattered(int(state.range(0)), int(state.range(1)));
    if (!scattered.ready())
        return state.SkipWithError("cannot open and select the page");
    CrowdedWindow& crowd = scattered.crowd();
    const QPointF pressed = from(scattered.top());
    if (!crowd.press(pressed))
        return state.SkipWithError("the box is not in view");
    const QRectF start = scattered.top().frame();
    if (!qEnvironmentVariableIsEmpty("NOSNAP"))
        ql::UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), false);
    resetPeak();
    const double base = statusMiB("self", "VmRSS:");
    bool isAway = false;
    for (auto _ : state) {
        state.PauseTiming();
        CrowdedWindow::settle();
        state.ResumeTiming();
        isAway = !isAway;
        crowd.dragTo(isAway ? pressed + away : pressed);
        if (!moved(start, scattered.top().frame(), isAway)) {
            crowd.release(pressed);
            return state.SkipWithError("the selection did not follow the pointer");
        }
    }
    state.counters["base_MiB"] = base;
    state.counters["peak_MiB"] = statusMiB("self", "VmHWM:");
    crowd.release(isAway ? pressed + away : pressed);
    state.SetLabel(QStringLiteral("%1 among %2").arg(state.range(0)).arg(state.range(1)).toStdString());
}

void BM_ScatteredDragStep(benchmark::State& state)
{
    timeSteps(
        state, [](const ZVPuttyView& top) { return top.contentFrame().center(); }, QPointF(7, 3),
        // Snapping may shift the box by up to 2 points either way.
        [](const QRectF& start, const QRectF& now, bool away) { return (now.left() > start.left() + 4) == away; });
}

// The top box's top-left resize handle, at its content's corner; away grows it.
void BM_ScatteredResizeStep(benchmark::State& state)
{
    timeSteps(
        state, [](const ZVPuttyView& top) { return top.contentFrame().topLeft(); }, QPointF(-9, -5),
        // Snapping may shift an edge by up to 2 points either way.
        [](const QRectF& start, const QRectF& now, bool away) { return (now.width() > start.width() + 4) == away; });
}

void crowds(benchmark::internal::Benchmark* bench)
{
    bench->Args({2000, 2000})->Args({4000, 4000})->Args({10000, 500})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_ScatteredDragStep)->Apply(crowds);
BENCHMARK(BM_ScatteredResizeStep)->Apply(crowds);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
