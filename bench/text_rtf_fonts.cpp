// Text that names thousands of fonts no machine has, each for one run: rich
// text and HTML dropped on a page, read into styled text as a drop reads
// them, and a document's text, its fonts looked up as a document is read;
// then laid out in a text box. Every run names fonts of its own, so that
// nothing is known from a run before. Target for 100,000 fonts: under 5 s.
#include "content/text/AttributedTextMapping.h"
#include "content/text/RtfReader.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"
#include "platform/graphics/FontResolver.h"

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

QString htmlNamingUnknownFonts(int count, int round)
{
    QString html;
    for (int i = 0; i < count; ++i)
        html += QStringLiteral("<span style=\"font-family:'Unheard Family %1 %2'\">run %2 </span>").arg(round).arg(i);
    return QStringLiteral("<html><body><p>") + html + QStringLiteral("</p></body></html>");
}

ql::AttributedString textNamingUnknownFonts(int count, int round)
{
    ql::AttributedString text;
    for (int i = 0; i < count; ++i) {
        const ql::Font font(QStringLiteral("UnheardFace%1x%2-Bold").arg(round).arg(i), 12.0);
        text.append(QStringLiteral("run %1 ").arg(i), {{ql::TextAttribute::font, QVariant::fromValue(font)}});
    }
    return text;
}

void layOut(const ql::AttributedString& text)
{
    ql::text::TextStorage storage;
    storage.setAttributedString(text);
    ql::text::TextContainer box(QSizeF(300, 200));
    storage.layoutManager()->addTextContainer(&box);
    storage.layoutManager()->ensureLayout();
}

// Reads what `make` makes of a new round's input with `read`, and lays it out.
template <class Make, class Read>
void readAndLayOut(benchmark::State& state, Make make, Read read)
{
    static int round = 0;
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const auto input = make(count, ++round);
        state.ResumeTiming();
        const std::optional<ql::AttributedString> text = read(input);
        if (!text) {
            state.SkipWithError("the text did not read");
            break;
        }
        layOut(*text);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_DropRtfNamingUnknownFonts(benchmark::State& state)
{
    readAndLayOut(state, rtfNamingUnknownFonts, [](const QByteArray& rtf) { return ql::text::attributedStringFromRtf(rtf); });
}

void BM_DropHtmlNamingUnknownFonts(benchmark::State& state)
{
    readAndLayOut(state, htmlNamingUnknownFonts, [](const QString& html) {
        return std::optional(ql::text::attributedStringFromHtml(html));
    });
}

void BM_ReadTextNamingUnknownFonts(benchmark::State& state)
{
    readAndLayOut(state, textNamingUnknownFonts, [](const ql::AttributedString& text) {
        // As a document's text is read: its fonts looked up under the
        // reader's budget, its formats made when it is first laid out.
        const ql::FontResolver::AliasBudget budget;
        ql::text::lookUpFonts(text);
        return std::optional(text);
    });
}

BENCHMARK(BM_DropRtfNamingUnknownFonts)->Arg(1000)->Arg(10'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_DropHtmlNamingUnknownFonts)->Arg(1000)->Arg(10'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);
BENCHMARK(BM_ReadTextNamingUnknownFonts)->Arg(1000)->Arg(10'000)->Arg(100'000)
    ->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
