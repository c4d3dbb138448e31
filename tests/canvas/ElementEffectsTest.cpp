// What the element's effect operations leave on its parts: the content's own
// layer (drop shadow, clipping), its border and inner-shadow layers, the
// opacity of content and background, the background's corners and the
// reflection view, and that none of it is an undo step of its own.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ShapeLayer.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"

#include <gtest/gtest.h>

namespace {

ShapeLayer& borderOf(const ZVPuttyView& element)
{
    return *element.contentView()->border();
}

} // namespace

TEST(ElementEffects, ShadowsTakeTheirOffsetFromAngleAndDistance)
{
    auto element = ZVPuttyView::initWithText();
    const ShapeLayer& layer = *element->contentView()->layer();
    EXPECT_NEAR(layer.shadowOffset().width(), -4.330127, 1e-6);
    EXPECT_NEAR(layer.shadowOffset().height(), 2.5, 1e-6);
    EXPECT_EQ(layer.shadowOpacity(), 0.0f) << "off";
    element->setValueForKey(u"shadowEnabled", true);
    EXPECT_EQ(layer.shadowOpacity(), 0.5f);
    EXPECT_EQ(layer.shadowRadius(), 5.0);

    const ShapeLayer& inner = *element->contentView()->innerShadow();
    EXPECT_NEAR(inner.shadowOffset().width(), 0.0, 1e-9);
    EXPECT_NEAR(inner.shadowOffset().height(), 0.0, 1e-9);
    element->setValueForKey(u"innerShadowAngle", 90.0);
    element->setValueForKey(u"innerShadowOffset", 4.0);
    EXPECT_NEAR(inner.shadowOffset().width(), 4.0, 1e-6);
    EXPECT_NEAR(inner.shadowOffset().height(), 0.0, 1e-6);
    EXPECT_EQ(inner.shadowOpacity(), 0.0f);
    element->setValueForKey(u"innerShadowEnabled", true);
    EXPECT_EQ(inner.shadowOpacity(), 0.5f);
    EXPECT_TRUE(element->contentView()->innerShadowEnabled());
    EXPECT_FALSE(inner.isHidden());
}

TEST(ElementEffects, BorderWidthPatternRadiusAndShadowSupport)
{
    QImage red(50, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    auto element = ZVPuttyView::initWithImage(ql::Image(red));
    element->setFrame(QRectF(0, 0, 180, 180));
    element->setValueForKey(u"borderEnabled", true);
    EXPECT_EQ(borderOf(*element).lineWidth(), 2.0);
    element->setValueForKey(u"borderRadius", 6.0);
    EXPECT_EQ(borderOf(*element).lineWidth(), 4.0) << "a rounded border lies on the edge";
    EXPECT_EQ(borderOf(*element).cornerRadius(), 6.0);
    EXPECT_FALSE(element->shadowSupported());
    EXPECT_TRUE(element->contentView()->layer()->masksToBounds());

    element->setValueForKey(u"borderType", 9);
    EXPECT_EQ(borderOf(*element).dashLengths(), (QList<double> {15, 10, 5, 10}));
    element->setValueForKey(u"borderType", 12);
    EXPECT_EQ(borderOf(*element).dashLengths(), (QList<double> {15, 10, 5, 10})) << "unknown: kept";
    element->setValueForKey(u"borderOpacity", 0.25);
    EXPECT_DOUBLE_EQ(borderOf(*element).strokeColor().value<ql::Color>().alpha(), 0.25);

    // Off: no width, no corners; the background keeps its own.
    element->setValueForKey(u"borderEnabled", false);
    EXPECT_EQ(borderOf(*element).lineWidth(), 0.0);
    EXPECT_EQ(borderOf(*element).cornerRadius(), 0.0);
    EXPECT_EQ(element->backgroundView()->layerCornerRadius(), 6.0);
    EXPECT_TRUE(element->shadowSupported());
    EXPECT_FALSE(element->contentView()->layer()->masksToBounds());
}

TEST(ElementEffects, OpacityAndReflectionReachTheirViews)
{
    auto element = ZVPuttyView::initWithText();
    EXPECT_FLOAT_EQ(element->contentView()->alphaValue(), 0.998f);
    element->setValueForKey(u"layerOpacity", 0.5);
    EXPECT_DOUBLE_EQ(element->contentView()->alphaValue(), 0.5);
    EXPECT_DOUBLE_EQ(element->backgroundView()->alphaValue(), 0.5);

    ZVImageView* reflection = element->reflectionView();
    EXPECT_TRUE(reflection->isHidden());
    EXPECT_TRUE(element->reflectionImage().isNull());
    element->setValueForKey(u"reflectionEnabled", true);
    EXPECT_FALSE(reflection->isHidden());
    EXPECT_DOUBLE_EQ(reflection->alphaValue(), 0.5);
    const ql::Image picture = element->reflectionImage();
    EXPECT_EQ(picture.size(), QSizeF(220, 40));
    // Off only hides: the picture stays as it was.
    element->setValueForKey(u"reflectionEnabled", false);
    EXPECT_TRUE(reflection->isHidden());
    EXPECT_EQ(reflection->image(), picture);
}

TEST(ElementEffects, TextMakesRoomForItsBorderWithoutCreeping)
{
    auto element = ZVPuttyView::initWithText();
    auto* text = qobject_cast<ZVTextView*>(element->contentView());
    element->setValueForKey(u"borderWidth", 3.0);
    element->setValueForKey(u"borderStyle", 2);
    element->setValueForKey(u"borderEnabled", true);
    element->setBorder();
    element->setBorder();
    EXPECT_EQ(text->textContainerOrigin(), QPointF(8, 8));
    EXPECT_EQ(text->currentHorizontalInsetMargins().toDouble(), 5.0);
    EXPECT_EQ(text->currentVerticalInsetMargins().toDouble(), 5.0);
    // Read back, the text is inset the same.
    const auto copy = element->copy();
    EXPECT_EQ(qobject_cast<ZVTextView*>(copy->contentView())->textContainerOrigin(), QPointF(8, 8));
}

TEST(ElementEffects, EffectsOnThePartsRecordNoUndoOfTheirOwn)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page->addPuttyView(element);
    endTurn();
    document.undo.removeAllActions();

    element->setValueForKey(u"borderEnabled", true);
    element->setValueForKey(u"borderRadius", 10.0);
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 1);
    element->applyEffects();
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 1) << "re-applying changes nothing to undo";
    document.undo.undo();
    EXPECT_EQ(borderOf(*element).lineWidth(), 0.0);
    EXPECT_EQ(borderOf(*element).cornerRadius(), 0.0);
    document.undo.redo();
    EXPECT_EQ(borderOf(*element).lineWidth(), 4.0);
}
