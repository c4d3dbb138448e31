#include "ArchiveTestSupport.h"
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PagePainter.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/Color.h"

#include <gtest/gtest.h>

namespace {

// A page with one element of a solid red background.
struct RedElement {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = nullptr;

    RedElement()
    {
        auto made = ZVPuttyView::initWithText();
        element = made.get();
        page->addPuttyView(made.release());
        element->backgroundView()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(1, 0, 0)));
        element->backgroundView()->setBackgroundType(ZVBackgroundView::Colour);
        element->setFrame(QRectF(100, 100, 200, 100));
    }

    // Whether the pixel is the colour, give or take the element's near-full opacity.
    static bool near(const QImage& image, QPointF point, QColor colour)
    {
        const QColor found = image.pixelColor(point.toPoint());
        return std::abs(found.red() - colour.red()) <= 3 && std::abs(found.green() - colour.green()) <= 3 &&
               std::abs(found.blue() - colour.blue()) <= 3;
    }
};

} // namespace

TEST(ElementRotation, TurningAboutTheCentreMovesTheStoredOriginOnly)
{
    RedElement sample;
    ZVPuttyView& element = *sample.element;
    element.setFrameCenterRotation(90);
    EXPECT_EQ(element.frame(), QRectF(250, 50, 200, 100)) << "size kept, origin moved";
    EXPECT_EQ(element.frameRotation(), 90.0);
    EXPECT_EQ(element.pageTransform().mapRect(element.bounds()), QRectF(150, 50, 100, 200))
        << "covers x 150 to 250 and y 50 to 250";
    EXPECT_EQ(element.mapToPage(QPointF(0, 0)), QPointF(250, 50));
    EXPECT_EQ(element.mapToPage(QPointF(200, 0)), QPointF(250, 250)) << "clockwise on screen: the top edge runs down";
    EXPECT_EQ(element.leftOffset().toDouble(), 250.0) << "the offsets follow the origin";
    EXPECT_EQ(element.realFrame(), QRectF(190, 90, 20, 120));

    EXPECT_TRUE(element.containsPagePoint(QPointF(160, 60)));
    EXPECT_FALSE(element.containsPagePoint(QPointF(280, 140))) << "inside the unturned frame only";

    // Setting the raw frame rotation turns about the origin and moves nothing.
    element.setFrameRotation(0);
    EXPECT_EQ(element.frame(), QRectF(250, 50, 200, 100));
}

TEST(ElementRotation, StoredTurnReadsWithoutMovingAndDrawsTheSame)
{
    RedElement sample;
    sample.element->setFrameCenterRotation(90);
    const QImage turned = ql::PagePainter::image(*sample.page);
    EXPECT_TRUE(RedElement::near(turned, QPointF(200, 100), Qt::red)) << "inside the turned content";
    EXPECT_TRUE(RedElement::near(turned, QPointF(150, 150), Qt::white)) << "only in the unturned content";

    // A file that holds the turned frame reads back in the same place.
    const QByteArray data = archiveOf(sample.element);
    std::unique_ptr<ZVPuttyView> read = readBack<ZVPuttyView>(data);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->frame(), QRectF(250, 50, 200, 100));
    EXPECT_EQ(read->frameRotation(), 90.0);
    EXPECT_EQ(read->realFrame(), sample.element->realFrame());

    RedElement copy;
    copy.element->setFrame(read->frame());
    copy.element->setFrameRotation(read->frameRotation());
    EXPECT_EQ(ql::PagePainter::image(*copy.page), turned);
}

TEST(ElementRotation, UndoPutsBackTheAngleAndTheOriginExactly)
{
    RedElement sample;
    ZVPuttyView& element = *sample.element;
    endTurn();
    element.registerRotateUndo();
    element.setRotation(33.333333333);
    endTurn();
    EXPECT_NE(element.frame().topLeft(), QPointF(100, 100));
    sample.document.undo.undo();
    EXPECT_EQ(element.frameRotation(), 0.0);
    EXPECT_EQ(element.frame(), QRectF(100, 100, 200, 100));
    const QRectF turned = [&] {
        sample.document.undo.redo();
        return element.frame();
    }();
    EXPECT_EQ(element.frameRotation(), 33.33333206176758);
    sample.document.undo.undo();
    sample.document.undo.redo();
    EXPECT_EQ(element.frame(), turned) << "redo lands on the same origin every time";
}
