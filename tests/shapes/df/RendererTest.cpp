#include "DrawingTestSupport.h"
#include "shapes/df/DFArrowStroke.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFStyle.h"

#include <gtest/gtest.h>

using namespace ql;

namespace {

QImage render(const DFDrawable& object, int w = 120, int h = 60)
{
    QImage image = dftest::canvas(w, h);
    QPainter painter(&image);
    object.drawContentWithStyle(painter);
    return image;
}

std::unique_ptr<DFStroke> strokeOf(const Color& colour, double width)
{
    auto stroke = std::make_unique<DFStroke>();
    stroke->setColour(colour);
    stroke->setWidth(width);
    return stroke;
}

} // namespace

TEST(RendererTest, RenderersDrawInTheOrderAdded)
{
    DFImageShape shape(BezierPath::rect(QRectF(10, 10, 40, 40)));
    auto style = std::make_unique<DFStyle>();
    style->addRenderer(DFFill::fillWithColour(Color::calibratedRgb(1, 0, 0)));
    style->addRenderer(DFFill::fillWithColour(Color::calibratedRgb(0, 0, 1)));
    style->addRenderer(strokeOf(Color::calibratedRgb(0, 1, 0), 4));
    shape.setStyle(std::move(style));
    QImage image = render(shape);
    EXPECT_EQ(dftest::colourAt(image, 30, 30), QColor(Qt::blue));
    EXPECT_EQ(dftest::colourAt(image, 11, 30), QColor(Qt::green)) << "the stroke, added last, is on top";

    // The first fill moved to the end now covers the second.
    DFRasterizer* red = shape.style()->renderers().first();
    shape.style()->addRenderer(shape.style()->removeRenderer(red));
    image = render(shape);
    EXPECT_EQ(dftest::colourAt(image, 30, 30), QColor(Qt::red));
    EXPECT_EQ(dftest::colourAt(image, 11, 30), QColor(Qt::red));

    // Switched-off renderers draw nothing.
    for (DFRasterizer* renderer : shape.style()->renderers())
        renderer->setEnabled(false);
    EXPECT_EQ(dftest::alphaAt(render(shape), 30, 30), 0);
}

TEST(RendererTest, GradientsSpreadOverTheBoundsAndTakeAnAlpha)
{
    const DFGradient gradient({DFColorStop(Color::calibratedRgb(1, 0, 0), 0.0), DFColorStop(Color::calibratedRgb(0, 0, 1), 1.0)});
    const DFGradient faded = gradient.gradientWithAlpha(0.5);
    EXPECT_EQ(faded.colorStops()[0].color().alpha(), 0.5);
    EXPECT_EQ(faded.colorStops()[1].color().alpha(), 0.5);
    EXPECT_EQ(gradient.colorStops()[0].color().alpha(), 1.0) << "a copy";
    EXPECT_EQ(faded.gradientWithAlpha(0.5).colorStops()[0].color().alpha(), 0.25);

    DFImageShape shape(BezierPath::rect(QRectF(0, 0, 100, 40)));
    auto style = std::make_unique<DFStyle>();
    style->addRenderer(DFFill::fillWithGradient(gradient));
    shape.setStyle(std::move(style));
    QImage image = render(shape);
    EXPECT_GT(dftest::colourAt(image, 2, 20).red(), 240) << "angle 0 runs left to right";
    EXPECT_GT(dftest::colourAt(image, 97, 20).blue(), 240);

    // At 90° it runs upwards on the page: the first colour at the bottom.
    DFGradient upwards = gradient;
    upwards.setAngle(M_PI / 2);
    shape.style()->fill()->setGradient(upwards);
    image = render(shape);
    EXPECT_GT(dftest::colourAt(image, 50, 38).red(), 200);
    EXPECT_GT(dftest::colourAt(image, 50, 1).blue(), 200);

    shape.style()->fill()->setGradient(faded);
    EXPECT_NEAR(dftest::alphaAt(render(shape), 50, 20), 128, 2);

    // A radial one starts at the centre.
    DFGradient radial = gradient;
    radial.setGradientType(DFGradient::Radial);
    shape.style()->fill()->setGradient(radial);
    image = render(shape);
    EXPECT_GT(dftest::colourAt(image, 50, 20).red(), 240);
}

