// The notification centre with many observers: posting a name that few
// observe among many that observe other names, posting to many observers of
// one name, and removing observers one by one.
#include "platform/runtime/NotificationCenter.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

using ql::Notification;
using ql::NotificationCenter;

void BM_PostAmongOtherNames(benchmark::State& state)
{
    NotificationCenter center;
    QObject context;
    const int others = int(state.range(0));
    for (int i = 0; i < others; ++i)
        center.addObserver(&context, QStringLiteral("other%1").arg(i % 64), nullptr, [](const Notification&) {});
    int calls = 0;
    center.addObserver(&context, QStringLiteral("openPage"), nullptr, [&calls](const Notification&) { ++calls; });
    for (auto _ : state)
        center.post(QStringLiteral("openPage"));
    benchmark::DoNotOptimize(calls);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PostAmongOtherNames)->Arg(1000)->Arg(10000)->Arg(100000);

void BM_PostToEveryObserver(benchmark::State& state)
{
    NotificationCenter center;
    QObject context;
    const int observers = int(state.range(0));
    int calls = 0;
    for (int i = 0; i < observers; ++i)
        center.addObserver(&context, QStringLiteral("AutoUpdateText"), nullptr, [&calls](const Notification&) { ++calls; });
    for (auto _ : state)
        center.post(QStringLiteral("AutoUpdateText"));
    benchmark::DoNotOptimize(calls);
    state.SetItemsProcessed(state.iterations() * observers);
}
BENCHMARK(BM_PostToEveryObserver)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

void BM_AddAndRemoveOneByOne(benchmark::State& state)
{
    const int observers = int(state.range(0));
    for (auto _ : state) {
        NotificationCenter center;
        QObject context;
        std::vector<quint64> ids;
        ids.reserve(size_t(observers));
        for (int i = 0; i < observers; ++i)
            ids.push_back(center.addObserver(&context, QStringLiteral("AutoUpdateText"), nullptr, [](const Notification&) {}));
        // Text boxes go in the order they were made, as a closed document's do.
        for (quint64 id : ids)
            center.removeObserver(id);
    }
    state.SetItemsProcessed(state.iterations() * observers);
}
BENCHMARK(BM_AddAndRemoveOneByOne)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QCoreApplication>(argc, argv);
}
