#include "canvas/CanvasTestSupport.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/FontResolver.h"
#include "platform/graphics/Gradient.h"
#include "shapes/ZVArrowStroke.h"
#include "shapes/ZVImageAdornment.h"
#include "shapes/ZVVectorView.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFShapeFactory.h"
#include "shapes/df/DFStyle.h"

#include "ShapeTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A shape element on a page of a document that records undo.
struct ShapeOnPage {
    explicit ShapeOnPage(const QString& name = QStringLiteral("circle"), QSizeF content = QSizeF(300, 300))
    {
        page = document.addPage();
        element = ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 50, 50)), name).release();
        element->setFrame(QRectF(QPointF(10, 10), content + QSizeF(80, 80)));
        page->addPuttyView(element);
        view = qobject_cast<ZVVectorView*>(element->contentView());
        endTurn();
        document.undo.removeAllActions();
    }
    DFStyle* style() const { return view->shape()->style(); }
    ZVArrowStroke* stroke() const { return style()->firstRendererOfClass<ZVArrowStroke>(); }
    ZVBackgroundView* fill() const { return view->backgroundView(); }

    TestDocument document;
    ZVCanvasView* page = nullptr;
    ZVPuttyView* element = nullptr;
    ZVVectorView* view = nullptr;
};

// The gradient of the style's gradient fill; empty without one.
DFGradient gradientOf(const DFStyle& style)
{
    for (DFRasterizer* renderer : style.renderers())
        if (auto* fill = qobject_cast<DFFill*>(renderer); fill && !fill->gradient().isEmpty())
            return fill->gradient();
    return {};
}

} // namespace

TEST(VectorView, NewViewsHaveTheirDefaultsKindsAndOwnFill)
{
    ZVVectorView view(QRectF(0, 0, 100, 80));
    EXPECT_TRUE(view.strokeEnabled());
    EXPECT_FALSE(view.fillEnabled());
    EXPECT_EQ(view.strokeColor().value<ql::Color>(), ql::Color::black());
    EXPECT_EQ(view.strokeWidth(), QVariant(1.0));
    EXPECT_EQ(view.strokeWidth().typeId(), QMetaType::Double);
    for (const QVariant& code : {view.strokeType(), view.strokeLineCap(), view.strokeLineJoin(), view.textAlignment(),
                                 view.textLetterSpacing(), view.textOffset()}) {
        EXPECT_EQ(code, QVariant(0));
        EXPECT_EQ(code.typeId(), QMetaType::Int);
    }
    EXPECT_FALSE(view.arrowEnabled());
    EXPECT_EQ(view.leftArrow(), QVariant(4));
    EXPECT_EQ(view.rightArrow(), QVariant(1));
    EXPECT_EQ(view.arrowLength(), QVariant(12));
    EXPECT_EQ(view.arrowWidth(), QVariant(7));
    EXPECT_FALSE(view.textEnabled());
    EXPECT_EQ(view.text(), QStringLiteral("Sample text"));
    EXPECT_EQ(view.textFontFamilyName(), QStringLiteral("Helvetica"));
    EXPECT_EQ(view.textFontSize(), QVariant(14));
    EXPECT_EQ(view.textPlacement(), QVariant(1));
    EXPECT_FALSE(view.adjustmentEligible());
    EXPECT_EQ(view.adjustment(), QVariant(0.5));
    EXPECT_FALSE(view.backgroundOffset().isValid());
    EXPECT_TRUE(view.shapeName().isNull());
    EXPECT_EQ(view.observingKeyPaths2().size(), 36);
    EXPECT_EQ(view.observingKeyPaths2().first(), QStringLiteral("frame"));
    EXPECT_EQ(view.observingKeyPaths2().last(), QStringLiteral("self.backgroundView.gradient"));
    ASSERT_TRUE(view.backgroundView());
    EXPECT_TRUE(view.backgroundView()->vectorBacking());
    EXPECT_TRUE(view.backgroundView()->selected());
    EXPECT_EQ(view.dflayer()->objects().size(), 0);

    // Numbers keep the kinds documents store, whatever a caller passes.
    view.setStrokeWidth(3);
    EXPECT_EQ(view.strokeWidth().typeId(), QMetaType::Double);
    ASSERT_TRUE(view.setValueForKey(u"strokeType", 4.7));
    EXPECT_EQ(view.strokeType(), QVariant(4));

    // Names decide adjustability; a later name keeps the adjustment.
    view.setShapeName(QStringLiteral("roundedSquare"));
    EXPECT_TRUE(view.adjustmentEligible());
    EXPECT_EQ(view.adjustment(), QVariant(0.2));
    EXPECT_EQ(view.adjustmentMax(), QVariant(0.5));
    view.setShapeName(QStringLiteral("circle"));
    EXPECT_FALSE(view.adjustmentEligible());
    EXPECT_EQ(view.adjustment(), QVariant(0.2));

    // Shapes: null keeps the present one; a set shape shows no knobs and is
    // the layer's only object.
    view.setShape(std::make_unique<DFImageShape>(ql::BezierPath::rect(QRectF(0, 0, 10, 10))));
    DFDrawable* shape = view.shape();
    view.setShape(static_cast<DFDrawable*>(nullptr));
    EXPECT_EQ(view.shape(), shape);
    EXPECT_EQ(DFDrawableShape::knobMask(), 0);
    EXPECT_EQ(view.dflayer()->objects(), QList<DFDrawable*> {shape});
}

