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
#include "shapes/ZVVectorView.h"

#include <QPainterPath>

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

// Border and inner-shadow settings are laid out once after they are all
// written, and a read element once after all its effects: the layers must
// end as a fresh layout makes them.
TEST(ElementEffects, LayersEndAsAFreshLayoutMakesThemAfterEachSettingAndReading)
{
    QImage red(50, 50, QImage::Format_RGB32);
    red.fill(Qt::red);
    std::vector<std::unique_ptr<ZVPuttyView>> elements;
    elements.push_back(ZVPuttyView::initWithText());
    elements.push_back(ZVPuttyView::initWithImage(ql::Image(red)));
    elements.push_back(ZVPuttyView::initWithVector(ql::BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("box")));
    const std::vector<std::pair<const char16_t*, QVariant>> settings {
        {u"borderEnabled", true},     {u"borderWidth", 3.0},       {u"borderRadius", 7.0},
        {u"innerShadowEnabled", true}, {u"borderWidth", 5.0},       {u"borderRadius", 0.0},
        {u"innerShadowEnabled", false}, {u"borderEnabled", false},
    };
    const auto expectFresh = [](ZVContentView& content, const QString& at) {
        const ql::BezierPath border = content.border()->path();
        const ql::BezierPath inner = content.innerShadow()->path();
        const ql::BezierPath mask = content.innerShadow()->maskPath();
        const bool hidden = content.innerShadow()->isHidden();
        const double corner = content.layerCornerRadius();
        content.layout();
        EXPECT_EQ(content.border()->path(), border) << at.toStdString();
        EXPECT_EQ(content.innerShadow()->path(), inner) << at.toStdString();
        EXPECT_EQ(content.innerShadow()->maskPath(), mask) << at.toStdString();
        EXPECT_EQ(content.innerShadow()->isHidden(), hidden) << at.toStdString();
        EXPECT_EQ(content.layerCornerRadius(), corner) << at.toStdString();
    };
    for (auto& element : elements) {
        element->setFrame(QRectF(10, 10, 120, 90));
        ZVContentView& content = *element->contentView();
        for (const auto& [key, value] : settings) {
            element->setValueForKey(key, value);
            expectFresh(content, QString::fromUtf16(key));
        }
        element->setValueForKey(u"borderEnabled", true);
        element->setValueForKey(u"innerShadowEnabled", true);
        const std::unique_ptr<ZVPuttyView> read = element->copy();
        ASSERT_TRUE(read);
        expectFresh(*read->contentView(), QStringLiteral("read back"));
        EXPECT_EQ(read->contentView()->border()->path(), content.border()->path());
        EXPECT_EQ(read->contentView()->innerShadow()->path(), content.innerShadow()->path());
        // A shape styled once after its effects draws as the one styled after each.
        if (auto* vector = qobject_cast<ZVVectorView*>(&content)) {
            const QImage drawn = vector->image().bitmap();
            EXPECT_FALSE(drawn.isNull());
            EXPECT_EQ(qobject_cast<ZVVectorView*>(read->contentView())->image().bitmap(), drawn);
        }
    }
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

// A square border is drawn around exactly the path a painter's rectangle makes.
TEST(ElementEffects, ASquareBorderIsThePainterPathsRectangle)
{
    for (const QSizeF size : {QSizeF(120, 90), QSizeF(0, 50), QSizeF(0.5, 0.25), QSizeF(1e6, 3), QSizeF(0, 0)}) {
        for (const double width : {0.0, 3.0, 7.5}) {
            ZVImageView view(QRectF(), nullptr);
            view.border()->setLineWidth(width);
            view.setFrame(QRectF(QPointF(5, 5), size));
            view.layout();
            QPainterPath expected;
            expected.addRect(QRectF(QPointF(0, 0), size).adjusted(width / 2, width / 2, -width / 2, -width / 2));
            EXPECT_EQ(view.border()->path(), ql::BezierPath::fromPainterPath(expected))
                << size.width() << "x" << size.height() << " " << width;
        }
    }
}
