#include "CanvasTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>

namespace {

void expectNumber(const ZVPuttyView& element, const char* key, const QVariant& expected)
{
    const QVariant value = element.valueForKey(QString::fromLatin1(key));
    EXPECT_EQ(value.typeId(), expected.typeId()) << key << " keeps its number kind";
    EXPECT_EQ(value, expected) << key;
}

void expectRectNear(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

} // namespace

TEST(ElementModel, DefaultsKeepTheirNumberKinds)
{
    ZVPuttyView element;
    expectNumber(element, "reflectionOpacity", 0.5);
    expectNumber(element, "reflectionHeight", 40);
    expectNumber(element, "shadowOffset", 5.0);
    expectNumber(element, "shadowAngle", 240.0);
    expectNumber(element, "shadowBlurRadius", 5.0);
    expectNumber(element, "shadowOpacity", 0.5);
    expectNumber(element, "innerShadowOffset", 0.0);
    expectNumber(element, "innerShadowAngle", 0.0);
    expectNumber(element, "innerShadowBlurRadius", 5.0);
    expectNumber(element, "innerShadowOpacity", 0.5);
    expectNumber(element, "wrapType", 0);
    expectNumber(element, "wrapMargins", 0);
    expectNumber(element, "borderType", 0);
    expectNumber(element, "borderWidth", 2.0);
    expectNumber(element, "borderRadius", 0);
    expectNumber(element, "borderStyle", 0);
    expectNumber(element, "borderOpacity", 1);
    expectNumber(element, "layerOpacity", 0.998);
    expectNumber(element, "cropScale", 1.0);
    EXPECT_FALSE(element.valueForKey(u"imageMode").isValid());
    EXPECT_FALSE(element.leftOffset().isValid());
    EXPECT_EQ(element.valueForKey(u"shadowColor").value<ql::Color>(), ql::Color::black());
    for (const char* flag : {"isActive", "isLocked", "isStuck", "causesWrap", "hideFromPrinting", "cropMode",
                             "cropEligible", "shadowEnabled", "innerShadowEnabled", "borderEnabled",
                             "reflectionEnabled"})
        EXPECT_FALSE(element.valueForKey(QString::fromLatin1(flag)).toBool()) << flag;
    for (const char* flag : {"keepAspectRatio", "firstLoad", "shadowSupported"})
        EXPECT_TRUE(element.valueForKey(QString::fromLatin1(flag)).toBool()) << flag;
    ASSERT_NE(element.backgroundView(), nullptr);
    EXPECT_EQ(element.backgroundView()->insets(), 40.0f);
    EXPECT_EQ(element.backgroundView()->puttyView(), &element);
    EXPECT_TRUE(element.uuid().isEmpty()) << "only the kind initialisers give an identity";
}

TEST(ElementModel, KindInitialisersMakeTheirContents)
{
    auto text = ZVPuttyView::initWithText();
    auto shape = ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 10, 10)), QStringLiteral("star"));
    auto text3d = ZVPuttyView::initWith3DText(QStringLiteral("Hi"));
    for (ZVPuttyView* element : {text.get(), shape.get(), text3d.get()}) {
        EXPECT_EQ(element->frame(), QRectF(0, 0, 300, 300));
        EXPECT_EQ(element->contentView()->frame(), QRectF(40, 40, 220, 220));
        EXPECT_EQ(element->contentView()->puttyView(), element);
        EXPECT_EQ(element->uuid().size(), 36);
    }
    EXPECT_NE(text->uuid(), shape->uuid());
    EXPECT_EQ(text->contentViewType(), 1);
    EXPECT_EQ(shape->contentViewType(), 2) << "a subclass of the image view keeps the kind the caller set";
    EXPECT_EQ(text3d->contentViewType(), 3);
    EXPECT_TRUE(qobject_cast<ZVTextView*>(text->contentView()));
    auto* vector = qobject_cast<ZVVectorView*>(shape->contentView());
    ASSERT_TRUE(vector);
    EXPECT_EQ(vector->shapeName(), QStringLiteral("star"));
    EXPECT_TRUE(vector->adjustmentEligible());
    EXPECT_EQ(qobject_cast<ZV3DTextView*>(text3d->contentView())->string(), QStringLiteral("Hi"));

    // An image element takes its size from the first representation.
    ql::Image picture(ql::ImageRep::bitmap(QImage(120, 80, QImage::Format_RGB32), QSizeF(60, 40)));
    picture.addRepresentation(ql::ImageRep::bitmap(QImage(10, 10, QImage::Format_RGB32)));
    auto image = ZVPuttyView::initWithImage(picture);
    EXPECT_EQ(image->contentViewType(), 0);
    EXPECT_EQ(image->contentView()->bounds().size(), QSizeF(60, 40));
    auto* imageView = qobject_cast<ZVImageView*>(image->contentView());
    EXPECT_FALSE(imageView->isVector());
    EXPECT_TRUE(imageView->scaleToFill());
    EXPECT_EQ(imageView->originalImage(), picture);

    auto pdf = ZVPuttyView::initWithImage(ql::Image(ql::ImageRep::pdf("%PDF-1.4", QSizeF(100, 50))));
    EXPECT_TRUE(qobject_cast<ZVImageView*>(pdf->contentView())->isVector());
}

