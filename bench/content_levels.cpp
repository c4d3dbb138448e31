// setLevels of an image content on a 6,000 × 4,000 photo with every
// adjustment on (brightness, contrast, saturation, sharpness, blur, tint)
// and the sepia effect, beside ImageMagick's convert running the nearest
// chain on the same picture in the same run: read from its memory-mapped
// cache (MPC), written nowhere (null:). Peak memory is reported as the
// growth of the process's resident high-water mark over one run for ours,
// and the child's peak resident size for the peer.
#include "ImageMagickPeer.h"
#include "ProcessStatus.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Color.h"

#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <fstream>
#include <string>
#include <algorithm>

namespace {

constexpr int width = 6000;
constexpr int height = 4000;

const QImage& photo()
{
    static const QImage image = [] {
        QImage img(width, height, QImage::Format_RGB32);
        QRandomGenerator random(42);
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int noise = int(random.bounded(24));
                line[x] = qRgb(std::min(255, x * 230 / width + noise), std::min(255, y * 230 / height + noise),
                               ((x / 150 + y / 150) % 2) ? 190 : 50);
            }
        }
        QPainter painter(&img);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(230, 60, 40));
        painter.drawEllipse(QRectF(1200, 900, 2700, 2100));
        return img;
    }();
    return image;
}

void adjust(ZVImageView& view)
{
    view.setBrightness(0.05);
    view.setContrast(1.2);
    view.setSaturation(0.8);
    view.setSharpness(0.5);
    view.setBlur(3);
    view.setTintColor(ql::Color::calibratedRgb(1.0, 0.9, 0.8));
    view.setTintEnabled(true);
    view.setImageEffect(5);
    view.setEffectsEnabled(true);
}

void ours(benchmark::State& state)
{
    ZVImageView view(QRectF(0, 0, width, height));
    view.setOriginalImage(ql::Image(photo()));
    adjust(view);
    view.setImage(ql::Image());
    const double before = statusMiB("self", "VmRSS:");
    for (auto _ : state) {
        view.setLevels();
        benchmark::DoNotOptimize(view.image());
    }
    state.counters["peak_growth_MiB"] = statusMiB("self", "VmHWM:") - before;
}

void peer(benchmark::State& state)
{
    const QString program = bench::imageMagickConvert();
    if (program.isEmpty()) {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    // Saturation and brightness/contrast, luminance-like sharpening, blur,
    // a per-channel multiply for the tint, then sepia.
    static const QString input = bench::peerInputFile(photo(), QStringLiteral("mpc"));
    const QStringList arguments {input,
                                 QStringLiteral("-modulate"), QStringLiteral("100,80"),
                                 QStringLiteral("-brightness-contrast"), QStringLiteral("5x20"),
                                 QStringLiteral("-unsharp"), QStringLiteral("0x1.69+0.5+0"),
                                 QStringLiteral("-blur"), QStringLiteral("0x3"),
                                 QStringLiteral("-color-matrix"), QStringLiteral("1 0 0 0 0.9 0 0 0 0.8"),
                                 QStringLiteral("-sepia-tone"), QStringLiteral("100%"),
                                 QStringLiteral("null:")};
    double peak = 0.0;
    for (auto _ : state) {
        QProcess convert;
        convert.start(program, arguments);
        if (!convert.waitForStarted()) {
            state.SkipWithError("convert did not start");
            return;
        }
        // The high-water mark only grows: its last reading is the peak.
        const std::string pid = std::to_string(convert.processId());
        while (!convert.waitForFinished(5))
            peak = std::max(peak, statusMiB(pid, "VmHWM:"));
        if (convert.exitCode() != 0) {
            state.SkipWithError("convert failed");
            return;
        }
    }
    state.counters["child_peak_MiB"] = peak;
}

} // namespace

// Ours first, so that its peak is not hidden under another's.
BENCHMARK(ours)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(peer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_MAIN();
