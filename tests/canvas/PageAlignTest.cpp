// Alignment and distribution on a Letter page with 36-point margins: the
// numbers a user sees, the first active element as reference, one undo step
// per command.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"

#include <gtest/gtest.h>

namespace {

struct Page {
    TestDocument document;
    ZVCanvasView* page = document.addPage();

    ZVPuttyView* add(QRectF frame)
    {
        ZVPuttyView* element = ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
        element->setFrame(frame);
        page->addPuttyView(element);
        element->setIsActive(true);
        endTurn();
        return element;
    }
};

} // namespace

TEST(PageAlign, ToThePageMarginsAndCentre)
{
    Page sample;
    ZVPuttyView* element = sample.add(QRectF(100, 100, 200, 150));
    sample.page->alignViewLeft();
    EXPECT_EQ(element->frame().x(), -4.0) << "content edge on the margin";
    sample.page->alignViewRight();
    EXPECT_EQ(element->frame().x(), 416.0);
    sample.page->alignViewCenter();
    sample.page->alignViewMiddle();
    EXPECT_EQ(element->frame().center(), QPointF(306, 396));
    endTurn();
    sample.document.undo.undo();
    EXPECT_EQ(element->frame(), QRectF(100, 100, 200, 150));

    // Full bleed grows the page by the bleed on every side; the margins follow.
    sample.page->setValueForKey(u"bleedMargin", 9.0);
    sample.page->setValueForKey(u"fullBleed", true);
    sample.page->setCanvasFrames();
    sample.page->alignViewTop();
    sample.page->alignViewLeft();
    EXPECT_EQ(element->frame().topLeft(), QPointF(5, 5));
    sample.page->alignViewBottom();
    EXPECT_EQ(element->frame().bottom(), 792.0 + 9 - 36 + 40);
}

TEST(PageAlign, ToTheFirstActiveElementOnlyWhenThereIsOne)
{
    Page sample;
    ZVPuttyView* reference = sample.add(QRectF(100, 100, 200, 200));
    ZVPuttyView* other = sample.add(QRectF(400, 500, 100, 60));
    sample.page->setFirstActiveView(nullptr);
    sample.page->alignEdgesRight();
    EXPECT_EQ(other->frame().x(), 400.0) << "no reference: nothing moves";

    sample.page->setFirstActiveView(reference);
    sample.page->alignEdgesRight();
    sample.page->alignCenterHorizontal();
    EXPECT_EQ(other->frame().topLeft(), QPointF(200, 170));
    sample.page->alignEdgesTop();
    sample.page->alignCenterVertical();
    EXPECT_EQ(other->frame().topLeft(), QPointF(150, 100));
    EXPECT_EQ(reference->frame().topLeft(), QPointF(100, 100));
    reference->setIsActive(false);
    sample.page->alignEdgesBottom();
    EXPECT_EQ(other->frame().y(), 100.0) << "an inactive reference is none";
}

TEST(PageAlign, DistributionSpacesGapsOrCentresBetweenTheOuterTwo)
{
    Page sample;
    // Contents 40 … 140 and 600 … 640 outside, 60 and 160 wide between.
    sample.add(QRectF(0, 0, 180, 100));
    ZVPuttyView* right = sample.add(QRectF(560, 0, 120, 100));
    ZVPuttyView* narrow = sample.add(QRectF(150, 300, 140, 100));
    ZVPuttyView* wide = sample.add(QRectF(300, 200, 240, 100));
    sample.page->distributeEdgesVerticalByCenter(false);
    EXPECT_EQ(narrow->contentFrame().x(), 220.0) << "gaps of 80: 140, 220 … 280, 360 … 520, 600";
    EXPECT_EQ(wide->contentFrame().x(), 360.0);
    EXPECT_EQ(right->frame().x(), 560.0);
    endTurn();
    sample.page->distributeEdgesVerticalByCenter(true);
    EXPECT_EQ(narrow->contentFrame().center().x(), 255.0) << "the middles of four equal cells";
    EXPECT_EQ(wide->contentFrame().center().x(), 485.0);
    endTurn();
    sample.document.undo.undo();
    EXPECT_EQ(wide->frame().x(), 320.0) << "one step per command";

    sample.page->distributeEdgesHorizontalByCenter(false);
    EXPECT_EQ(right->frame().y(), 100.0) << "along y the outer two are the top and bottom ones";
    EXPECT_EQ(narrow->frame().y(), 300.0);
}
