// Flushing deferred calls as tests do: many pending calls that each schedule
// one more at once, behind them in the queue's order.
#include "platform/runtime/Deferred.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

void BM_FlushCallsThatEachScheduleOneMore(benchmark::State& state)
{
    const int calls = int(state.range(0));
    QObject context;
    int ran = 0;
    for (auto _ : state) {
        for (int i = 0; i < calls; ++i)
            ql::after(1000, &context, [&] { ql::after(0, &context, [&] { ++ran; }); });
        ql::DeferredCalls::instance().flush();
    }
    benchmark::DoNotOptimize(ran);
    state.counters["left"] = ql::DeferredCalls::instance().pendingCount();
    state.SetItemsProcessed(state.iterations() * calls * 2);
}
BENCHMARK(BM_FlushCallsThatEachScheduleOneMore)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
