// Conversions of elements into other kinds: what the new element holds, that
// it takes the old one's place and turn with a new identity and default
// settings, and that one undo brings the old one back.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "content/text/GlyphRunOutline.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"

#include <QPainterPath>
#include <gtest/gtest.h>

namespace {

class ElementConversion : public ::testing::Test {
protected:
    ZVPuttyView* add(std::unique_ptr<ZVPuttyView> made, const QRectF& frame = QRectF(0, 0, 300, 300))
    {
        made->setFrame(frame);
        ZVPuttyView* element = made.release();
        page->addPuttyView(element);
        endTurn();
        return element;
    }
    // The page's one element after a conversion.
    ZVPuttyView* only() const
    {
        EXPECT_EQ(page->puttyViews().size(), 1);
        return page->puttyViews().value(0);
    }

    TestDocument document;
    ZVCanvasView* page = document.addPage();
};

QSizeF pictureSize(const ZVPuttyView& element)
{
    const auto* view = qobject_cast<const ZVImageView*>(element.contentView());
    return view ? view->originalImage().firstRepresentation().size() : QSizeF();
}

} // namespace

TEST_F(ElementConversion, TextBecomesAPictureInItsPlaceAndComesBackOnUndo)
{
    ZVPuttyView* box = add(ZVPuttyView::initWithText());
    qobject_cast<ZVTextView*>(box->contentView())->setString(QStringLiteral("Converted"));
    box->setFrameRotation(30);
    box->setValueForKey(u"shadowEnabled", true);
    box->setValueForKey(u"borderEnabled", true);
    const QRectF frame = box->frame();
    endTurn();
    document.undo.removeAllActions();

    box->convertTextToImage();
    endTurn();
    ZVPuttyView* picture = only();
    ASSERT_NE(picture, box);
    EXPECT_EQ(picture->contentViewType(), ZVPuttyView::ImageContent);
    EXPECT_NEAR(pictureSize(*picture).width(), 916.6667, 1e-3);
    EXPECT_NEAR(pictureSize(*picture).height(), 916.6667, 1e-3);
    EXPECT_EQ(picture->frame(), frame);
    EXPECT_EQ(picture->frameRotation(), 30.0);
    EXPECT_NE(picture->uuid(), box->uuid());
    EXPECT_FALSE(picture->valueForKey(u"shadowEnabled").toBool());
    EXPECT_FALSE(picture->valueForKey(u"borderEnabled").toBool());
    EXPECT_EQ(picture->layoutLayerGroup(), page->currentLayoutLayer());

    EXPECT_EQ(document.undo.undoCount(), 1) << "one step";
    document.undo.undo();
    EXPECT_EQ(only(), box);
    EXPECT_EQ(box->frame(), frame);
    document.undo.redo();
    EXPECT_EQ(only(), picture);
}

TEST_F(ElementConversion, TextBecomesOneRunOfGlyphOutlines)
{
    // Without a font of its own the text is set in the system font at 20.
    ZVPuttyView* box = add(ZVPuttyView::initWithText());
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    text->setString(QStringLiteral("AB"));
    text->setCurrentFont(QVariant());
    box->convertTextToShape();
    ZVPuttyView* shape = only();
    ASSERT_EQ(shape->contentViewType(), ZVPuttyView::VectorContent);
    auto* vector = qobject_cast<ZVVectorView*>(shape->contentView());
    EXPECT_EQ(vector->shapeName(), QStringLiteral("text"));
    ASSERT_NE(vector->shape(), nullptr);
    EXPECT_EQ(shape->frame(), QRectF(0, 0, 300, 300));

    // The run: "A" then "B" after its advance, standing on the baseline (y up).
    const QRawFont font = ql::text::GlyphRunOutline::systemFont(20);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(font.glyphIndexesForString(QStringLiteral("AB")));
    ASSERT_EQ(advances.size(), 2);
    const QPainterPath run = ql::text::GlyphRunOutline::of(QStringLiteral("A\nB"), font).toPainterPath();
    const QRectF bounds = run.boundingRect();
    EXPECT_NEAR(bounds.height(), font.capHeight(), 1.0) << "cap height of a 20-point face";
    EXPECT_GT(bounds.height(), 10.0);
    int left = 0, right = 0;
    for (const QPolygonF& outline : run.toSubpathPolygons()) {
        const QRectF part = outline.boundingRect();
        if (part.isEmpty())
            continue; // the opening move
        EXPECT_GE(part.bottom(), 0.0);
        if (part.right() <= advances[0].x() + 0.5)
            ++left;
        else if (part.left() >= advances[0].x() - 0.5)
            ++right;
        else
            ADD_FAILURE() << "an outline across both glyphs";
    }
    EXPECT_GE(left, 1);
    EXPECT_GE(right, 1);
    EXPECT_LE(bounds.right(), advances[0].x() + advances[1].x() + 0.5);

    // Nothing to outline: the box stays.
    auto* empty = add(ZVPuttyView::initWithText(), QRectF(400, 0, 200, 200));
    qobject_cast<ZVTextView*>(empty->contentView())->setString(QStringLiteral("  "));
    empty->convertTextToShape();
    EXPECT_TRUE(page->puttyViews().contains(empty));
}

TEST_F(ElementConversion, ShapesAnd3DTextBecomePictures)
{
    ZVPuttyView* shape = add(ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 10, 10)),
                                                         QStringLiteral("circle")),
                             QRectF(10, 20, 200, 120));
    // Filled, so that its middle shows.
    ZVBackgroundView* fill = qobject_cast<ZVVectorView*>(shape->contentView())->backgroundView();
    fill->setBackgroundColor(QVariant::fromValue(ql::Color::calibratedRgb(1, 0, 0)));
    fill->setBackgroundType(1);
    shape->convertShapeToImage();
    ZVPuttyView* picture = only();
    ASSERT_EQ(picture->contentViewType(), ZVPuttyView::ImageContent);
    EXPECT_NEAR(pictureSize(*picture).width(), 120 * 300.0 / 72, 1e-6);
    EXPECT_NEAR(pictureSize(*picture).height(), 40 * 300.0 / 72, 1e-6);
    // The circle's middle is drawn, its corner is not.
    const QImage pixels = qobject_cast<ZVImageView*>(picture->contentView())->originalImage().bitmap();
    ASSERT_FALSE(pixels.isNull());
    EXPECT_GT(qAlpha(pixels.pixel(pixels.width() / 2, pixels.height() / 2)), 0);
    EXPECT_EQ(qAlpha(pixels.pixel(1, 1)), 0);
    page->deletePuttyView(picture);

    ZVPuttyView* text3D = add(ZVPuttyView::initWith3DText(QStringLiteral("Hi")));
    text3D->convert3DTextToImage();
    EXPECT_EQ(pictureSize(*only()).width(), 4000.0);
}
