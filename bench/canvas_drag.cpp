// One element dragged through the canvas on pages of 100, 1,000 and 10,000
// elements, snapping on: each step is a mouse-dragged event through the
// router (the move, the guide passes, the snap) and the canvas repainting
// what changed. NOPAINT=1 leaves the repaint out.
#include "canvas/CanvasEvent.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "platform/graphics/Image.h"
#include "RunSettings.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>
#include <cmath>
#include "QtBenchmarkMain.h"

namespace {

struct Canvas {
    std::unique_ptr<ZVCanvasView> page = std::make_unique<ZVCanvasView>();
    ql::ZVScrollView view;
    ZVPuttyView* dragged = nullptr;

    explicit Canvas(int count)
    {
        // Small elements on a grid a little wider than their contents, on a
        // page that grows with their number: the same density on every page,
        // so what grows is the number of elements, not the paint under the
        // pointer.
        const int columns = int(std::ceil(std::sqrt(double(count))));
        constexpr double kCell = 36.0;
        page->setFrame(QRectF(0, 0, columns * kCell + 200, columns * kCell + 200));
        QImage bitmap(8, 8, QImage::Format_RGB32);
        bitmap.fill(Qt::darkCyan);
        const ql::Image picture(bitmap);
        for (int i = 0; i < count; ++i) {
            auto element = ZVPuttyView::initWithImage(picture);
            element->setFrame(QRectF(i % columns * kCell + 1.3 * (i % 3), i / columns * kCell + 0.7 * (i % 5), 110, 104));
            page->addPuttyView(element.release());
        }
        // The dragged element lies on top, so the press reaches it.
        auto top = ZVPuttyView::initWithImage(picture);
        dragged = top.get();
        page->addPuttyView(top.release());
        dragged->setFrame(QRectF(200, 300, 160, 140));
        view.resize(1000, 900);
        view.setDocumentView(page.get());
        view.show();
        QCoreApplication::processEvents();
        view.router().mouseDown(at(QPointF(280, 370)));
    }
    ~Canvas() { view.router().mouseUp(at(QPointF(280, 370))); }

    static ql::CanvasEvent at(QPointF point)
    {
        ql::CanvasEvent event;
        event.location = point;
        return event;
    }
};

void BM_CanvasDrag(benchmark::State& state)
{
    useRunSettingsStore();
    ql::UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), true);
    Canvas canvas(int(state.range(0)));
    double x = 280;
    double step = 1.3;
    int steps = 0;
    for (auto _ : state) {
        x += step;
        if (++steps % 100 == 0)
            step = -step;
        canvas.view.router().mouseDragged(Canvas::at(QPointF(x, 370 + steps % 7 * 0.37)));
        if (qEnvironmentVariableIsEmpty("NOPAINT"))
            QCoreApplication::processEvents();
    }
    state.SetLabel(QStringLiteral("%1 elements").arg(state.range(0)).toStdString());
}
BENCHMARK(BM_CanvasDrag)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
