#include "DrawingTestSupport.h"
#include "platform/graphics/FontResolver.h"
#include "shapes/df/DFArrowStroke.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFStyle.h"
#include "shapes/df/TextOnPath.h"

#include <QElapsedTimer>
#include <QLineF>
#include <gtest/gtest.h>

using namespace ql;

namespace {

BezierPath straight(QPointF from, QPointF to)
{
    BezierPath path;
    path.moveTo(from);
    path.lineTo(to);
    return path;
}

AttributedString helvetica(const QString& text, double size = 14)
{
    return AttributedString(text, {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), size))}});
}

// The centres of the separate glyph outlines of a path (counters, which
// lie inside their glyph, left out).
QList<QPointF> glyphCentres(const BezierPath& outlines)
{
    QList<QRectF> boxes;
    for (const QPolygonF& polygon : outlines.toPainterPath().toSubpathPolygons())
        boxes.append(polygon.boundingRect());
    QList<QPointF> centres;
    for (const QRectF& box : boxes) {
        const bool counter = std::any_of(boxes.begin(), boxes.end(), [&](const QRectF& other) { return other != box && other.contains(box); });
        if (!counter)
            centres.append(box.center());
    }
    return centres;
}

// A stroke whose dimension text is fixed, to see where the text goes.
class LabelledStroke : public DFArrowStroke {
public:
    AttributedString dimensionTextForObject(const DFRenderable&) const override { return helvetica(QStringLiteral("oooo")); }
};

} // namespace

TEST(ArrowStrokeTest, HeadTipsSitAtTheEndsOfTheOutline)
{
    const BezierPath line = straight({0, 0}, {100, 0});
    DFDrawablePath object(line);
    DFArrowStroke stroke;
    stroke.setArrowHeadAtStart(DFArrowStroke::FilledHead);
    stroke.setArrowHeadAtEnd(DFArrowStroke::OpenHead);
    stroke.setArrowHeadLength(12);
    stroke.setArrowHeadWidth(8);

    const BezierPath heads = stroke.arrowHeadsForPath(line);
    QList<QPointF> points;
    for (const BezierPath::Element& e : heads.elements())
        if (e.type != BezierPath::ElementType::ClosePath)
            points.append(e.points[0]);
    // Filled start head: base at x = 12, tip at 0; open end head: tip at 100.
    EXPECT_EQ(points, (QList<QPointF> {{12, -4}, {0, 0}, {12, 4}, {88, 4}, {100, 0}, {88, -4}}));

    // The base hook gives the line, shortened under the filled head, then the heads.
    const BezierPath drawn = stroke.arrowPathFromOriginalPath(line, object);
    EXPECT_EQ(drawn.elements().mid(2), heads.elements());
    EXPECT_NEAR(drawn.elementAt(0).points[0].x(), 6.0, 1e-6);
    EXPECT_EQ(drawn.elementAt(1).points[0], QPointF(100, 0));

    // A curved outline ends along its last handle.
    BezierPath curve;
    curve.moveTo({0, 0});
    curve.curveTo({50, 100}, {0, 50}, {50, 50});
    const BezierPath curvedHeads = stroke.arrowHeadsForPath(curve);
    EXPECT_EQ(curvedHeads.elementAt(5).points[0], QPointF(50, 100)) << "the end head's tip";
    EXPECT_EQ(curvedHeads.elementAt(4).points[0], QPointF(50 - 4, 100 - 12)) << "its corner, back along the handle";

    // Kind 0 (and kinds beyond 4) draw no head.
    stroke.setArrowHeadAtStart(DFArrowStroke::NoHead);
    stroke.setArrowHeadAtEnd(9);
    EXPECT_TRUE(stroke.arrowHeadsForPath(line).isEmpty());
    EXPECT_EQ(stroke.arrowPathFromOriginalPath(line, object), line);

    // Drawn: a filled head shows ink right up to its tip and none beyond.
    auto style = std::make_unique<DFStyle>();
    auto arrow = std::make_unique<DFArrowStroke>();
    arrow->setWidth(2);
    arrow->setArrowHeadAtEnd(DFArrowStroke::FilledHead);
    arrow->setArrowHeadLength(12);
    arrow->setArrowHeadWidth(10);
    style->addRenderer(std::move(arrow));
    DFDrawablePath drawnObject(straight({10, 20}, {110, 20}));
    drawnObject.setStyle(std::move(style));
    QImage image = dftest::canvas(130, 40);
    {
        QPainter painter(&image);
        drawnObject.drawContentWithStyle(painter);
    }
    EXPECT_GT(dftest::alphaAt(image, 100, 23), 200) << "the head is filled";
    EXPECT_GT(dftest::alphaAt(image, 108, 20), 100);
    EXPECT_EQ(dftest::alphaAt(image, 112, 20), 0);
    EXPECT_EQ(dftest::alphaAt(image, 100, 27), 0);
}

