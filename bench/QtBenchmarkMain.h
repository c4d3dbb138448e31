#pragma once
// One main for the benchmarks that need nothing but a Qt application of
// their kind around the registered benchmarks. Windowing ones draw on the
// offscreen platform unless the caller chose another.
#include <QByteArray>
#include <QtGlobal>
#include <benchmark/benchmark.h>

template <class Application>
int runQtBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