TEST(ElementModel, ContentFrameAndRotatedBoundingBox)
{
    ZVPuttyView element;
    // A text view takes its size from its element.
    auto* text = new ZVTextView;
    text->setPuttyView(&element);
    element.setContentView(text);
    element.setFrame(QRectF(10, 20, 200, 100));
    EXPECT_EQ(element.contentFrame(), QRectF(50, 60, 120, 20));
    EXPECT_EQ(element.realFrame(), element.contentFrame());

    element.setValueForKey(u"reflectionHeight", 15);
    element.setValueForKey(u"reflectionEnabled", true);
    EXPECT_EQ(element.realFrame(), QRectF(50, 60, 120, 35));
    element.setValueForKey(u"reflectionEnabled", false);

    const double side = 100;
    element.setFrame(QRectF(0, 0, side + 80, side + 80));
    element.setFrameCenterRotation(45);
    const QRectF box = element.realFrame();
    EXPECT_NEAR(box.width(), side * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(box.height(), side * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(box.center().x(), 90, 1e-9) << "turned about its centre, which stays";
    EXPECT_NEAR(box.center().y(), 90, 1e-9);

    // Turned by 90 about the frame origin: the content runs down from it and
    // to its left.
    element.setFrameCenterRotation(90);
    element.setFrame(QRectF(-500, -300, 280, 180));
    expectRectNear(element.realFrame(), QRectF(-500 - 140, -300 + 40, 100, 200));
    EXPECT_EQ(element.valueForKey(u"frameRotation").toDouble(), 90.0);
}

TEST(ElementModel, EffectiveBorderWidthFollowsTheStyle)
{
    ZVPuttyView element;
    element.setValueForKey(u"borderWidth", 6.0);
    element.setValueForKey(u"borderStyle", 2);
    EXPECT_EQ(element.effectiveBorderWidth(), 0.0) << "no border, no width";
    element.setValueForKey(u"borderEnabled", true);
    EXPECT_EQ(element.effectiveBorderWidth(), 6.0);
    element.setValueForKey(u"borderStyle", 1);
    EXPECT_EQ(element.effectiveBorderWidth(), 3.0);
    element.setValueForKey(u"borderStyle", 0);
    EXPECT_EQ(element.effectiveBorderWidth(), 0.0);
}

TEST(ElementModel, OffsetsMeasureFromTheTrimBox)
{
    ZVCanvasView page;
    page.setValueForKey(u"fullBleed", true);
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page.addPuttyView(element);
    element->setFrame(QRectF(100, 50, 300, 300));
    EXPECT_EQ(element->leftOffset().toDouble(), 91.0);
    EXPECT_EQ(element->topOffset().toDouble(), 41.0);
    page.setValueForKey(u"fullBleed", false);
    element->setFrame(QRectF(100, 50, 300, 300));
    EXPECT_EQ(element->leftOffset().toDouble(), 100.0);
}