TEST(ArrowStrokeTest, TextGoesAboveOnOrBelowTheOutline)
{
    const BezierPath line = straight({0, 50}, {300, 50});
    DFDrawablePath object(line);
    LabelledStroke stroke;
    stroke.setWidth(2);
    stroke.setTextAttributes({{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 14))}});
    const double x = FontResolver::metrics(Font(QStringLiteral("Helvetica"), 14)).xHeight();

    stroke.setDimensioningLineOptions(DFArrowStroke::TextAbove);
    EXPECT_DOUBLE_EQ(stroke.textOffset(), 3.0);
    QRectF box = stroke.textPathForObject(object).bounds();
    EXPECT_NEAR(box.bottom(), 50 - 3, 0.8) << "above: baseline 3 points over the line";

    stroke.setDimensioningLineOptions(DFArrowStroke::TextCentred);
    EXPECT_DOUBLE_EQ(stroke.textOffset(), -x / 2);
    box = stroke.textPathForObject(object).bounds();
    EXPECT_NEAR(box.center().y(), 50, 0.8) << "centred on the line";

    stroke.setDimensioningLineOptions(DFArrowStroke::TextBelow);
    EXPECT_DOUBLE_EQ(stroke.textOffset(), -(1 + x + 2));
    box = stroke.textPathForObject(object).bounds();
    EXPECT_NEAR(box.top(), 50 + 3, 0.8) << "below: the tops 3 points under the line";

    stroke.setDimensioningLineOptions(7);
    EXPECT_EQ(stroke.dimensioningLineOptions(), DFArrowStroke::TextBelow) << "unknown options are ignored";

    // The base stroke shows no text; its class attributes are 12-point Helvetica.
    EXPECT_TRUE(DFArrowStroke().textPathForObject(object).isEmpty());
    EXPECT_EQ(DFArrowStroke().font(), Font(QStringLiteral("Helvetica"), 12));
    EXPECT_EQ(stroke.font(), Font(QStringLiteral("Helvetica"), 14));
}

TEST(TextOnPathTest, GlyphsFollowStraightAndCircularPaths)
{
    const AttributedString text = helvetica(QStringLiteral("oooo"));
    const double x = FontResolver::metrics(Font(QStringLiteral("Helvetica"), 14)).xHeight();

    // Along a straight line, glyph centres sit on the line for an offset of
    // −x/2, and 10 points further up for −x/2 + 10.
    const BezierPath line = straight({20, 100}, {320, 100});
    QList<QPointF> centres = glyphCentres(df::bezierPathWithTextOnPath(line, text, -x / 2));
    ASSERT_EQ(centres.size(), 4);
    for (const QPointF& c : centres)
        EXPECT_NEAR(c.y(), 100, 1.0);
    EXPECT_LT(centres.first().x(), centres.last().x());
    for (const QPointF& c : glyphCentres(df::bezierPathWithTextOnPath(line, text, -x / 2 + 10)))
        EXPECT_NEAR(c.y(), 90, 1.0);

    // Around a circle of radius 100 (running clockwise on the page, so up
    // is outwards), the centres keep the offset's distance from the centre.
    const BezierPath circle = BezierPath::ovalInRect(QRectF(0, 0, 200, 200));
    centres = glyphCentres(df::bezierPathWithTextOnPath(circle, text, 10 - x / 2));
    ASSERT_EQ(centres.size(), 4);
    for (const QPointF& c : centres)
        EXPECT_NEAR(QLineF(c, QPointF(100, 100)).length(), 110, 1.0);

    // Alignment and indent place the text along the path.
    AttributedString centred = text;
    ParagraphStyle paragraph;
    paragraph.alignment = ParagraphStyle::Alignment::Center;
    centred.addAttribute(TextAttribute::paragraphStyle, QVariant::fromValue(paragraph), 0, centred.length());
    centres = glyphCentres(df::bezierPathWithTextOnPath(line, centred, 0));
    EXPECT_NEAR((centres.first().x() + centres.last().x()) / 2, 170, 1.0);
    paragraph.alignment = ParagraphStyle::Alignment::Left;
    paragraph.firstLineHeadIndent = 50;
    AttributedString indented = text;
    indented.addAttribute(TextAttribute::paragraphStyle, QVariant::fromValue(paragraph), 0, indented.length());
    EXPECT_NEAR(df::bezierPathWithTextOnPath(line, indented, 0).bounds().left(),
                df::bezierPathWithTextOnPath(line, text, 0).bounds().left() + 50, 0.01);
}

TEST(TextOnPathTest, BlankTextLongTextAndDegeneratePathsEndCleanly)
{
    const BezierPath line = straight({0, 0}, {50, 0});
    EXPECT_TRUE(df::bezierPathWithTextOnPath(line, helvetica(QStringLiteral(" ")), 0).isEmpty());
    EXPECT_TRUE(df::bezierPathWithTextOnPath(line, AttributedString(), 0).isEmpty());
    EXPECT_TRUE(df::bezierPathWithTextOnPath(BezierPath(), helvetica(QStringLiteral("abc")), 0).isEmpty());
    EXPECT_TRUE(df::bezierPathWithTextOnPath(line, helvetica(QStringLiteral("abc")), std::nan("")).isEmpty());

    // 500 characters on 50 points: the glyphs that fit, quickly.
    QElapsedTimer timer;
    timer.start();
    const BezierPath outlines = df::bezierPathWithTextOnPath(line, helvetica(QString(500, QLatin1Char('m'))), 0);
    EXPECT_LT(timer.elapsed(), 2000);
    const QRectF box = outlines.bounds();
    EXPECT_GE(box.left(), -0.5);
    EXPECT_LE(box.right(), 50.5) << "glyphs past the end are left out";
    EXPECT_GE(glyphCentres(outlines).size(), 3);
}
