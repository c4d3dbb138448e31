#include "DrawingTestSupport.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFStroke.h"
#include "shapes/df/DFStyle.h"

#include <QCoreApplication>
#include <QPointer>
#include <gtest/gtest.h>

using namespace ql;

namespace {

// Points sampled along both outlines coincide within the tolerance.
void expectSameOutline(const BezierPath& a, const BezierPath& b, double tolerance)
{
    const QPainterPath pa = a.toPainterPath();
    const QPainterPath pb = b.toPainterPath();
    for (int i = 0; i <= 40; ++i) {
        const QPointF p = pa.pointAtPercent(i / 40.0);
        const QPointF q = pb.pointAtPercent(i / 40.0);
        EXPECT_NEAR(p.x(), q.x(), tolerance) << i;
        EXPECT_NEAR(p.y(), q.y(), tolerance) << i;
    }
}

BezierPath wave()
{
    BezierPath path;
    path.moveTo({10, 45});
    path.curveTo({60, 20}, {20, 20}, {40, 20});
    path.curveTo({110, 70}, {80, 20}, {100, 70});
    path.lineTo({10, 70});
    path.closePath();
    return path; // bounds (10, 20, 100, 50)
}

} // namespace

TEST(DrawableTest, ShapesSitAtTheirCentreAndPathsAtTheirCorner)
{
    const BezierPath outline = BezierPath::rect(QRectF(10, 20, 100, 50));
    DFImageShape shape(outline);
    EXPECT_EQ(shape.size(), QSizeF(100, 50));
    EXPECT_EQ(shape.location(), QPointF(60, 45));
    EXPECT_EQ(shape.bounds(), QRectF(10, 20, 100, 50));

    DFDrawablePath path(outline);
    EXPECT_EQ(path.location(), QPointF(10, 20));
    EXPECT_EQ(path.size(), QSizeF(100, 50));

    // Moving and resizing keep the outline's proportions where they were.
    shape.setSize(QSizeF(50, 100));
    shape.setLocation(QPointF(0, 0));
    EXPECT_EQ(shape.bounds(), QRectF(-25, -50, 50, 100));
    path.setLocation(QPointF(5, 5));
    path.setSize(QSizeF(10, 10));
    EXPECT_EQ(path.bounds(), QRectF(5, 5, 10, 10));
    // A turned shape reports its unturned size; its outline turns.
    shape.setAngle(M_PI / 2);
    EXPECT_EQ(shape.size(), QSizeF(50, 100));
    EXPECT_NEAR(shape.bounds().width(), 100, 1e-9);
    // Sizes that are no numbers change nothing; a flat line stays flat.
    shape.setSize(QSizeF(std::nan(""), 3));
    EXPECT_EQ(shape.size(), QSizeF(50, 100));
    BezierPath line;
    line.moveTo({0, 10});
    line.lineTo({40, 10});
    DFImageShape flat(line);
    flat.setSize(QSizeF(80, 20));
    EXPECT_EQ(flat.size(), QSizeF(80, 0));
    EXPECT_EQ(flat.bounds(), QRectF(-20, 10, 80, 0));
}

TEST(DrawableTest, ConvertingToAPathKeepsOutlineStyleAndPlace)
{
    DFObjectDrawingLayer layer;
    layer.addObject(std::make_unique<DFDrawablePath>(BezierPath::rect(QRectF(0, 0, 5, 5))));
    auto* shape = static_cast<DFImageShape*>(layer.addObject(std::make_unique<DFImageShape>(wave())));
    layer.addObject(std::make_unique<DFDrawablePath>(BezierPath::rect(QRectF(0, 0, 7, 7))));
    shape->setStyle(DFStyle::styleWithFillColour(Color::calibratedRgb(1, 0, 0), Color::calibratedRgb(0, 0, 1), 3));
    shape->setAngle(0.3);
    layer.selectAll();
    const BezierPath before = shape->renderingPath();
    QPointer<DFImageShape> original(shape);

    DFDrawablePath* converted = shape->convertToPath();
    ASSERT_TRUE(converted);
    EXPECT_EQ(layer.objects().size(), 3);
    EXPECT_EQ(layer.indexOfObject(converted), 1);
    EXPECT_EQ(layer.indexOfObject(shape), -1);
    EXPECT_TRUE(layer.isSelected(converted));
    expectSameOutline(converted->path(), before, 0.01);
    EXPECT_EQ(converted->style()->fillColour(), Color::calibratedRgb(1, 0, 0));
    EXPECT_EQ(converted->style()->strokeColour(), Color::calibratedRgb(0, 0, 1));
    EXPECT_EQ(converted->style()->strokeWidth(), 3.0);
    EXPECT_NE(converted->style(), shape->style());
    // The layer owned the shape: it goes once control returns to the loop.
    EXPECT_TRUE(original);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(original);

    // Outside a layer the path object is the caller's.
    DFImageShape loose(wave());
    std::unique_ptr<DFDrawablePath> free(loose.convertToPath());
    expectSameOutline(free->path(), loose.path(), 0.01);
}

