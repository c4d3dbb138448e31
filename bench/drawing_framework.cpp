// The drawing framework: a layer of 1,000 styled shapes painted, a
// 10,000-point freehand track thinned into curves, and text laid along a
// circle.
#include "platform/graphics/AttributedString.h"
#include "shapes/df/CurveFitting.h"
#include "shapes/df/DFArrowStroke.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFShapeFactory.h"
#include "shapes/df/DFStyle.h"
#include "shapes/df/TextOnPath.h"

#include <QGuiApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cmath>
#include "QtBenchmarkMain.h"

namespace {

constexpr int kShapes = 1000;

std::unique_ptr<DFStyle> styleFor(int i)
{
    auto style = std::make_unique<DFStyle>();
    const DFGradient gradient({DFColorStop(ql::Color::calibratedRgb(1, 0.5, 0), 0), DFColorStop(ql::Color::calibratedRgb(0, 0.3, 1), 1)},
                              i % 2, i * 0.1);
    style->addRenderer(DFFill::fillWithGradient(gradient.gradientWithAlpha(0.8)));
    auto stroke = std::make_unique<DFArrowStroke>();
    stroke->setWidth(2);
    stroke->setDash(DFStrokeDash({15, 10, 5, 10}));
    stroke->setArrowHeadAtStart(DFArrowStroke::BarHead);
    stroke->setArrowHeadAtEnd(DFArrowStroke::FilledHead);
    style->addRenderer(std::move(stroke));
    return style;
}

void BM_PaintStyledShapes(benchmark::State& state)
{
    DFObjectDrawingLayer layer;
    for (int i = 0; i < kShapes; ++i) {
        auto shape = std::make_unique<DFImageShape>(DFShapeFactory::star(5 + i % 4, 0.5));
        shape->setSize(QSizeF(60, 50));
        shape->setLocation(QPointF(40 + (i % 30) * 31.0, 40 + (i / 30) * 27.0));
        shape->setAngle(i * 0.05);
        shape->setStyle(styleFor(i));
        layer.addObject(std::move(shape));
    }
    QImage image(1000, 1000, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        layer.paint(painter);
    }
    state.SetItemsProcessed(state.iterations() * kShapes);
}
BENCHMARK(BM_PaintStyledShapes)->Unit(benchmark::kMillisecond);

void BM_ThinFreehandTrack(benchmark::State& state)
{
    std::vector<QPointF> track;
    for (int i = 0; i < 10000; ++i)
        track.emplace_back(i * 0.1, 300 + 120 * std::sin(i / 400.0) + 4 * std::sin(i / 13.0) + 0.3 * std::sin(i * 1.7));
    qsizetype elements = 0;
    for (auto _ : state) {
        const ql::BezierPath path = ql::df::fitCurve(track, 1.0);
        elements = path.elementCount();
        benchmark::DoNotOptimize(elements);
    }
    state.counters["curves"] = double(elements - 1);
    state.SetItemsProcessed(state.iterations() * qsizetype(track.size()));
}
BENCHMARK(BM_ThinFreehandTrack)->Unit(benchmark::kMillisecond);

void BM_TextAroundACircle(benchmark::State& state)
{
    const ql::BezierPath circle = ql::BezierPath::ovalInRect(QRectF(0, 0, 400, 400));
    const ql::AttributedString text(QStringLiteral("The quick brown fox jumps over the lazy dog. ").repeated(2),
                                    {{ql::TextAttribute::font, QVariant::fromValue(ql::Font(QStringLiteral("Helvetica"), 14))}});
    for (auto _ : state) {
        const ql::BezierPath outlines = ql::df::bezierPathWithTextOnPath(circle, text, 3);
        benchmark::DoNotOptimize(outlines.elementCount());
    }
}
BENCHMARK(BM_TextAroundACircle)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QGuiApplication>(argc, argv);
}
