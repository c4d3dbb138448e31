#include "GestureTestSupport.h"

#include "canvas/gestures/RubberBandGesture.h"

#include <gtest/gtest.h>

TEST(PageTools, TheBandSelectsContentOfTheCurrentLayerInAnyDirection)
{
    GesturePage sample;
    ZVPuttyViewGroup* upper = sample.page->addLayoutLayer(QStringLiteral("Upper"));
    ZVPuttyViewGroup* lower = sample.page->layoutLayers().first();
    sample.page->setCurrentLayoutLayer(lower);
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180), ZVPuttyView::initWithText(), lower);
    ZVPuttyView* b = sample.add(QRectF(300, 150, 200, 180), ZVPuttyView::initWithText(), lower);
    ZVPuttyView* c = sample.add(QRectF(100, 400, 200, 180), ZVPuttyView::initWithText(), lower);
    ZVPuttyView* other = sample.add(QRectF(300, 380, 200, 180), ZVPuttyView::initWithText(), upper);

    EXPECT_EQ(ql::RubberBandGesture::bandFrame(QPointF(520, 430), QPointF(60, 60)), QRectF(60, 60, 460, 370));
    sample.drag({QPointF(520, 430), QPointF(300, 300), QPointF(60, 60)});
    EXPECT_TRUE(a->isActive());
    EXPECT_TRUE(b->isActive());
    EXPECT_FALSE(c->isActive()) << "its content starts at 440";
    EXPECT_FALSE(other->isActive()) << "another layer";
    EXPECT_TRUE(sample.page->selectionViewHidden());

    // The band reaching only c's margin leaves it out; Shift keeps a and b.
    sample.drag({QPointF(10, 410), QPointF(139, 430)}, ql::CanvasEvent::Shift);
    EXPECT_TRUE(a->isActive());
    EXPECT_FALSE(c->isActive());
    sample.drag({QPointF(10, 410), QPointF(141, 450)}, ql::CanvasEvent::Shift);
    EXPECT_TRUE(a->isActive());
    EXPECT_TRUE(b->isActive());
    EXPECT_TRUE(c->isActive());

    const int steps = sample.document.undo.undoCount();
    sample.click(QPointF(590, 20));
    EXPECT_TRUE(sample.page->selectedViews().isEmpty()) << "a click on the empty page clears the selection";
    sample.click(QPointF(590, 20), ql::CanvasEvent::Shift);
    EXPECT_EQ(sample.document.undo.undoCount(), steps) << "selecting records nothing";
}

TEST(PageTools, ZoomToolClicksAndBands)
{
    GesturePage sample;
    FakeHost& host = sample.document.host;
    sample.page->setDrawingMode(2);
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    sample.click(QPointF(200, 190));
    EXPECT_DOUBLE_EQ(host.zoom, 1.2);
    EXPECT_EQ(host.zoomedAt, QPointF(200, 190));
    EXPECT_FALSE(a->isActive()) << "the zoom tool selects nothing";
    sample.click(QPointF(50, 60), ql::CanvasEvent::Option);
    EXPECT_DOUBLE_EQ(host.zoom, 1.0);
    sample.drag({QPointF(50, 60), QPointF(250, 160)});
    EXPECT_EQ(host.fitted, QRectF(50, 60, 200, 100));
    EXPECT_FALSE(a->isActive());
}

TEST(PageTools, HandToolScrollsKeepingThePressedPointUnderThePointer)
{
    GesturePage sample;
    FakeHost& host = sample.document.host;
    sample.page->setDrawingMode(1);
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    a->setIsActive(true);
    host.visible = QRectF(100, 100, 400, 300);
    auto& events = sample.routed();
    events.mouseDown(GesturePage::at(QPointF(200, 200)));
    EXPECT_EQ(host.cursor, ql::CanvasCursor::standard(ql::CanvasCursor::Shape::ClosedHand));
    events.mouseDragged(GesturePage::at(QPointF(190, 180)));
    EXPECT_EQ(host.visible.topLeft(), QPointF(110, 120));
    EXPECT_TRUE(sample.page->isMoving());
    events.mouseUp(GesturePage::at(QPointF(190, 180)));
    EXPECT_FALSE(sample.page->isMoving());
    EXPECT_TRUE(a->isActive()) << "the hand keeps the selection";
    EXPECT_EQ(a->frame(), QRectF(100, 100, 200, 180));
}

TEST(PageTools, ARightClickOnThePageOffersPaste)
{
    GesturePage sample;
    ql::CanvasEvent press = GesturePage::at(QPointF(400, 600));
    press.button = ql::CanvasEvent::Button::Right;
    sample.routed().mouseDown(press);
    sample.routed().mouseUp(press);
    EXPECT_EQ(sample.document.host.menus, QStringList {QStringLiteral("Contextual Menu")});
    const ql::CanvasMenu menu = sample.page->menuForEvent(press);
    ASSERT_EQ(menu.items.size(), 1);
    EXPECT_EQ(menu.items[0].title, QStringLiteral("Paste"));
    EXPECT_EQ(menu.items[0].action, QStringLiteral("paste:"));
}
