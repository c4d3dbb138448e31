// Laying out a long text through a chain of 50 letter-sized boxes (468 × 648
// points each), from scratch at 20,000, 200,000 and 2,000,000 characters,
// and again after one keystroke in the middle of the text.
#include "content/text/FlowLayout.h"
#include "content/text/TextContainer.h"
#include "content/text/TextStorage.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <benchmark/benchmark.h>
#include <memory>
#include <vector>
#include "QtBenchmarkMain.h"

namespace {

constexpr int kBoxes = 50;

// Paragraphs of about 600 characters of ordinary words.
ql::AttributedString sampleText(int characters)
{
    static const QStringList words = QStringLiteral(
        "the quick brown fox jumps over a lazy dog while page layout programs flow long articles through "
        "linked boxes on many pages and every line must find its place quickly").split(QLatin1Char(' '));
    QString text;
    text.reserve(characters + 16);
    int word = 0;
    int paragraph = 0;
    while (text.size() < characters) {
        text += words[word++ % words.size()];
        paragraph += 1;
        text += paragraph % 100 == 0 ? QLatin1Char('\n') : QLatin1Char(' ');
    }
    text.truncate(characters);
    const ql::TextAttributes attributes {
        {ql::TextAttribute::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), 11))}};
    return ql::AttributedString(text, attributes);
}

struct Chain {
    ql::text::TextStorage storage;
    std::vector<std::unique_ptr<ql::text::TextContainer>> boxes;

    explicit Chain(int characters)
    {
        storage.setAttributedString(sampleText(characters));
        for (int i = 0; i < kBoxes; ++i) {
            boxes.push_back(std::make_unique<ql::text::TextContainer>(QSizeF(468, 648)));
            storage.layoutManager()->addTextContainer(boxes.back().get());
        }
    }
    ql::text::FlowLayout& layout() { return *storage.layoutManager(); }
};

void BM_LayoutFromScratch(benchmark::State& state)
{
    Chain chain(int(state.range(0)));
    for (auto _ : state) {
        // Changing the first box's shape invalidates every line.
        chain.layout().textContainerChangedGeometry(chain.boxes.front().get());
        chain.layout().ensureLayout();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["laid_out_chars"] = chain.layout().firstOverflowCharacter();
    state.counters["boxes_used"] = [&] {
        int used = 0;
        for (int i = 0; i < kBoxes; ++i)
            used += chain.layout().characterRangeForTextContainer(i).length > 0 ? 1 : 0;
        return used;
    }();
}
BENCHMARK(BM_LayoutFromScratch)->Arg(20'000)->Arg(200'000)->Arg(2'000'000)->Unit(benchmark::kMillisecond);

void BM_KeystrokeRelayout(benchmark::State& state)
{
    Chain chain(200'000);
    chain.layout().ensureLayout();
    // A word in the middle of the 25th box: one more letter keeps its
    // paragraph's line count.
    const int position = chain.layout().characterRangeForTextContainer(24).location + 300;
    QTextCursor cursor(chain.storage.document());
    qint64 relaid = 0;
    for (auto _ : state) {
        const qint64 before = chain.layout().relaidBlockCount();
        cursor.setPosition(position);
        cursor.insertText(QStringLiteral("x"));
        chain.layout().ensureLayout();
        relaid = chain.layout().relaidBlockCount() - before;
        state.PauseTiming();
        cursor.deletePreviousChar();
        chain.layout().ensureLayout();
        state.ResumeTiming();
    }
    state.counters["paragraphs_relaid"] = relaid;
}
BENCHMARK(BM_KeystrokeRelayout)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
