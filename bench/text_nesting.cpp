// Rich text and HTML nested far deeper than any page, or flat but long (a
// picture or a list item for every word), read as a drop or a paste reads
// them and laid out in a text box: every level or item holds a word of its
// own. Target: each within a few seconds of processor time.
#include "content/text/AttributedTextMapping.h"
#include "content/text/RtfReader.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

template <class Open>
QString nested(int count, Open open, const QString& close)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += open(i) + QStringLiteral("w%1 ").arg(i);
    return text + close.repeated(count);
}

template <class Read>
void readAndLayOut(benchmark::State& state, const QString& input, Read read)
{
    for (auto _ : state) {
        const std::optional<ql::AttributedString> text = read(input);
        if (!text) {
            state.SkipWithError("the text did not read");
            break;
        }
        ql::text::TextStorage storage;
        storage.setAttributedString(*text);
        ql::text::TextContainer box(QSizeF(180, 190));
        storage.layoutManager()->addTextContainer(&box);
        storage.layoutManager()->ensureLayout();
    }
}

std::optional<ql::AttributedString> readHtml(const QString& html)
{
    return ql::text::attributedStringFromHtml(html);
}

std::optional<ql::AttributedString> readRtf(const QString& rtf)
{
    return ql::text::attributedStringFromRtf(rtf.toLatin1());
}

void BM_DropHtmlNestedSpans(benchmark::State& state)
{
    const auto open = [](int) { return QStringLiteral("<span>"); };
    readAndLayOut(state, nested(int(state.range(0)), open, QStringLiteral("</span>")), readHtml);
}

void BM_DropHtmlNestedSizedSpans(benchmark::State& state)
{
    const auto open = [](int i) { return QStringLiteral("<span style=\"font-size:%1pt\">").arg(6 + i % 40); };
    readAndLayOut(state, nested(int(state.range(0)), open, QStringLiteral("</span>")), readHtml);
}

void BM_DropHtmlNestedTables(benchmark::State& state)
{
    const auto open = [](int) { return QStringLiteral("<div><table><tr><td>"); };
    readAndLayOut(state, nested(int(state.range(0)), open, QStringLiteral("</td></tr></table></div>")), readHtml);
}

void BM_DropHtmlFlatPictures(benchmark::State& state)
{
    const auto open = [](int i) { return QStringLiteral("<img src=\"missing%1.png\">").arg(i); };
    readAndLayOut(state, nested(int(state.range(0)), open, QString()), readHtml);
}

void BM_DropHtmlFlatListItems(benchmark::State& state)
{
    const auto open = [](int) { return QStringLiteral("<li>"); };
    const QString items = nested(int(state.range(0)), open, QString());
    readAndLayOut(state, QStringLiteral("<ul>") + items + QStringLiteral("</ul>"), readHtml);
}

void BM_DropRtfNestedGroups(benchmark::State& state)
{
    const auto open = [](int) { return QStringLiteral("{\\b "); };
    const QString groups = nested(int(state.range(0)), open, QStringLiteral("}"));
    readAndLayOut(state, QStringLiteral("{\\rtf1 before ") + groups + QStringLiteral(" after}"), readRtf);
}

BENCHMARK(BM_DropHtmlNestedSpans)->Arg(10'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_DropHtmlNestedSizedSpans)->Arg(10'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_DropHtmlNestedTables)->Arg(2'000)->Arg(20'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_DropHtmlFlatPictures)->Arg(2'000)->Arg(20'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_DropHtmlFlatListItems)->Arg(2'000)->Arg(20'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_DropRtfNestedGroups)->Arg(150)->Arg(201)->Arg(1'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
