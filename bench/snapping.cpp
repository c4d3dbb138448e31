// One drag step of one element on pages of 100, 1,000 and 10,000 elements:
// the move, the smart-guide pass, the snap, the second pass, and the guide
// overlay drawn again, as the canvas does on every mouse-dragged event after
// the press has gathered the rest of the page.
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVGuideView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RulerMarker.h"
#include "RunSettings.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

namespace {

struct Scene {
    std::unique_ptr<ZVCanvasView> page = std::make_unique<ZVCanvasView>();
    ZVPuttyView* dragged = nullptr;
    QImage overlay;

    explicit Scene(int count)
    {
        page->setValueForKey(u"showColumnRowGuides", true);
        page->setValueForKey(u"showMarginGuides", true);
        ql::RulerMarker guide;
        guide.location = 200;
        page->setHorizontalMarkers({guide});
        page->setVerticalMarkers({guide});
        QImage bitmap(8, 8, QImage::Format_RGB32);
        bitmap.fill(Qt::darkCyan);
        const ql::Image picture(bitmap);
        for (int i = 0; i < count; ++i) {
            auto element = ZVPuttyView::initWithImage(picture);
            element->setFrame(QRectF(i % 97 * 5.3, i / 97 % 140 * 5.1, 120 + i % 7, 100 + i % 5));
            page->addPuttyView(element.release());
        }
        dragged = page->puttyViews().first();
        dragged->setIsActive(true);
        // As the press of a drag does: the rest of the page is gathered once.
        page->beginElementDrag();
        overlay = QImage(page->frame().size().toSize(), QImage::Format_ARGB32_Premultiplied);
    }

    void step(double dx)
    {
        dragged->setNewFrame(dragged->frame().topLeft() + QPointF(dx, 0.37), false);
        page->puttyViewWasMoved(dragged);
        dragged->snap();
        page->puttyViewWasResized(dragged);
        overlay.fill(Qt::transparent);
        QPainter painter(&overlay);
        page->guideView()->drawRect(painter);
    }
};

void BM_DragStep(benchmark::State& state)
{
    useRunSettingsStore();
    ql::UserDefaults::standard().setBool(QStringLiteral("snapToGuides"), true);
    ql::UserDefaults::standard().setBool(QStringLiteral("showGuides"), true);
    Scene scene(int(state.range(0)));
    double direction = 1.0;
    int steps = 0;
    for (auto _ : state) {
        scene.step(direction * 1.3);
        if (++steps % 200 == 0)
            direction = -direction;
    }
    state.SetLabel(QStringLiteral("%1 elements").arg(state.range(0)).toStdString());
}
BENCHMARK(BM_DragStep)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
