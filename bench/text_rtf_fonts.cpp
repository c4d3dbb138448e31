// Rich text dropped on a page that names thousands of fonts no machine has,
// each for one run: read into styled text as a drop reads it, then laid out
// in a text box. Every run names fonts of its own, so that nothing is known
// from a run before. Target for 100,000 fonts: under 5 s.
#include "content/text/RtfReader.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

QByteArray rtfNamingUnknownFonts(int count, int round)
{
    QByteArray table;
    QByteArray runs;
    for (int i = 0; i < count; ++i) {
        table += QStringLiteral("{\\f%1\\fnil Unheard Face %2 %3;}").arg(i).arg(round).arg(i).toLatin1();
        runs += QStringLiteral("\\f%1 run %1 ").arg(i).toLatin1();
    }
    return "{\\rtf1\\ansi{\\fonttbl" + table + "}\n" + runs + "}";
}

void BM_DropRtfNamingUnknownFonts(benchmark::State& state)
{
    static int round = 0;
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const QByteArray rtf = rtfNamingUnknownFonts(count, ++round);
        state.ResumeTiming();
        const std::optional<ql::AttributedString> text = ql::text::attributedStringFromRtf(rtf);
        if (!text) {
            state.SkipWithError("the RTF did not read");
            break;
        }
        ql::text::TextStorage storage;
        storage.setAttributedString(*text);
        ql::text::TextContainer box(QSizeF(300, 200));
        storage.layoutManager()->addTextContainer(&box);
        storage.layoutManager()->ensureLayout();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DropRtfNamingUnknownFonts)
    ->Arg(1000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