TEST(VectorView, TheShapesOwnFillGetsTheElementAndItsPage)
{
    ShapeOnPage s;
    EXPECT_EQ(s.fill()->puttyView(), s.element);
    EXPECT_EQ(s.fill()->undoManager(), &s.document.undo);
    // Made before it had a page; attached again (as a reader does), the
    // fill learns the page too.
    s.view->setPuttyView(s.element);
    EXPECT_EQ(s.fill()->currentPage(), s.page);
    EXPECT_NE(s.fill(), s.element->backgroundView());
    EXPECT_TRUE(s.fill()->vectorBacking());
}

TEST(VectorView, FillsFollowTheBackgroundType)
{
    ShapeOnPage s;
    // None: only the stroke.
    EXPECT_EQ(s.style()->fillColour().alpha(), 0.0);
    EXPECT_FALSE(s.style()->firstRendererOfClass<ZVImageAdornment>());
    ASSERT_TRUE(s.stroke());

    s.fill()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(1, 0, 0)));
    s.fill()->setBackgroundOpacity(0.5);
    s.fill()->setBackgroundType(1);
    EXPECT_EQ(s.style()->fillColour(), ql::Color::deviceRgb(1, 0, 0, 0.5));
    EXPECT_EQ(s.style()->renderers().at(1)->metaObject(), &DFStroke::staticMetaObject);
    EXPECT_EQ(qobject_cast<DFStroke*>(s.style()->renderers().at(1))->width(), 0.0) << "the base style strokes nothing";

    // Two-colour gradients: a split of 0 is 0.01, the angle in radians, the
    // opacity in the stops.
    s.fill()->setBackgroundGradientSplit(0);
    s.fill()->setBackgroundGradientAngle(90);
    s.fill()->setBackgroundGradientType(1);
    s.fill()->setBackgroundType(2);
    DFGradient gradient = gradientOf(*s.style());
    ASSERT_EQ(gradient.colorStops().size(), 2);
    EXPECT_EQ(gradient.colorStops().at(0).position(), 0.0);
    EXPECT_EQ(gradient.colorStops().at(1).position(), 0.01);
    EXPECT_EQ(gradient.colorStops().at(0).color(), ql::Color::white().withAlpha(0.5));
    EXPECT_EQ(gradient.gradientType(), 1);
    EXPECT_EQ(gradient.angle(), 1.5707963267948966);

    // A gradient set from outside is copied stop by stop.
    const ql::Gradient outside(QList<ql::Gradient::Stop> {{ql::Color::black(), 0.0},
                                                          {ql::Color::deviceRgb(0, 1, 0), 0.3},
                                                          {ql::Color::white(), 1.0}});
    s.fill()->setBackgroundGradientType(3);
    s.fill()->setGradient(QVariant::fromValue(outside));
    gradient = gradientOf(*s.style());
    ASSERT_EQ(gradient.colorStops().size(), 3);
    EXPECT_EQ(gradient.colorStops().at(1).position(), 0.3);
    EXPECT_EQ(gradient.colorStops().at(1).color(), ql::Color::deviceRgb(0, 1, 0, 0.5));
    EXPECT_EQ(gradient.gradientType(), 1);

    // Pictures: tiled as a pattern, otherwise through the image fill at the offset.
    s.fill()->setBackgroundImage(shapetest::solid(QSize(10, 10), Qt::blue));
    s.fill()->setBackgroundImageMode(3);
    s.fill()->setBackgroundType(3);
    EXPECT_FALSE(s.style()->firstRendererOfClass<ZVImageAdornment>());
    bool patterned = false;
    for (DFRasterizer* renderer : s.style()->renderers())
        if (auto* fill = qobject_cast<DFFill*>(renderer))
            patterned = patterned || !fill->patternImage().isNull();
    EXPECT_TRUE(patterned);
    s.view->setBackgroundOffset(QVariant(QPointF(7, -3)));
    s.fill()->setBackgroundImageScale(0.5);
    s.fill()->setBackgroundImageMode(0);
    ZVImageAdornment* adornment = s.style()->firstRendererOfClass<ZVImageAdornment>();
    ASSERT_TRUE(adornment);
    EXPECT_EQ(adornment, s.view->imageAdorn());
    EXPECT_EQ(adornment->origin(), QPointF(7, -3));
    EXPECT_EQ(s.view->imageOrigin(), QPointF(7, -3));
    EXPECT_EQ(adornment->clipping(), 2);
    EXPECT_EQ(adornment->fittingOption(), 2);
    EXPECT_EQ(adornment->scale(), 0.5);

    // An unknown type fills with clear colour.
    s.fill()->setBackgroundType(7);
    EXPECT_FALSE(s.style()->firstRendererOfClass<ZVImageAdornment>());
    EXPECT_EQ(s.style()->fillColour().alpha(), 0.0);
}

