#include "DrawingTestSupport.h"
#include "shapes/df/CurveFitting.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFStroke.h"
#include "shapes/df/DFStyle.h"
#include "shapes/df/DFToolController.h"
#include "shapes/df/PathEditing.h"
#include "shapes/df/PathMeasure.h"

#include <QLineF>
#include <cmath>
#include <gtest/gtest.h>

using namespace ql;
using dftest::click;
using dftest::drag;

namespace {

// A view that records what reaches its own release handler, and a layer
// that records the information it is asked to show.
class RecordingView : public DFDrawingView {
public:
    using DFDrawingView::DFDrawingView;
    QList<int> releaseClicks;

protected:
    void mouseUp(const ql::CanvasEvent& event) override
    {
        releaseClicks.append(event.clickCount);
        DFDrawingView::mouseUp(event);
    }
};

class RecordingLayer : public DFObjectDrawingLayer {
public:
    QStringList shown;
    void showInfoWindowWithString(const QString& text, QPointF) override { shown.append(text); }
};

struct Surface {
    RecordingView view {QRectF(0, 0, 400, 300)};
    RecordingLayer* layer = nullptr;

    explicit Surface(const QString& tool)
    {
        view.setDrawing(std::make_unique<DFDrawing>(QSizeF(400, 300)));
        layer = static_cast<RecordingLayer*>(view.drawing()->addLayer(std::make_unique<RecordingLayer>(), true));
        EXPECT_TRUE(view.controller()->setDrawingToolWithName(tool));
    }
    DFDrawablePath* only() const
    {
        EXPECT_EQ(layer->objects().size(), 1);
        return layer->objects().isEmpty() ? nullptr : qobject_cast<DFDrawablePath*>(layer->objects().first());
    }
};

// Exact distance from a point to a path of moves, lines and curves.
double distanceToPath(const BezierPath& path, QPointF p)
{
    double best = 1e9;
    QPointF current;
    for (const BezierPath::Element& e : path.elements()) {
        if (e.type == BezierPath::ElementType::LineTo)
            best = std::min(best, df::nearestOnSegment(current, e.points[0], p).second);
        else if (e.type == BezierPath::ElementType::CurveTo)
            best = std::min(best, df::nearestOnCubic({current, e.points[0], e.points[1], e.points[2]}, p).second);
        if (e.type != BezierPath::ElementType::ClosePath)
            current = e.type == BezierPath::ElementType::CurveTo ? e.points[2] : e.points[0];
    }
    return best;
}

} // namespace

TEST(DrawingToolsTest, FreehandStrokesAreThinnedWithinAPoint)
{
    Surface straight(QStringLiteral("Freehand"));
    QVector<QPointF> track;
    for (int i = 0; i <= 40; ++i)
        track.append(QPointF(100 + 20 * i / 40.0, 200 + 30 * i / 40.0));
    drag(straight.view, track);
    DFDrawablePath* stroke = straight.only();
    ASSERT_TRUE(stroke);
    EXPECT_NEAR(stroke->location().x(), 100, 0.5);
    EXPECT_NEAR(stroke->location().y(), 200, 0.5);
    EXPECT_NEAR(stroke->size().width(), 20, 0.5);
    EXPECT_NEAR(stroke->size().height(), 30, 0.5);
    // New objects get a black stroke of 1 point and nothing else.
    EXPECT_EQ(stroke->style()->strokeColour(), Color::black());
    EXPECT_EQ(stroke->style()->strokeWidth(), 1.0);
    EXPECT_EQ(stroke->style()->fillColour().alpha(), 0.0);

    // A wavy track: far fewer curves than points, none more than 1 point off.
    Surface wavy(QStringLiteral("Freehand"));
    track.clear();
    for (int i = 0; i <= 400; ++i)
        track.append(QPointF(20 + i * 0.8, 150 + 40 * std::sin(i / 25.0) + 3 * std::sin(i / 3.0)));
    drag(wavy.view, track);
    DFDrawablePath* wave = wavy.only();
    ASSERT_TRUE(wave);
    EXPECT_LT(wave->path().elementCount(), 80);
    for (const QPointF& p : track)
        EXPECT_LT(distanceToPath(wave->path(), p), 1.0 + 0.05);

    // A click without movement draws nothing.
    Surface lone(QStringLiteral("Freehand"));
    click(lone.view, QPointF(50, 50));
    EXPECT_TRUE(lone.layer->objects().isEmpty());
    EXPECT_TRUE(df::fitCurve({QPointF(1, 1), QPointF(1, 1)}, 1.0).isEmpty());
}