TEST(DrawableTest, CopiesAreIndependent)
{
    DFImageShape shape(wave());
    shape.setStyle(DFStyle::styleWithFillColour(Color::white(), Color::black(), 2));
    shape.setImageOffset(QPointF(3, 4));
    std::unique_ptr<DFDrawable> copy = shape.copy();
    auto* image = qobject_cast<DFImageShape*>(copy.get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->path(), shape.path());
    EXPECT_EQ(image->imageOffset(), QPointF(3, 4));
    EXPECT_NE(image->style(), shape.style());

    image->setSize(QSizeF(1, 1));
    image->style()->setFillColour(Color::calibratedRgb(0, 1, 0));
    qobject_cast<DFStroke*>(image->style()->stroke())->setWidth(9);
    EXPECT_EQ(shape.size(), QSizeF(100, 50));
    EXPECT_EQ(shape.style()->fillColour(), Color::white());
    EXPECT_EQ(shape.style()->strokeWidth(), 2.0);
}

TEST(DrawableTest, LayersOwnWhatTheyAdoptAndForgetWhatGoes)
{
    DFDrawing drawing(QSizeF(100, 100));
    auto* first = drawing.addLayer(std::make_unique<DFObjectDrawingLayer>(), true);
    auto* second = drawing.addLayer(std::make_unique<DFObjectDrawingLayer>(), false);
    EXPECT_EQ(drawing.activeLayer(), first);
    drawing.hideAllExcept(second);
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(second->isVisible());

    // A shape with an owner of its own is listed only.
    QObject owner;
    auto* kept = new DFImageShape(wave());
    kept->setParent(&owner);
    QPointer<DFDrawable> adopted = first->addObject(std::make_unique<DFDrawablePath>(wave()));
    first->addObject(kept);
    EXPECT_EQ(kept->layer(), first);
    first->removeAllObjects();
    EXPECT_FALSE(adopted);
    EXPECT_EQ(kept->parent(), &owner);
    EXPECT_EQ(kept->layer(), nullptr);

    // Moving an object to another layer takes it out of the first.
    first->addObject(kept);
    second->addObject(kept);
    EXPECT_TRUE(first->objects().isEmpty());
    EXPECT_EQ(second->objects(), QList<DFDrawable*> {kept});
    // Deleting a listed object elsewhere leaves no dangling entry.
    delete kept;
    EXPECT_TRUE(second->objects().isEmpty());

    drawing.removeLayer(first);
    EXPECT_EQ(drawing.layers(), QList<DFObjectDrawingLayer*> {second});
    EXPECT_EQ(drawing.activeLayer(), second);
}

TEST(DrawableTest, DrawsPaperLayersAndPicturesWhereTheyBelong)
{
    DFDrawing drawing(QSizeF(40, 40));
    drawing.setPaperColour(Color::calibratedRgb(0, 1, 0));
    drawing.setPaperColourIsPrinted(false);
    auto* layer = drawing.addLayer(std::make_unique<DFObjectDrawingLayer>(), true);
    auto* shape = static_cast<DFImageShape*>(layer->addObject(std::make_unique<DFImageShape>(BezierPath::ovalInRect(QRectF(10, 10, 20, 20)))));
    QImage red(4, 4, QImage::Format_ARGB32);
    red.fill(Qt::red);
    shape->setImage(Image(red));
    shape->setStyle(DFStyle::styleWithFillColour(Color::clear(), Color::clear(), 0));

    QImage screen = dftest::canvas(40, 40);
    {
        QPainter painter(&screen);
        drawing.paint(painter);
    }
    EXPECT_EQ(dftest::colourAt(screen, 2, 2), QColor(Qt::green)) << "paper on screen";
    EXPECT_EQ(dftest::colourAt(screen, 20, 20), QColor(Qt::red)) << "the picture inside the outline";
    EXPECT_EQ(dftest::colourAt(screen, 11, 11), QColor(Qt::green)) << "but not outside it";

    QImage output = dftest::canvas(40, 40);
    shape->setImageOpacity(0.5);
    {
        QPainter painter(&output);
        drawing.paint(painter, true);
    }
    EXPECT_EQ(dftest::alphaAt(output, 2, 2), 0) << "unprinted paper stays out of output";
    EXPECT_NEAR(dftest::alphaAt(output, 20, 20), 128, 2);
    layer->setVisible(false);
    output.fill(Qt::transparent);
    {
        QPainter painter(&output);
        drawing.paint(painter, true);
    }
    EXPECT_EQ(dftest::alphaAt(output, 20, 20), 0) << "hidden layers draw nothing";
}
