// Image effects on a 2,000 × 2,000 picture, each beside ImageMagick's
// convert doing the nearest operation on the same file in the same run.
// The peer's rows include reading the file; "convert/read-only" shows that
// share on its own.
#include "ImageMagickPeer.h"
#include "design/ZVDesignHelper.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>

namespace {

constexpr int side = 2000;

const QImage& picture()
{
    static const QImage image = [] {
        QImage img(side, side, QImage::Format_RGBA8888);
        QRandomGenerator random(42);
        for (int y = 0; y < side; ++y) {
            uchar* line = img.scanLine(y);
            for (int x = 0; x < side; ++x) {
                const int noise = int(random.bounded(24));
                line[x * 4 + 0] = uchar(std::min(255, x * 255 / side + noise));
                line[x * 4 + 1] = uchar(std::min(255, y * 255 / side + noise));
                line[x * 4 + 2] = uchar(((x / 50 + y / 50) % 2) ? 200 : 40);
                line[x * 4 + 3] = 255;
            }
        }
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(230, 60, 40));
        painter.drawEllipse(QRectF(400, 300, 900, 700));
        painter.setBrush(QColor(30, 90, 220));
        painter.drawRect(QRectF(1200, 1100, 600, 700));
        return img;
    }();
    return image;
}

const QString& inputFile()
{
    // MIFF is ImageMagick's own format: the cheapest file for it to read.
    static const QString path = bench::peerInputFile(picture(), QStringLiteral("miff"));
    return path;
}

QStringList peerOperation(int effect)
{
    const QString s = QString::number(side);
    switch (effect) {
    case 1: return {QStringLiteral("-modulate"), QStringLiteral("100,0")};
    case 2: return {QStringLiteral("-posterize"), QStringLiteral("4")};
    case 3: return {QStringLiteral("-negate")};
    case 4: return {QStringLiteral("-sigmoidal-contrast"), QStringLiteral("3x50%"), QStringLiteral("-modulate"), QStringLiteral("100,85")};
    case 5: return {QStringLiteral("-sepia-tone"), QStringLiteral("80%")};
    case 6: return {QStringLiteral("("), QStringLiteral("+clone"), QStringLiteral("-blur"), QStringLiteral("0x10"), QStringLiteral(")"),
                    QStringLiteral("-compose"), QStringLiteral("screen"), QStringLiteral("-composite")};
    case 7: return {QStringLiteral("("), QStringLiteral("+clone"), QStringLiteral("-blur"), QStringLiteral("0x1.5"),
                    QStringLiteral("-posterize"), QStringLiteral("5"), QStringLiteral(")"), QStringLiteral("("),
                    QStringLiteral("-clone"), QStringLiteral("0"), QStringLiteral("-colorspace"), QStringLiteral("Gray"),
                    QStringLiteral("-edge"), QStringLiteral("1"), QStringLiteral("-negate"), QStringLiteral(")"),
                    QStringLiteral("-delete"), QStringLiteral("0"), QStringLiteral("-compose"), QStringLiteral("multiply"),
                    QStringLiteral("-composite")};
    case 8: return {QStringLiteral("-paint"), QStringLiteral("10")};
    case 9: return {QStringLiteral("-edge"), QStringLiteral("1")};
    case 10: return {QStringLiteral("-colorspace"), QStringLiteral("Gray"), QStringLiteral("-edge"), QStringLiteral("1"),
                     QStringLiteral("-negate"), QStringLiteral("-threshold"), QStringLiteral("90%")};
    case 11: return {QStringLiteral("-sample"), QStringLiteral("5%"), QStringLiteral("-sample"), s + QLatin1Char('x') + s + QLatin1Char('!')};
    default: return {};
    }
}

const char* const names[] = {"", "monochrome", "posterize", "invert", "instant", "sepia", "bloom",
                             "comic", "crystallize", "edges", "line-overlay", "pixellate"};

void ours(benchmark::State& state)
{
    const int effect = int(state.range(0));
    const QImage& image = picture();
    for (auto _ : state) {
        QImage out = ql::ZVDesignHelper::applyEffect(effect, image);
        benchmark::DoNotOptimize(out);
    }
    state.SetLabel(names[effect]);
}

void peer(benchmark::State& state)
{
    const int effect = int(state.range(0));
    const QString program = bench::imageMagickConvert();
    if (program.isEmpty()) {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    QStringList arguments {inputFile()};
    arguments << peerOperation(effect) << QStringLiteral("null:");
    for (auto _ : state) {
        if (QProcess::execute(program, arguments) != 0) {
            state.SkipWithError("convert failed");
            return;
        }
    }
    state.SetLabel(effect == 0 ? "read-only" : names[effect]);
}

} // namespace

BENCHMARK(ours)->DenseRange(1, 11)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(peer)->DenseRange(0, 11)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_MAIN();
