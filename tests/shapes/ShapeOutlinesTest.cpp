#include "shapes/ShapeOutlines.h"
#include "shapes/ZVArrowStroke.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/TextOnPath.h"
#include "platform/graphics/FontResolver.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using ql::BezierPath;
using Type = BezierPath::ElementType;

namespace {

std::map<Type, int> countElements(const BezierPath& path)
{
    std::map<Type, int> counts;
    for (const BezierPath::Element& e : path.elements())
        ++counts[e.type];
    return counts;
}

// Every point and control point of the path.
QList<QPointF> allPoints(const BezierPath& path)
{
    QList<QPointF> points;
    for (const BezierPath::Element& e : path.elements()) {
        if (e.type == Type::CurveTo)
            points << e.points[0] << e.points[1] << e.points[2];
        else if (e.type != Type::ClosePath)
            points << e.points[0];
    }
    return points;
}

// The outline fitted by its bounds into a 290 × 290 box, as the library does.
QPainterPath fitted(const BezierPath& path)
{
    const QRectF box = path.bounds();
    QTransform fit;
    fit.scale(290.0 / box.width(), 290.0 / box.height());
    fit.translate(-box.x(), -box.y());
    return path.transformed(fit).toPainterPath();
}

} // namespace

TEST(ShapeOutlines, FiguresAndGeometricOutlinesHaveTheirElementsBoundsAndLimits)
{
    struct Expected {
        const char* name;
        std::function<BezierPath()> make;
        int lines;
        int curves;
        bool figure;
    };
    const Expected outlines[] = {
        {"heart", ql::shapes::heartShape, 0, 9, true},      {"user", ql::shapes::userShape, 5, 26, true},
        {"martini", ql::shapes::martiniShape, 0, 32, true}, {"beaker", ql::shapes::beakerShape, 19, 17, true},
        {"plus", ql::shapes::plusShape, 11, 0, false},      {"check", ql::shapes::checkShape, 5, 0, false},
        {"cross", ql::shapes::crossShape, 11, 0, false},
        {"arrow", [] { return ql::shapes::arrowWithStart(QPointF(0, 0), QPointF(1, 1)); }, 5, 0, false},
    };
    for (const Expected& expected : outlines) {
        SCOPED_TRACE(expected.name);
        BezierPath first = expected.make();
        const BezierPath second = expected.make();
        std::map<Type, int> counts = countElements(first);
        EXPECT_EQ(counts[Type::MoveTo], 1);
        EXPECT_EQ(counts[Type::LineTo], expected.lines);
        EXPECT_EQ(counts[Type::CurveTo], expected.curves);
        EXPECT_EQ(counts[Type::ClosePath], 1);
        EXPECT_EQ(first.elements().last().type, Type::ClosePath) << "one subpath, closed explicitly";
        EXPECT_EQ(first.miterLimit(), expected.figure ? 4.0 : BezierPath().miterLimit());
        if (expected.figure) {
            for (const QPointF& p : allPoints(first)) {
                EXPECT_GT(p.x(), 0.0);
                EXPECT_LT(p.x(), 1.0);
                EXPECT_GT(p.y(), 0.0);
                EXPECT_LT(p.y(), 1.0);
            }
        }
        // A new path each call: changing one leaves the next as built.
        first.transform(QTransform::fromScale(3, -2));
        EXPECT_EQ(expected.make(), second);
        EXPECT_NE(first, second);
    }
    EXPECT_EQ(ql::shapes::plusShape().controlPointBounds(), QRectF(0, 0, 1, 1));
    EXPECT_EQ(ql::shapes::crossShape().controlPointBounds(), QRectF(0, 0, 1, 1));
    EXPECT_DOUBLE_EQ(ql::shapes::checkShape().controlPointBounds().top(), -0.568870849898476);
    EXPECT_EQ(ql::shapes::checkShape().controlPointBounds().bottom(), 0.78125);

    // The heart closes on its start; the user's close adds the last 0.00034.
    const BezierPath heart = ql::shapes::heartShape();
    EXPECT_EQ(heart.elementAt(heart.elementCount() - 2).points[2], heart.elementAt(0).points[0]);
    const BezierPath user = ql::shapes::userShape();
    EXPECT_NEAR(user.elementAt(user.elementCount() - 2).points[2].x() - user.elementAt(0).points[0].x(), 0.00034, 1e-12);
}

TEST(ShapeOutlines, FittedOutlinesFillWhereTheFiguresAre)
{
    const QPainterPath plus = fitted(ql::shapes::plusShape());
    const QPainterPath cross = fitted(ql::shapes::crossShape());
    const QPainterPath heart = fitted(ql::shapes::heartShape());
    for (const QPainterPath* filled : {&plus, &cross, &heart})
        EXPECT_TRUE(filled->contains(QPointF(145, 145)));
    EXPECT_FALSE(plus.contains(QPointF(29, 29)));
    EXPECT_FALSE(cross.contains(QPointF(145, 20)));
    EXPECT_FALSE(heart.contains(QPointF(145, 5))) << "the heart's notch is at the top, y pointing down";
    EXPECT_TRUE(heart.contains(QPointF(145, 270)));

    // The arrow is placed by its matrix alone: tail on the start, tip on the end.
    const BezierPath arrow = ql::shapes::arrowWithStart(QPointF(10, 20), QPointF(110, 70));
    EXPECT_EQ(arrow.elementAt(0).points[0], QPointF(10, 20));
    EXPECT_EQ(arrow.elementAt(3).points[0], QPointF(110, 70));
    for (const QPointF& p : allPoints(ql::shapes::arrowWithStart(QPointF(5, 6), QPointF(5, 6))))
        EXPECT_EQ(p, QPointF(5, 6));
}