TEST(RendererTest, DashesBreakTheLineIntoRuns)
{
    BezierPath line;
    line.moveTo({0, 10});
    line.lineTo({100, 10});
    DFDrawablePath object(line);
    auto stroke = strokeOf(Color::black(), 2);
    stroke->setDash(DFStrokeDash::defaultDash());
    EXPECT_EQ(stroke->dash().pattern(), (QList<double> {5, 5}));
    auto style = std::make_unique<DFStyle>();
    style->addRenderer(std::move(stroke));
    object.setStyle(std::move(style));

    const QImage image = render(object);
    int runs = 0;
    bool inside = false;
    for (int x = 0; x < 110; ++x) {
        const bool inked = dftest::alphaAt(image, x, 10) > 128;
        if (inked && !inside)
            ++runs;
        inside = inked;
    }
    EXPECT_EQ(runs, 10);

    // Patterns that cannot draw leave the line solid.
    const double zeros[] = {0, 0};
    EXPECT_TRUE(DFStrokeDash::dashWithPattern(zeros, 2).isSolid());
    EXPECT_TRUE(DFStrokeDash({5, std::nan("")}).isSolid());
    EXPECT_TRUE(DFStrokeDash({-1, 5}).isSolid());
    EXPECT_TRUE(DFStrokeDash(QList<double>(65, 1.0)).isSolid());
    const double three[] = {15, 10, 5};
    EXPECT_EQ(DFStrokeDash::dashWithPattern(three, 3).pattern(), (QList<double> {15, 10, 5}));
}

TEST(RendererTest, ClippingKeepsARendererInsideOrOutsideTheOutline)
{
    DFImageShape shape(BezierPath::rect(QRectF(20, 20, 40, 20)));
    auto style = std::make_unique<DFStyle>();
    DFRasterizer* stroke = style->addRenderer(strokeOf(Color::black(), 10));
    shape.setStyle(std::move(style));

    QImage image = render(shape);
    EXPECT_GT(dftest::alphaAt(image, 30, 17), 200) << "unclipped, half the line lies outside";
    EXPECT_GT(dftest::alphaAt(image, 30, 22), 200);

    stroke->setClipping(DFRasterizer::ClipInsidePath);
    image = render(shape);
    EXPECT_EQ(dftest::alphaAt(image, 30, 17), 0);
    EXPECT_GT(dftest::alphaAt(image, 30, 22), 200);

    stroke->setClipping(DFRasterizer::ClipOutsidePath);
    image = render(shape);
    EXPECT_GT(dftest::alphaAt(image, 30, 17), 200);
    EXPECT_EQ(dftest::alphaAt(image, 30, 22), 0);
}

TEST(RendererTest, RemovingByClassReachesNestedGroupsOnlyWhenAsked)
{
    DFStyle style;
    style.addRenderer(DFFill::fillWithColour(Color::white()));
    style.addRenderer(strokeOf(Color::black(), 1));
    auto group = std::make_unique<DFRendererGroup>();
    group->addRenderer(DFFill::fillWithColour(Color::black()));
    group->addRenderer(std::make_unique<DFArrowStroke>());
    auto inner = std::make_unique<DFRendererGroup>();
    inner->addRenderer(DFFill::fillWithColour(Color::black()));
    group->addRenderer(std::move(inner));
    auto* nested = static_cast<DFRendererGroup*>(style.addRenderer(std::move(group)));

    EXPECT_EQ(style.removeRenderersOfClass<DFFill>(false), 1);
    EXPECT_EQ(style.renderers().size(), 2);
    EXPECT_EQ(nested->renderers().size(), 3);
    EXPECT_EQ(style.removeRenderersOfClass<DFFill>(true), 2);
    EXPECT_EQ(nested->renderers().size(), 2);
    EXPECT_EQ(qobject_cast<DFRendererGroup*>(nested->renderers().last())->renderers().size(), 0);
    EXPECT_TRUE(qobject_cast<DFArrowStroke*>(nested->renderers().first())) << "other classes stay";
    EXPECT_TRUE(style.stroke());

    // A subclass counts as its class.
    EXPECT_EQ(style.removeRenderersOfClass<DFStroke>(true), 2);
    EXPECT_FALSE(style.stroke());
    EXPECT_EQ(style.fillColour(), Color::clear());
    style.setFillColour(Color::white());
    EXPECT_EQ(qobject_cast<DFFill*>(style.renderers().first())->colour(), Color::white());
}