TEST(VectorView, TheStrokeCarriesDashesCapsJoinsArrowsAndText)
{
    ShapeOnPage s;
    const std::pair<int, QList<double>> dashes[] = {
        {9, {15, 10, 5, 10}}, {12, {}}, {0, {}}, {2, {2, 2}}, {11, {5, 5, 1, 5}}, {-1, {}},
    };
    for (const auto& [type, pattern] : dashes) {
        s.view->setStrokeType(type);
        EXPECT_EQ(s.stroke()->dash().pattern(), pattern) << type;
    }
    s.view->setStrokeType(1);
    EXPECT_EQ(s.stroke()->dash(), DFStrokeDash::defaultDash());
    s.view->setStrokeLineCap(0);
    EXPECT_EQ(s.stroke()->lineCapStyle(), DFStroke::SquareCap);
    s.view->setStrokeLineCap(2);
    EXPECT_EQ(s.stroke()->lineCapStyle(), DFStroke::ButtCap);
    s.view->setStrokeLineJoin(1);
    EXPECT_EQ(s.stroke()->lineJoinStyle(), DFStroke::MiterJoin);
    s.view->setStrokeLineJoin(0);
    EXPECT_EQ(s.stroke()->lineJoinStyle(), DFStroke::RoundJoin);
    s.view->setStrokeWidth(2.5);
    s.view->setStrokeColor(QVariant::fromValue(ql::Color::deviceRgb(0, 0, 1)));
    EXPECT_EQ(s.stroke()->width(), 2.5);
    EXPECT_EQ(s.stroke()->colour(), ql::Color::deviceRgb(0, 0, 1));

    // Arrows only while enabled, whatever the kinds hold.
    s.view->setLeftArrow(2);
    EXPECT_EQ(s.stroke()->arrowHeadAtStart(), 0);
    EXPECT_EQ(s.stroke()->arrowHeadAtEnd(), 0);
    s.view->setArrowEnabled(true);
    EXPECT_EQ(s.stroke()->arrowHeadAtStart(), 2);
    EXPECT_EQ(s.stroke()->arrowHeadAtEnd(), 1);
    EXPECT_EQ(s.stroke()->arrowHeadLength(), 12.0);

    // Text: off is one space and no room; on, the room of 1.2 lines.
    EXPECT_EQ(s.stroke()->pathText(), QStringLiteral(" "));
    EXPECT_EQ(s.view->extraDownscale(), 0.0);
    s.view->setTextAlignment(1);
    s.view->setTextOffset(25);
    s.view->setTextPlacement(3);
    s.view->setTextLetterSpacing(2);
    s.view->setTextEnabled(true);
    const ql::Font font(QStringLiteral("Helvetica"), 14);
    const double lineHeight = ql::FontResolver::metrics(font).height();
    EXPECT_GE(lineHeight, 14.0);
    EXPECT_LE(lineHeight, 24.0);
    EXPECT_DOUBLE_EQ(s.view->extraDownscale(), 1.2 * lineHeight);
    EXPECT_EQ(s.stroke()->pathText(), QStringLiteral("Sample text"));
    EXPECT_EQ(s.stroke()->dimensioningLineOptions(), 3);
    EXPECT_EQ(s.stroke()->font(), font);
    EXPECT_EQ(s.stroke()->textAttributes().value(ql::TextAttribute::kern), QVariant(2.0));
    const auto paragraph = s.stroke()->textAttributes().value(ql::TextAttribute::paragraphStyle).value<ql::ParagraphStyle>();
    EXPECT_EQ(paragraph.alignment, ql::ParagraphStyle::Alignment::Center);
    EXPECT_EQ(paragraph.firstLineHeadIndent, 25.0);
    s.view->setTextHideShape(true);
    EXPECT_TRUE(s.stroke()->hideShape());

    // A name of no font is filled in as part of the rebuild: one undo step,
    // the user's, and no second run of the handler.
    endTurn();
    s.document.undo.removeAllActions();
    int handled = 0;
    s.view->addObserver(QStringLiteral("textFontFamilyName"), nullptr, [&handled](const ql::KeyValueChange&) { ++handled; });
    s.view->setTextFontFamilyName(QString());
    EXPECT_EQ(s.view->textFontFamilyName(), QStringLiteral("Helvetica"));
    EXPECT_EQ(handled, 1) << "the fill-in happens inside the user's change";
    endTurn();
    EXPECT_EQ(s.document.undo.undoCount(), 1);
    s.document.undo.undo();
    EXPECT_EQ(s.view->textFontFamilyName(), QStringLiteral("Helvetica"));

    // Without the stroke there is no outline, no heads and no text.
    s.view->setStrokeEnabled(false);
    EXPECT_FALSE(s.stroke());
}