TEST(DrawingToolsTest, LinesRunFromPressToRelease)
{
    Surface surface(QStringLiteral("Line"));
    drag(surface.view, {QPointF(10, 10), QPointF(100, 50), QPointF(210, 90)});
    DFDrawablePath* line = surface.only();
    ASSERT_TRUE(line);
    EXPECT_EQ(df::vertexCount(line->path()), 2);
    EXPECT_EQ(line->path().elementAt(0).points[0], QPointF(10, 10));
    EXPECT_EQ(line->path().elementAt(1).points[0], QPointF(210, 90));
    EXPECT_FALSE(surface.layer->shown.isEmpty()) << "the length is shown while dragging";
    EXPECT_EQ(surface.layer->shown.last(), QStringLiteral("215.4 pt"));

    click(surface.view, QPointF(30, 30));
    EXPECT_EQ(surface.layer->objects().size(), 1) << "a lone click draws no line";
}

TEST(DrawingToolsTest, PathsTakeClicksAndHandlesUntilADoubleClick)
{
    Surface surface(QStringLiteral("Path"));
    click(surface.view, QPointF(10, 10));
    click(surface.view, QPointF(210, 10));
    click(surface.view, QPointF(210, 90));
    EXPECT_TRUE(surface.layer->objects().isEmpty()) << "the path is still open";
    click(surface.view, QPointF(210, 90), 2);
    DFDrawablePath* path = surface.only();
    ASSERT_TRUE(path);
    EXPECT_EQ(df::vertexCount(path->path()), 3);
    EXPECT_EQ(path->path().elementAt(2).points[0], QPointF(210, 90));
    // While the path was open the tool kept the events: the view's own
    // release handler saw only the ending double click.
    EXPECT_EQ(surface.view.releaseClicks, QList<int> {2});

    // Dragging from a click pulls that vertex's handles: the segment into it
    // becomes a curve whose second handle mirrors the drag.
    Surface curved(QStringLiteral("Path"));
    click(curved.view, QPointF(10, 100));
    drag(curved.view, {QPointF(110, 100), QPointF(130, 80)});
    click(curved.view, QPointF(210, 100), 2);
    DFDrawablePath* curve = curved.only();
    ASSERT_TRUE(curve);
    const BezierPath& p = curve->path();
    ASSERT_EQ(p.elementCount(), 3);
    EXPECT_EQ(p.elementAt(1).type, BezierPath::ElementType::CurveTo);
    EXPECT_EQ(p.elementAt(1).points[1], QPointF(90, 120));
    EXPECT_EQ(p.elementAt(2).type, BezierPath::ElementType::CurveTo);
    EXPECT_EQ(p.elementAt(2).points[0], QPointF(130, 80)) << "the next segment leaves along the handle";

    // A path of one point is dropped; an open path is kept when the gesture ends.
    Surface lone(QStringLiteral("Path"));
    click(lone.view, QPointF(50, 50));
    click(lone.view, QPointF(50, 50), 2);
    EXPECT_TRUE(lone.layer->objects().isEmpty());
    click(lone.view, QPointF(50, 50));
    click(lone.view, QPointF(80, 50));
    lone.view.endOpenGesture();
    EXPECT_EQ(lone.layer->objects().size(), 1);
}