TEST(RendererTest, FillShadowsFallFromWhatTheFillPaints)
{
    DFImageShape shape(BezierPath::rect(QRectF(10, 10, 20, 20)));
    auto style = std::make_unique<DFStyle>();
    DFFill* fill = static_cast<DFFill*>(style->addRenderer(DFFill::fillWithColour(Color::calibratedRgb(1, 0, 0))));
    fill->setShadow(DFShadow {QPointF(15, 0), 0.0, Color::black()});
    shape.setStyle(std::move(style));
    QImage image = render(shape, 60, 40);
    EXPECT_EQ(dftest::colourAt(image, 20, 20), QColor(Qt::red));
    EXPECT_EQ(dftest::colourAt(image, 40, 20), QColor(Qt::black)) << "the shadow, beside the shape";
    EXPECT_GE(shape.drawingBounds().right(), 45.0);

    fill->setShadow(DFShadow {QPointF(15, 0), 4.0, Color::black()});
    image = render(shape, 60, 40);
    EXPECT_GT(dftest::alphaAt(image, 40, 20), 200);
    EXPECT_GT(dftest::alphaAt(image, 46, 20), 0) << "blurred beyond its edge";
    EXPECT_LT(dftest::alphaAt(image, 46, 20), 200);

    fill->setColour(Color::clear());
    EXPECT_EQ(dftest::alphaAt(render(shape, 60, 40), 40, 20), 0) << "a clear fill casts no shadow";
}

TEST(RendererTest, PatternsTileFromTheObjectAndNamesNameTheKind)
{
    QImage tile(4, 4, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    tile.setPixelColor(0, 0, Qt::blue);
    DFImageShape shape(BezierPath::rect(QRectF(10, 10, 20, 20)));
    auto style = std::make_unique<DFStyle>();
    style->addRenderer(DFFill::fillWithPatternImage(Image(tile)));
    shape.setStyle(std::move(style));
    const QImage image = render(shape, 40, 40);
    EXPECT_EQ(dftest::colourAt(image, 10, 10), QColor(Qt::blue));
    EXPECT_EQ(dftest::colourAt(image, 14, 18), QColor(Qt::blue));
    EXPECT_EQ(dftest::alphaAt(image, 11, 10), 0);

    DFStroke wide;
    wide.setWidth(1e6);
    EXPECT_EQ(wide.pen().widthF(), 32767.0) << "as wide as the painter draws";
    wide.setWidth(-1);
    EXPECT_EQ(wide.width(), 32767.0);

    const DFFill fill;
    EXPECT_EQ(fill.actionNameForKeyPath(QStringLiteral("colour")), QStringLiteral("Fill Colour"));
    EXPECT_TRUE(fill.observableKeyPaths().contains(QStringLiteral("enabled")));
    EXPECT_TRUE(fill.isFill());
    EXPECT_FALSE(DFStroke().isFill());
    EXPECT_EQ(DFArrowStroke().actionNameForKeyPath(QStringLiteral("width")), QStringLiteral("Arrow Stroke Width"));
}
