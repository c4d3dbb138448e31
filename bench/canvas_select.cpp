// Edit ▸ Select All, a click on the empty page and Arrange ▸ Group on one
// page of 100, 300 or 1,000 text boxes in the real window (offscreen): the
// boxes all in one group, as Arrange ▸ Group stores them, or in none. Each
// step is what the user gives (the menu command after the window validated
// its items, as a shortcut does; the click) with everything the window does
// in answer, the inspectors and menus, and the repaint. Target: well
// under 100 ms at 1,000 boxes.
#include "CrowdedWindow.h"
#include "QtBenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

// Times `step` on a page of the benchmark's size, each time after the
// untimed `prepare`; `outcome` says whether the last step did its work.
template <class Prepare, class Step, class Outcome>
void timeSteps(benchmark::State& state, Prepare prepare, Step step, Outcome outcome)
{
    const bool grouped = state.range(1) != 0;
    CrowdedWindow crowd(int(state.range(0)), grouped);
    if (!crowd.ready())
        return state.SkipWithError("cannot open the page");
    for (auto _ : state) {
        state.PauseTiming();
        prepare(crowd);
        state.ResumeTiming();
        step(crowd);
    }
    if (const char* failure = outcome(crowd))
        return state.SkipWithError(failure);
    state.SetLabel(QStringLiteral("%1 boxes, %2").arg(state.range(0)).arg(grouped ? u"grouped" : u"ungrouped")
                       .toStdString());
}

void BM_SelectAll(benchmark::State& state)
{
    timeSteps(
        state, [](CrowdedWindow& crowd) { crowd.clickEmptyPage(); },
        [](CrowdedWindow& crowd) { crowd.menu("Edit/Select All"); },
        [](const CrowdedWindow& crowd) { return crowd.allActive() ? nullptr : "Select All left boxes out"; });
}

void BM_Deselect(benchmark::State& state)
{
    timeSteps(
        state, [](CrowdedWindow& crowd) { crowd.menu("Edit/Select All"); },
        [](CrowdedWindow& crowd) { crowd.clickEmptyPage(); },
        [](const CrowdedWindow& crowd) { return crowd.noneActive() ? nullptr : "the click left boxes selected"; });
}

// On a grouped page the boxes are one group already: the window refuses
// the command, and what is measured is its asking.
void BM_Group(benchmark::State& state)
{
    const bool grouped = state.range(1) != 0;
    timeSteps(
        state,
        [grouped](CrowdedWindow& crowd) {
            if (!grouped)
                crowd.ungroupAll();
            crowd.clickEmptyPage();
            crowd.menu("Edit/Select All");
        },
        [](CrowdedWindow& crowd) { crowd.menu("Arrange/Group"); },
        [](const CrowdedWindow& crowd) {
            const QList<ZVPuttyView*>& boxes = crowd.page().puttyViews();
            const ZVPuttyViewGroup* group = boxes.constFirst()->group();
            return group && group->groupedViews().size() == boxes.size() ? nullptr : "the boxes are not one group";
        });
}

void sizes(benchmark::internal::Benchmark* bench)
{
    for (const int grouped : {1, 0}) {
        for (const int count : {100, 300, 1000})
            bench->Args({count, grouped});
    }
    bench->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_SelectAll)->Apply(sizes);
BENCHMARK(BM_Deselect)->Apply(sizes);
BENCHMARK(BM_Group)->Apply(sizes);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