TEST(VectorView, SizingLeavesRoomForStrokeBorderAndText)
{
    ShapeOnPage s;
    DFDrawable* shape = s.view->shape();
    EXPECT_EQ(s.view->bounds().size(), QSizeF(300, 300));
    EXPECT_EQ(shape->size(), QSizeF(299, 299));
    EXPECT_EQ(shape->location(), QPointF(150, 150));
    s.view->setStrokeEnabled(false);
    EXPECT_EQ(s.view->shape()->size(), QSizeF(299, 299)) << "the stroke's room is kept either way";
    s.view->setStrokeEnabled(true);
    s.view->setStrokeLineJoin(1);
    s.view->setStrokeWidth(4);
    EXPECT_EQ(s.view->shape()->size(), QSizeF(288, 288));
    s.view->setStrokeLineJoin(0);
    s.view->setStrokeWidth(1);

    // The border counts once, in points, whatever the screen.
    s.element->setValueForKey(u"borderEnabled", true);
    s.element->setValueForKey(u"borderWidth", 6);
    s.element->setValueForKey(u"borderStyle", 2);
    s.view->sizeShape();
    EXPECT_EQ(s.view->shape()->size(), QSizeF(293, 293));
    s.element->setValueForKey(u"borderStyle", 1);
    s.view->sizeShape();
    EXPECT_EQ(s.view->shape()->size(), QSizeF(296, 296));
    s.element->setValueForKey(u"borderEnabled", false);

    s.view->setExtraDownscale(20.4);
    s.view->sizeShape();
    EXPECT_DOUBLE_EQ(s.view->shape()->size().width(), 300 - 20.4 - 1);

    // A view too small for its allowances: no size, nothing drawn.
    s.view->setStrokeWidth(400);
    EXPECT_EQ(s.view->shape()->size(), QSizeF(0, 0));
    QImage picture(300, 300, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    s.view->paintShape(painter);
    painter.end();
    EXPECT_EQ(picture, [] {
        QImage blank(300, 300, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
        return blank;
    }());
    EXPECT_EQ(s.view->image().size(), QSizeF(300, 300));

    // Path objects and "custom" shapes are placed by their corner, centred.
    s.view->setStrokeWidth(2);
    ql::BezierPath track;
    track.moveTo(QPointF(5, 5));
    track.curveTo(QPointF(60, 30), QPointF(20, 40), QPointF(40, 0));
    s.view->setShape(std::make_unique<DFDrawablePath>(track));
    s.view->sizeShape();
    const QSizeF placed = s.view->shape()->size();
    EXPECT_EQ(s.view->shape()->location(), QPointF((300 - placed.width()) / 2, (300 - placed.height()) / 2));
    EXPECT_NEAR(s.view->shape()->bounds().center().x(), 150, 1e-9);
}

TEST(VectorView, AdjustmentRebuildsOnlyAdjustableOutlinesAndKeepsTheStyle)
{
    ShapeOnPage s(QStringLiteral("star7"));
    ASSERT_TRUE(s.view->adjustmentEligible());
    s.fill()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(0, 1, 0)));
    s.fill()->setBackgroundType(1);
    s.view->setStrokeWidth(3);
    s.view->setArrowEnabled(true);
    DFDrawable* before = s.view->shape();
    s.view->setAdjustment(0.3);
    DFDrawable* after = s.view->shape();
    ASSERT_NE(after, before);
    ASSERT_TRUE(qobject_cast<DFImageShape*>(after));
    EXPECT_EQ(static_cast<DFImageShape*>(after)->unitOutline().elementCount(),
              DFImageShape(DFShapeFactory::star(7, 0.3)).unitOutline().elementCount());
    EXPECT_EQ(static_cast<DFImageShape*>(after)->unitOutline(), DFImageShape(DFShapeFactory::star(7, 0.3)).unitOutline());
    EXPECT_EQ(s.view->dflayer()->objects(), QList<DFDrawable*> {after});
    EXPECT_EQ(s.style()->fillColour(), ql::Color::deviceRgb(0, 1, 0));
    EXPECT_EQ(s.stroke()->width(), 3.0);
    EXPECT_EQ(s.stroke()->arrowHeadAtStart(), 4);
    EXPECT_EQ(after->size(), QSizeF(297, 297));

    ShapeOnPage heart(QStringLiteral("heart"));
    DFDrawable* outline = heart.view->shape();
    heart.view->setAdjustment(0.1);
    EXPECT_EQ(heart.view->shape(), outline);
    EXPECT_EQ(outline->size(), QSizeF(299, 299));
}

