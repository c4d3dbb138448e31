#include "GestureTestSupport.h"

#include "canvas/ZVHandleView.h"
#include "canvas/ZVRotationHandleView.h"
#include "canvas/gestures/RubberBandGesture.h"
#include "canvas/view/CanvasCursors.h"

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

TEST(PageTools, TheCursorSaysWhatAPressWouldDo)
{
    GesturePage sample;
    FakeHost& host = sample.document.host;
    ZVPuttyView* a = sample.add(QRectF(100, 100, 200, 180));
    auto& events = sample.routed();
    using Shape = ql::CanvasCursor::Shape;
    events.mouseMoved(GesturePage::at(QPointF(260, 240)));
    EXPECT_EQ(host.cursor.shape, Shape::Arrow) << "an unselected element's handles show nothing";
    a->setIsActive(true);
    events.mouseMoved(GesturePage::at(QPointF(260, 240)));
    EXPECT_EQ(host.cursor, ql::CanvasCursor::named(QStringLiteral("nwse"), 0, QPoint(7, 7)));
    events.mouseMoved(GesturePage::at(QPointF(272.5, 252.5)));
    EXPECT_EQ(host.cursor, ql::CanvasCursor::named(QStringLiteral("rotatese"), 0, QPoint(15, 15)));
    a->setRotation(30);
    const QPointF topCentre = a->mapToPage(QPointF(100, 40));
    events.mouseMoved(GesturePage::at(topCentre));
    EXPECT_EQ(host.cursor, ql::CanvasCursor::named(QStringLiteral("ns"), 30, QPoint(7, 7))) << "turned with the element";
    a->setValueForKey(u"isLocked", true);
    events.mouseMoved(GesturePage::at(topCentre + QPointF(0.1, 0)));
    EXPECT_EQ(host.cursor.shape, Shape::Forbidden);
    events.mouseMoved(GesturePage::at(QPointF(500, 700)));
    EXPECT_EQ(host.cursor.shape, Shape::Arrow);

    sample.page->setDrawingMode(1);
    events.mouseMoved(GesturePage::at(QPointF(500, 700)));
    EXPECT_EQ(host.cursor.shape, Shape::OpenHand);
    sample.page->setDrawingMode(2);
    events.mouseMoved(GesturePage::at(QPointF(500, 700), ql::CanvasEvent::Option));
    EXPECT_EQ(host.cursor, ql::CanvasCursor::named(QStringLiteral("zoomout"), 0, QPoint(0, 0)));
}

TEST(PageTools, EveryCursorPictureIsDrawn)
{
    for (int position = 0; position < 8; ++position) {
        for (const QString& name : {ZVHandleView::cursorImageName(position), ZVRotationHandleView::cursorImageName(position)}) {
            const QPixmap picture = ql::cursorPicture(name);
            ASSERT_FALSE(picture.isNull()) << name.toStdString();
            const QImage pixels = picture.toImage();
            int painted = 0;
            for (int y = 0; y < pixels.height(); ++y)
                for (int x = 0; x < pixels.width(); ++x)
                    painted += pixels.pixelColor(x, y).alpha() > 0;
            EXPECT_GT(painted, 20) << name.toStdString();
        }
    }
    EXPECT_FALSE(ql::cursorPicture(QStringLiteral("zoomin")).isNull());
    EXPECT_TRUE(ql::cursorPicture(QStringLiteral("nothing")).isNull());
    const QCursor turned = ql::cursorFor(ql::CanvasCursor::named(QStringLiteral("ew"), 90, QPoint(7, 7)));
    EXPECT_EQ(turned.hotSpot(), QPoint(7, 7));
}
