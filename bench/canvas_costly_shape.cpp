// A shape whose outline zigzags through hundreds of thousands of segments,
// on the canvas: what the window's thread spends on a paint when the shape
// needs a new picture (recording its drawing, showing the last picture or a
// placeholder), on a repaint from the picture, and, for comparison, drawing
// the shape directly as output does.
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/view/ElementPictureCache.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

ql::BezierPath zigzag(int segments)
{
    ql::BezierPath path;
    path.moveTo(QPointF(0, 0));
    for (int i = 1; i <= segments; ++i)
        path.lineTo(QPointF(300.0 * i / segments, i % 2 ? 200 : 0));
    return path;
}

struct Canvas {
    std::unique_ptr<ZVCanvasView> page = std::make_unique<ZVCanvasView>();
    ql::ZVScrollView view;
    ZVPuttyView* shape = nullptr;

    explicit Canvas(int segments)
    {
        auto element = ZVPuttyView::initWithVector(zigzag(segments), QStringLiteral("path"));
        shape = element.get();
        page->addPuttyView(element.release());
        shape->setFrame(QRectF(72, 72, 380, 280));
        view.resize(1000, 900);
        view.setDocumentView(page.get());
        view.show();
        QCoreApplication::processEvents();
    }
    ql::ElementPictureCache* pictures() const { return view.pageItem()->itemFor(shape)->pictureCache(); }
    void waitForPicture() const
    {
        while (pictures() && pictures()->isRendering())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
};

// Every iteration restyles the shape, so each paint needs a new picture.
void BM_PaintNeedingAPicture(benchmark::State& state)
{
    Canvas canvas(int(state.range(0)));
    auto* content = qobject_cast<ZVVectorView*>(canvas.shape->contentView());
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        canvas.waitForPicture();
        content->setStrokeColor(QVariant::fromValue(ql::Color::deviceRgb(0, 0, (++round % 2) * 0.5)));
        state.ResumeTiming();
        canvas.view.viewport()->repaint();
    }
    canvas.waitForPicture();
}
BENCHMARK(BM_PaintNeedingAPicture)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_RepaintFromThePicture(benchmark::State& state)
{
    Canvas canvas(int(state.range(0)));
    canvas.view.viewport()->repaint();
    canvas.waitForPicture();
    for (auto _ : state)
        canvas.view.viewport()->repaint();
}
BENCHMARK(BM_RepaintFromThePicture)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// What one paint cost before the picture: the shape drawn as it is.
void BM_DrawnDirectly(benchmark::State& state)
{
    Canvas canvas(int(state.range(0)));
    QImage target(1000, 900, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&target);
        painter.setRenderHint(QPainter::Antialiasing);
        ql::ElementPainter::paint(painter, *canvas.shape);
    }
}
BENCHMARK(BM_DrawnDirectly)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