TEST(VectorView, ChangesUndoOnceExceptPlacementAndTheFillOffset)
{
    ShapeOnPage s;
    s.view->setStrokeWidth(5);
    endTurn();
    EXPECT_EQ(s.document.undo.undoCount(), 1);
    s.document.undo.undo();
    EXPECT_EQ(s.view->strokeWidth(), QVariant(1.0));
    EXPECT_EQ(s.stroke()->width(), 1.0) << "undo rebuilds the style";
    s.document.undo.redo();
    EXPECT_EQ(s.stroke()->width(), 5.0);

    s.document.undo.removeAllActions();
    s.view->setBackgroundOffset(QVariant(QPointF(3, 4)));
    endTurn();
    EXPECT_FALSE(s.document.undo.canUndo()) << "the fill's offset is the pan's to undo";

    // A move keeps the size: no resize, but the view is laid out again.
    int imageChanges = 0;
    QObject::connect(s.view, &ql::KVObject::valueChanged, [&imageChanges](const QString& key) {
        imageChanges += key == QLatin1String("image");
    });
    const QSizeF size = s.view->shape()->size();
    s.view->shape()->setSize(QSizeF(10, 10));
    s.element->setFrame(s.element->frame().translated(30, 40));
    EXPECT_EQ(s.view->shape()->size(), QSizeF(10, 10)) << "a move does not resize";
    EXPECT_GT(imageChanges, 0);
    s.element->setFrame(QRectF(0, 0, 280, 180));
    EXPECT_EQ(s.view->shape()->size(), QSizeF(195, 95)) << "the stroke is 5 wide again";
    EXPECT_NE(s.view->shape()->size(), size);

    // The fill's colour undoes in one step however often it goes back and
    // forth: the fill records it, the view does not record it again.
    endTurn();
    s.document.undo.removeAllActions();
    s.fill()->setBackgroundType(1);
    endTurn();
    s.fill()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(0, 0, 1)));
    endTurn();
    int sets = 0;
    s.fill()->addObserver(QStringLiteral("backgroundColor"), nullptr, [&sets](const ql::KeyValueChange&) { ++sets; });
    for (int round = 0; round < 6; ++round) {
        sets = 0;
        s.document.undo.undo();
        EXPECT_EQ(sets, 1);
        EXPECT_EQ(s.style()->fillColour(), ql::Color::white());
        sets = 0;
        s.document.undo.redo();
        EXPECT_EQ(sets, 1);
        EXPECT_EQ(s.style()->fillColour(), ql::Color::deviceRgb(0, 0, 1));
    }
}