TEST(DrawingToolsTest, PointToolsMoveInsertAndDeleteVertices)
{
    Surface surface(QStringLiteral("Path"));
    click(surface.view, QPointF(10, 10));
    click(surface.view, QPointF(210, 10));
    click(surface.view, QPointF(210, 90), 2);
    DFDrawablePath* path = surface.only();
    ASSERT_TRUE(path);

    // Unknown tool names keep the tool.
    EXPECT_FALSE(surface.view.controller()->setDrawingToolWithName(QStringLiteral("Eraser")));
    EXPECT_EQ(surface.view.controller()->drawingToolName(), QStringLiteral("Path"));
    EXPECT_EQ(DFToolController::toolNames().size(), 6);

    ASSERT_TRUE(surface.view.controller()->setDrawingToolWithName(QStringLiteral("Select")));
    drag(surface.view, {QPointF(211, 11), QPointF(230, 30), QPointF(241, 51)});
    EXPECT_EQ(path->path().elementAt(1).points[0], QPointF(240, 50)) << "moved by the drag";
    EXPECT_TRUE(surface.layer->isSelected(path));

    ASSERT_TRUE(surface.view.controller()->setDrawingToolWithName(QStringLiteral("Insert Path Point")));
    click(surface.view, QPointF(125, 33));
    EXPECT_EQ(df::vertexCount(path->path()), 4);
    click(surface.view, QPointF(120, 60));
    EXPECT_EQ(df::vertexCount(path->path()), 4) << "too far from every segment";

    ASSERT_TRUE(surface.view.controller()->setDrawingToolWithName(QStringLiteral("Delete Path Point")));
    click(surface.view, QPointF(240, 51));
    EXPECT_EQ(df::vertexCount(path->path()), 3);
    click(surface.view, QPointF(10, 10));
    EXPECT_EQ(df::vertexCount(path->path()), 2);
    click(surface.view, QPointF(210, 90));
    EXPECT_EQ(df::vertexCount(path->path()), 2) << "two vertices stay";
}

TEST(DrawingToolsTest, SplittingACurveKeepsItsShape)
{
    BezierPath curve;
    curve.moveTo({0, 0});
    curve.curveTo({100, 0}, {0, 80}, {100, 80});
    const QPointF mid = df::pointOnCubic({QPointF(0, 0), QPointF(0, 80), QPointF(100, 80), QPointF(100, 0)}, 0.5);
    const std::optional<BezierPath> split = df::insertPointNear(curve, mid + QPointF(0, 2), 4);
    ASSERT_TRUE(split);
    EXPECT_EQ(df::vertexCount(*split), 3);
    for (int i = 0; i <= 20; ++i)
        EXPECT_LT(distanceToPath(*split, df::pointOnCubic({QPointF(0, 0), QPointF(0, 80), QPointF(100, 80), QPointF(100, 0)}, i / 20.0)), 0.01);
    // Deleting that vertex again keeps the outer handles.
    const std::optional<BezierPath> joined = df::deletePointNear(*split, split->elementAt(1).points[2], 1);
    ASSERT_TRUE(joined);
    EXPECT_EQ(joined->elementAt(1).points[0], QPointF(0, 40));
    EXPECT_EQ(joined->elementAt(1).points[2], QPointF(100, 0));
}

TEST(DrawingToolsTest, PaintsPaperLayersAndKnobs)
{
    Surface surface(QStringLiteral("Line"));
    surface.view.drawing()->setPaperColour(Color::clear());
    drag(surface.view, {QPointF(20, 20), QPointF(120, 20)});
    surface.layer->selectAll();
    QImage image = dftest::canvas(400, 300);
    {
        QPainter painter(&image);
        surface.view.paint(painter);
    }
    EXPECT_GT(dftest::alphaAt(image, 70, 20), 100) << "the line";
    EXPECT_EQ(dftest::colourAt(image, 18, 18), QColor(Qt::white)) << "a knob on its first vertex";
    const QImage shown = surface.view.imageRepresentation(2.0);
    EXPECT_EQ(shown.size(), QSize(800, 600));
    EXPECT_GT(dftest::alphaAt(shown, 140, 40), 100);
    EXPECT_EQ(dftest::alphaAt(shown, 40, 34), 0) << "no knobs in the picture";
}