TEST(Arrowhead, SevenPointsTurnedOntoTheDirectionInSinglePrecision)
{
    const BezierPath up = ql::shapes::bezierPathWithArrowFromPoint(QPointF(0, 0), QPointF(0, 10), 2, 6, 4);
    ASSERT_EQ(up.elementCount(), 8);
    const auto near = [](QPointF a, QPointF b) { return QLineF(a, b).length() < 1e-12; };
    EXPECT_TRUE(near(up.elementAt(3).points[0], QPointF(0, 10)));
    EXPECT_TRUE(near(up.elementAt(2).points[0], QPointF(-3, 6)));
    EXPECT_TRUE(near(up.elementAt(4).points[0], QPointF(3, 6)));

    const BezierPath line = ql::shapes::bezierPathWithArrowFromPoint(QPointF(0, 0.5), QPointF(1, 0.5), 0.4, 0.75, 0.25);
    const QList<QPointF> expected {{0, 0.7}, {0.75, 0.7}, {0.75, 0.875}, {1, 0.5}, {0.75, 0.125}, {0.75, 0.3}, {0, 0.3}};
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(near(line.elementAt(i).points[0], expected[i])) << i;
    EXPECT_EQ(line.elementAt(7).type, Type::ClosePath);

    const BezierPath far = ql::shapes::bezierPathWithArrowFromPoint(QPointF(0, 0), QPointF(1000000.3, 0), 2, 6, 4);
    const double length = 1000000.3125;
    const double c = 1000000.3 / length;
    EXPECT_DOUBLE_EQ(far.elementAt(3).points[0].x(), 1000000.3);
    EXPECT_DOUBLE_EQ(far.elementAt(1).points[0].x(), c * (length - 4));

    EXPECT_TRUE(ql::shapes::bezierPathWithArrowFromPoint(QPointF(3, 3), QPointF(3, 3), 2, 6, 4).isEmpty());
    // A head longer than the arrow puts its base behind the start.
    const BezierPath shortArrow = ql::shapes::bezierPathWithArrowFromPoint(QPointF(0, 0), QPointF(2, 0), 1, 3, 5);
    EXPECT_TRUE(near(shortArrow.elementAt(1).points[0], QPointF(-3, 0.5)));
}

TEST(ArrowStroke, PathTextAndTheHiddenShapeAtEachPlacement)
{
    ZVArrowStroke stroke;
    stroke.setWidth(2);
    const ql::Font font(QStringLiteral("Helvetica"), 14);
    stroke.setTextAttributes({{ql::TextAttribute::font, QVariant::fromValue(font)}});
    DFImageShape line([] {
        BezierPath p;
        p.moveTo(QPointF(0, 100));
        p.lineTo(QPointF(400, 100));
        return p;
    }());
    const BezierPath outline = line.renderingPath();

    // Without text: one space in the dimensioning style, which draws nothing.
    EXPECT_EQ(stroke.dimensionTextForObject(line).string(), QStringLiteral(" "));
    EXPECT_EQ(stroke.dimensionTextForObject(line).attributesAt(0), DFArrowStroke::dimensioningLineTextAttributes());
    stroke.setHideShape(true);
    EXPECT_TRUE(stroke.arrowPathFromOriginalPath(outline, line).isEmpty());

    stroke.setPathText(QStringLiteral("Above the line"));
    EXPECT_EQ(stroke.dimensionTextForObject(line).attributesAt(3), stroke.textAttributes());
    stroke.setHideShape(false);
    stroke.setArrowHeadAtEnd(DFArrowStroke::FilledHead);
    EXPECT_EQ(stroke.arrowPathFromOriginalPath(outline, line), stroke.DFArrowStroke::arrowPathFromOriginalPath(outline, line));

    // Hidden, the path is the glyph outlines alone, offset across the line.
    stroke.setHideShape(true);
    const double x = ql::FontResolver::metrics(font).xHeight();
    const std::pair<int, double> placements[] = {{0, 3.0}, {1, 3.0}, {2, -x / 2}, {3, -(1 + x + 2)}};
    for (const auto& [placement, offset] : placements) {
        SCOPED_TRACE(placement);
        stroke.setDimensioningLineOptions(placement);
        const BezierPath glyphs = stroke.arrowPathFromOriginalPath(outline, line);
        EXPECT_EQ(glyphs, ql::df::bezierPathWithTextOnPath(outline, stroke.dimensionTextForObject(line), offset));
        EXPECT_GT(glyphs.elementCount(), 20);
        EXPECT_GT(glyphs.bounds().left(), 0.0) << "no part of the outline itself";
    }
    // Below the line the glyphs hang under it (placed by the x-height, tall
    // letters reach up to the line); above they stand over it.
    stroke.setDimensioningLineOptions(3);
    const QRectF below = stroke.arrowPathFromOriginalPath(outline, line).bounds();
    EXPECT_GT(below.top(), 99.5);
    EXPECT_GT(below.center().y(), 100.0 + x / 2);
    stroke.setDimensioningLineOptions(1);
    EXPECT_LT(stroke.arrowPathFromOriginalPath(outline, line).bounds().bottom(), 100.0);

    const std::unique_ptr<DFRasterizer> copy = stroke.copy();
    auto* copied = qobject_cast<ZVArrowStroke*>(copy.get());
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->pathText(), stroke.pathText());
    EXPECT_TRUE(copied->hideShape());
}
