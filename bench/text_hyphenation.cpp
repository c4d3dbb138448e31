// One text box (300 × 200 points) holding one paragraph of ordinary words,
// laid out from scratch with hyphenation on and off, at 200 KB, 1 MB and
// 3 MB: processor time, as the window spends it. The ratio of hyphenated to
// plain at each size is printed at the end (target for 3 MB: below 3).
#include "content/text/FlowLayout.h"
#include "content/text/Hyphenator.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include "QtBenchmarkMain.h"

namespace {

std::map<std::pair<int, bool>, double> g_seconds;

// Ordinary words, most long enough to be hyphenated, without a paragraph
// break.
QString paragraph(int characters)
{
    static const QStringList words = QStringLiteral(
        "the quick brown fox jumps over a lazy dog while publishing programs arrange lengthy articles "
        "through connected boxes across numerous pages and hyphenation considerably improves justified "
        "columns of information").split(QLatin1Char(' '));
    QString text;
    text.reserve(characters + 32);
    for (int word = 0; text.size() < characters; ++word)
        text += words[word % words.size()] + QLatin1Char(' ');
    text.truncate(characters);
    return text;
}

void BM_OneParagraphInOneBox(benchmark::State& state)
{
    const int characters = int(state.range(0));
    const bool hyphenate = state.range(1) != 0;
    ql::ParagraphStyle style;
    style.alignment = ql::ParagraphStyle::Alignment::Justified;
    style.hyphenationFactor = hyphenate ? 1.0 : 0.0;
    const ql::TextAttributes attributes {
        {ql::TextAttribute::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), 12))},
        {ql::TextAttribute::paragraphStyle, QVariant::fromValue(style)}};
    ql::text::TextStorage storage;
    storage.setAttributedString(ql::AttributedString(paragraph(characters), attributes));
    ql::text::TextContainer box(QSizeF(300, 200));
    storage.layoutManager()->addTextContainer(&box);
    for (auto _ : state) {
        storage.layoutManager()->textContainerChangedGeometry(&box);
        storage.layoutManager()->ensureLayout();
    }
    const QList<ql::text::FlowLayout::Line> lines = storage.layoutManager()->linesInTextContainer(0);
    state.counters["hyphenated_lines"] =
        double(std::count_if(lines.cbegin(), lines.cend(), [](const auto& line) { return line.hyphenated; }));
    state.SetBytesProcessed(state.iterations() * characters);
}
BENCHMARK(BM_OneParagraphInOneBox)
    ->ArgsProduct({{200'000, 1'000'000, 3'000'000}, {0, 1}})
    ->ArgNames({"chars", "hyphenate"})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Iterations(1);

// Records each run's processor time per layout for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const std::string name = run.benchmark_name();
            const auto chars = name.find("chars:");
            const auto hyphenate = name.find("hyphenate:");
            if (chars != std::string::npos && hyphenate != std::string::npos && run.iterations > 0)
                g_seconds[{std::stoi(name.substr(chars + 6)), name.substr(hyphenate + 10, 1) == "1"}] =
                    run.cpu_accumulated_time / double(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The patterns load once per program, not per layout.
    ql::text::Hyphenator::shared().hyphenationPoints(u"hyphenation");
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& [key, seconds] : g_seconds) {
        if (!key.second)
            continue;
        const auto plain = g_seconds.find({key.first, false});
        if (plain != g_seconds.end() && plain->second > 0)
            std::printf("%d characters: hyphenated %.0f ms, plain %.0f ms of processor time, ratio %.2f\n", key.first,
                        seconds * 1000, plain->second * 1000, seconds / plain->second);
    }
    return 0;
}
