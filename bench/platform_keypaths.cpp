// Setting a value through a key path and delivering it to observers: the
// path every inspector edit and every undo step takes.
#include "platform/object/KVObject.h"
#include "platform/undo/KeyPathUndo.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

class BenchPage : public ql::KVObject {
public:
    const ql::PropertyTable& properties() const override
    {
        static const ql::PropertyTable table = ql::PropertyTableBuilder<BenchPage>(&baseTable())
                                                   .field("bleedMargin", &BenchPage::m_bleedMargin)
                                                   .field("fullBleed", &BenchPage::m_fullBleed)
                                                   .field("templateView", &BenchPage::m_templateView)
                                                   .build();
        return table;
    }
    double m_bleedMargin = 9;
    bool m_fullBleed = false;
    ql::KVObject* m_templateView = nullptr; // no Q_OBJECT here, so held as the base class
};

void keyPathSetWithObservers(benchmark::State& state)
{
    BenchPage master;
    BenchPage page;
    page.m_templateView = &master;
    QObject context;
    int delivered = 0;
    for (int i = 0; i < state.range(0); ++i) {
        page.addObserver(QStringLiteral("templateView.bleedMargin"), &context,
                         [&](const ql::KeyValueChange&) { ++delivered; });
    }
    double value = 0;
    for (auto _ : state) {
        value += 1;
        benchmark::DoNotOptimize(page.setValueForKeyPath(u"templateView.bleedMargin", value));
    }
    benchmark::DoNotOptimize(delivered);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(keyPathSetWithObservers)->Arg(1)->Arg(8);

void keyPathSetWithUndo(benchmark::State& state)
{
    ql::UndoManager undo;
    BenchPage page;
    new ql::KeyPathUndoRecorder(&page, {QStringLiteral("bleedMargin")}, [&] { return &undo; });
    double value = 0;
    for (auto _ : state) {
        value += 1;
        benchmark::DoNotOptimize(page.setValueForKey(u"bleedMargin", value));
        if (undo.undoCount() + 1 >= 1000) {
            state.PauseTiming();
            undo.removeAllActions();
            state.ResumeTiming();
        }
    }
}
BENCHMARK(keyPathSetWithUndo);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
