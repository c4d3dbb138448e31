#include "shapes/df/DFShapeFactory.h"
#include "shapes/df/QuartzPath.h"

#include <gtest/gtest.h>

using namespace ql;
using Type = BezierPath::ElementType;

namespace {

QList<Type> typesOf(const df::QuartzPath& path)
{
    QList<Type> types;
    for (const BezierPath::Element& e : path.elements())
        types.append(e.type);
    return types;
}

} // namespace

TEST(QuartzPathTest, KeepsClosesAndClosesWhatWasLeftOpen)
{
    EXPECT_TRUE(df::quartzPath(BezierPath()).isNull());

    BezierPath open;
    open.moveTo({0, 0});
    open.lineTo({10, 0});
    open.lineTo({10, 10});
    EXPECT_EQ(typesOf(df::quartzPath(open)), (QList<Type> {Type::MoveTo, Type::LineTo, Type::LineTo, Type::ClosePath}));

    BezierPath closed = open;
    closed.closePath();
    EXPECT_EQ(typesOf(df::quartzPath(closed)), (QList<Type> {Type::MoveTo, Type::LineTo, Type::LineTo, Type::ClosePath}));

    // Only the last subpath is closed; an earlier open one stays open.
    BezierPath two;
    two.moveTo({0, 0});
    two.lineTo({5, 0});
    two.moveTo({0, 5});
    two.lineTo({5, 5});
    EXPECT_EQ(typesOf(df::quartzPath(two)), (QList<Type> {Type::MoveTo, Type::LineTo, Type::MoveTo, Type::LineTo, Type::ClosePath}));

    // A move after a close leaves the flag set, and so does a lone move.
    BezierPath trailing = closed;
    trailing.moveTo({20, 20});
    EXPECT_EQ(typesOf(df::quartzPath(trailing)).last(), Type::MoveTo);
    BezierPath lone;
    lone.moveTo({1, 1});
    EXPECT_EQ(typesOf(df::quartzPath(lone)), QList<Type> {Type::MoveTo});

    // Move, line, close, move, line: the second subpath gets its close.
    BezierPath reopened = closed;
    reopened.moveTo({20, 20});
    reopened.lineTo({30, 20});
    EXPECT_EQ(typesOf(df::quartzPath(reopened)).last(), Type::ClosePath);
    EXPECT_EQ(df::quartzPath(reopened).elementCount(), reopened.elementCount() + 1);
}

TEST(QuartzPathTest, CurvesKeepTheirPointOrderAndTheCopyStaysAsMade)
{
    BezierPath curve;
    curve.moveTo({0, 0});
    curve.curveTo({30, 0}, {10, 10}, {20, 10});
    const df::QuartzPath converted = df::quartzPath(curve);
    ASSERT_EQ(converted.elementCount(), 3);
    EXPECT_EQ(converted.elementAt(1).points[0], QPointF(10, 10)); // control 1
    EXPECT_EQ(converted.elementAt(1).points[1], QPointF(20, 10)); // control 2
    EXPECT_EQ(converted.elementAt(1).points[2], QPointF(30, 0));  // end
    const QPainterPath painted = converted.toPainterPath();
    EXPECT_EQ(painted.elementAt(1).type, QPainterPath::CurveToElement);
    EXPECT_EQ(QPointF(painted.elementAt(3)), QPointF(30, 0));

    curve.lineTo({99, 99});
    curve.transform(QTransform::fromScale(2, 2));
    EXPECT_EQ(converted.elementCount(), 3);
    EXPECT_EQ(converted.elementAt(1).points[2], QPointF(30, 0));
}

TEST(QuartzPathTest, VerticalFlipMirrorsWithinTheBounds)
{
    BezierPath wedge;
    wedge.moveTo({10, 20});
    wedge.lineTo({50, 20});
    wedge.lineTo({10, 60});
    wedge.closePath();
    const BezierPath flipped = df::verticallyFlippedPath(wedge);
    EXPECT_EQ(flipped.bounds(), wedge.bounds());
    EXPECT_EQ(flipped.elementAt(0).points[0], QPointF(10, 60));
    EXPECT_EQ(flipped.elementAt(2).points[0], QPointF(10, 20));
    EXPECT_EQ(flipped.elementCount(), wedge.elementCount());
}

TEST(ShapeFactoryTest, AdjustableOutlinesAreClosedInTheUnitSquare)
{
    const QRectF unit(0, 0, 1, 1);
    for (const BezierPath& outline : {DFShapeFactory::star(5, 0.5), DFShapeFactory::star(20, 0.0), DFShapeFactory::star(7, 1.0),
                                      DFShapeFactory::roundRectWithCornerRadius(0.0), DFShapeFactory::roundRectWithCornerRadius(0.2),
                                      DFShapeFactory::roundRectWithCornerRadius(0.5), DFShapeFactory::ring(0.5)}) {
        const QRectF box = outline.bounds();
        EXPECT_NEAR(box.left(), 0.0, 1e-9);
        EXPECT_NEAR(box.top(), 0.0, 1e-9);
        EXPECT_NEAR(box.width(), 1.0, 1e-9);
        EXPECT_NEAR(box.height(), 1.0, 1e-9);
        EXPECT_EQ(outline.elements().last().type, Type::ClosePath);
    }
    // A star has two corners per tip; a deeper star is thinner inside.
    EXPECT_EQ(DFShapeFactory::star(7, 0.3).elementCount(), 15);
    EXPECT_FALSE(DFShapeFactory::star(5, 0.2).toPainterPath().contains(QPointF(0.68, 0.27)));
    EXPECT_TRUE(DFShapeFactory::star(5, 0.9).toPainterPath().contains(QPointF(0.68, 0.27)));
    // Out-of-range arguments are held to their ranges.
    EXPECT_EQ(DFShapeFactory::star(1, 2.0), DFShapeFactory::star(3, 1.0));
    EXPECT_EQ(DFShapeFactory::roundRectWithCornerRadius(std::nan("")), DFShapeFactory::roundRectWithCornerRadius(0.0));
    // The ring's hole is open under both winding rules; the rim is not.
    BezierPath ring = DFShapeFactory::ring(0.5);
    EXPECT_FALSE(ring.toPainterPath().contains(QPointF(0.5, 0.5)));
    ring.setWindingRule(BezierPath::WindingRule::NonZero);
    EXPECT_FALSE(ring.toPainterPath().contains(QPointF(0.5, 0.5)));
    EXPECT_TRUE(ring.toPainterPath().contains(QPointF(0.5, 0.1)));
    // A rounded square with radius 0.2 leaves its corner empty.
    EXPECT_FALSE(DFShapeFactory::roundRectWithCornerRadius(0.2).toPainterPath().contains(QPointF(0.02, 0.02)));
}

TEST(ShapeFactoryTest, ScaledRectKeepsProportionsAndCentres)
{
    EXPECT_EQ(ScaledRectForSize(QSizeF(200, 100), QRectF(0, 0, 100, 100)), QRectF(0, 25, 100, 50));
    EXPECT_EQ(ScaledRectForSize(QSizeF(50, 100), QRectF(10, 10, 100, 100)), QRectF(35, 10, 50, 100));
    EXPECT_EQ(ScaledRectForSize(QSizeF(0, 10), QRectF(0, 0, 30, 40)), QRectF(0, 0, 30, 40));
}
