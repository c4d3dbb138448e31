// 3D text pictures: frames per second of a 20-character string at 800 × 600
// (shown whole, shiny, chamfer 1) while it is being turned, one 4000-pixel
// snapshot of a new element, and the floor they are measured against:
// filling the same string's flat glyph outlines with QPainter at 800 × 600.
// Then long strings: their chamfered geometry, and their first picture.
#include "design/ZVDesignHelper.h"
#include "content/ZV3DTextView.h"
#include "platform/graphics/Image.h"

#include <QGuiApplication>
#include <QPainter>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

const QString kString = QStringLiteral("Quiverleaf in depth!");

// Shown whole: the camera's scale leaves room around the string.
void setUp(ZV3DTextView& view)
{
    view.setString(kString);
    view.setIsShiny(true);
    view.setChamferRadius(1);
    view.setFontSize(60);
    view.setAllowsCameraControl(true);
}

void BM_TurningFrame(benchmark::State& state)
{
    ZV3DTextView view(QRectF(0, 0, 800, 600));
    setUp(view);
    view.cameraMouseDown(QPointF(0, 0));
    double x = 0;
    for (auto _ : state) {
        // Each frame a little turned, so no picture is reused.
        x += 0.5;
        view.cameraMouseDragged(QPointF(x, 0));
        benchmark::DoNotOptimize(view.renderImage(QSizeF(800, 600)));
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TurningFrame)->Unit(benchmark::kMillisecond);

void BM_Snapshot4000(benchmark::State& state)
{
    ZV3DTextView view(QRectF(40, 40, 420, 120));
    view.setAllowsCameraControl(true);
    view.cameraMouseDown(QPointF(0, 0));
    double x = 0;
    for (auto _ : state) {
        x += 0.5;
        view.cameraMouseDragged(QPointF(x, 0));
        benchmark::DoNotOptimize(ql::ZVDesignHelper::imageFromSceneKitView(view));
    }
}
BENCHMARK(BM_Snapshot4000)->Unit(benchmark::kMillisecond);

void BM_FlatGlyphsFloor(benchmark::State& state)
{
    ZV3DTextView view(QRectF(0, 0, 800, 600));
    setUp(view);
    const QPainterPath outline = view.text()->outline();
    const double scale = 600.0 / (2 * 140.0);
    for (auto _ : state) {
        QImage picture(800, 600, QImage::Format_RGBA8888_Premultiplied);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(400, 300);
        painter.scale(scale, -scale);
        painter.translate(-outline.boundingRect().center());
        painter.fillPath(outline, Qt::blue);
        painter.end();
        benchmark::DoNotOptimize(picture);
    }
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FlatGlyphsFloor)->Unit(benchmark::kMillisecond);

// Ten-letter words on lines of 100 characters.
QString longString(int characters)
{
    QString text;
    text.reserve(characters);
    for (int i = 0; i < characters; ++i)
        text += i % 100 == 99 ? QLatin1Char('\n') : i % 10 == 9 ? QLatin1Char(' ') : QChar(u'a' + i % 26);
    return text;
}

void BM_LongStringGeometry(benchmark::State& state)
{
    ql::scene3d::TextGeometry::Parameters parameters;
    parameters.string = longString(int(state.range(0)));
    parameters.font = QFont(QStringLiteral("Helvetica"));
    parameters.font.setPointSizeF(36);
    parameters.extrusionDepth = 10;
    parameters.chamferRadius = 1;
    std::size_t facets = 0;
    for (auto _ : state)
        facets = ql::scene3d::TextGeometry(parameters).facets().size();
    state.counters["facets"] = double(facets);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LongStringGeometry)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_LongStringPicture(benchmark::State& state)
{
    const QString string = longString(int(state.range(0)));
    for (auto _ : state) {
        ZV3DTextView view(QRectF(0, 0, 800, 600));
        view.setString(string);
        view.setChamferRadius(1);
        benchmark::DoNotOptimize(view.renderImage(QSizeF(800, 600)));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LongStringPicture)->Arg(2000)->Arg(20000)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
