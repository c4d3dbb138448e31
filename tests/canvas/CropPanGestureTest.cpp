// Panning a cropped picture: travel measured in the element's unturned axes
// and in picture units, offsets committed at the release, pans that
// accumulate, one undo step per pan, and the elements that do not pan.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/gestures/CropPanGesture.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "shapes/ZVVectorView.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct CroppedImage {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = nullptr;
    ZVImageView* image = nullptr;

    explicit CroppedImage(double cropScale, double rotation = 0.0)
    {
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        element = ZVPuttyView::initWithImage(ql::Image(picture)).release();
        page->addPuttyView(element);
        element->setFrame(QRectF(100, 100, 280, 180)); // content 200 × 100
        element->setRotation(rotation);
        element->setValueForKey(u"cropScale", cropScale);
        element->setValueForKey(u"imageMode", 3);
        image = qobject_cast<ZVImageView*>(element->contentView());
        endTurn();
        document.undo.removeAllActions();
    }

    QPointF offsets() const { return QPointF(element->imageXOffset(), element->imageYOffset()); }

    void pan(QPointF from, QPointF to)
    {
        ql::CropPanGesture gesture(*element);
        gesture.press(from);
        gesture.drag((from + to) / 2);
        gesture.drag(to);
        gesture.release();
        endTurn();
    }
};

} // namespace

TEST(CropPan, DragsMoveTheWindowInPictureUnitsAndTheReleaseCommits)
{
    CroppedImage fixture(2.0);
    ZVPuttyView& element = *fixture.element;
    ASSERT_TRUE(ql::CropPanGesture::appliesTo(element));
    EXPECT_EQ(ql::CropPanGesture::cursorFor(element), Qt::OpenHandCursor);

    ql::CropPanGesture gesture(element);
    gesture.press(QPointF(200, 150));
    gesture.drag(QPointF(220, 150));
    EXPECT_TRUE(element.valueForKey(u"isCropping").toBool());
    EXPECT_EQ(ql::CropPanGesture::cursorFor(element), Qt::ClosedHandCursor);
    EXPECT_EQ(element.cropRect(), QRectF(10, 0, 200, 100)) << "20 points at scale 2 are 10 picture units";
    EXPECT_EQ(fixture.image->cropRect(), QRectF(10, 0, 200, 100));
    EXPECT_EQ(fixture.offsets(), QPointF(0, 0)) << "not committed before the release";
    EXPECT_EQ(element.frame(), QRectF(100, 100, 280, 180)) << "the element stays";
    gesture.release();
    EXPECT_FALSE(element.valueForKey(u"isCropping").toBool());
    EXPECT_EQ(fixture.offsets(), QPointF(10, 0));

    // Pans accumulate from the committed offsets.
    endTurn();
    fixture.pan(QPointF(200, 150), QPointF(210, 130));
    EXPECT_EQ(fixture.offsets(), QPointF(15, -10));
    EXPECT_EQ(fixture.image->cropRect(), QRectF(15, -10, 200, 100));

    // Each pan is one undo step; redo re-applies it.
    ql::UndoManager& undo = fixture.document.undo;
    undo.undo();
    EXPECT_EQ(fixture.offsets(), QPointF(10, 0));
    EXPECT_EQ(fixture.image->cropRect(), QRectF(10, 0, 200, 100));
    undo.undo();
    EXPECT_EQ(fixture.offsets(), QPointF(0, 0));
    EXPECT_EQ(fixture.image->cropRect().topLeft(), QPointF(0, 0));
    undo.redo();
    undo.redo();
    EXPECT_EQ(fixture.offsets(), QPointF(15, -10));
    EXPECT_EQ(fixture.image->cropRect().topLeft(), QPointF(15, -10));

    // Moves and resizes keep the offsets; the window takes the new size.
    element.setNewFrame(QPointF(150, 120));
    EXPECT_EQ(fixture.offsets(), QPointF(15, -10));
    element.setNewPuttyViewFrame(QRectF(150, 120, 380, 230));
    EXPECT_EQ(fixture.offsets(), QPointF(15, -10));
    EXPECT_EQ(fixture.image->cropRect(), QRectF(15, -10, 300, 150));
}

TEST(CropPan, TurnedElementsPanAlongTheirOwnAxes)
{
    CroppedImage fixture(1.0, 90.0);
    ASSERT_EQ(fixture.element->frameCenterRotation(), 90.0) << "rotation is set before crop mode";
    fixture.pan(QPointF(240, 190), QPointF(260, 190));
    EXPECT_NEAR(fixture.offsets().x(), 0.0, 1e-9) << "a horizontal drag moves along the turned y axis only";
    EXPECT_NEAR(std::abs(fixture.offsets().y()), 20.0, 1e-6);

    // Turning is ignored while cropping.
    fixture.element->setRotation(45.0);
    EXPECT_EQ(fixture.element->frameCenterRotation(), 90.0);
}

TEST(CropPan, LockedUncroppedAndBrokenScalesDoNotMisbehave)
{
    CroppedImage locked(1.0);
    locked.element->setValueForKey(u"isLocked", true);
    EXPECT_FALSE(ql::CropPanGesture::appliesTo(*locked.element));
    locked.pan(QPointF(200, 150), QPointF(260, 190));
    EXPECT_EQ(locked.offsets(), QPointF(0, 0));
    EXPECT_EQ(locked.document.undo.undoCount(), 0);

    CroppedImage plain(1.0);
    plain.element->setValueForKey(u"imageMode", 0);
    EXPECT_FALSE(ql::CropPanGesture::appliesTo(*plain.element));
    EXPECT_EQ(ql::CropPanGesture::cursorFor(*plain.element), Qt::ArrowCursor);

    // A press and release without a drag changes nothing and records nothing.
    CroppedImage still(1.0);
    ql::CropPanGesture gesture(*still.element);
    gesture.press(QPointF(200, 150));
    gesture.release();
    endTurn();
    EXPECT_EQ(still.document.undo.undoCount(), 0);

    // A scale of 0 pans as 1, never to infinity.
    CroppedImage zero(0.0);
    zero.pan(QPointF(200, 150), QPointF(230, 150));
    EXPECT_EQ(zero.offsets(), QPointF(30, 0));
}

TEST(CropPan, TheCanvasShowsTheOpenHandInCropModeAndTheClosedOneWhilePanning)
{
    CroppedImage fixture(1.0);
    ql::ZVScrollView view;
    view.resize(600, 500);
    view.setDocumentView(fixture.page);
    ql::ZVElementItem* item = view.pageItem()->itemFor(fixture.element);
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->hasCursor());
    EXPECT_EQ(item->cursor().shape(), Qt::OpenHandCursor);
    fixture.element->setValueForKey(u"isCropping", true);
    EXPECT_EQ(item->cursor().shape(), Qt::ClosedHandCursor);
    fixture.element->setValueForKey(u"isCropping", false);
    fixture.element->setValueForKey(u"imageMode", 1);
    EXPECT_FALSE(item->hasCursor());
}

TEST(CropPan, ShapesPanTheirImageFillAtItsScale)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element =
        ZVPuttyView::initWithVector(ql::BezierPath::ovalInRect(QRectF(0, 0, 50, 50)), QStringLiteral("circle")).release();
    element->setFrame(QRectF(10, 10, 380, 380));
    page->addPuttyView(element);
    auto* shape = qobject_cast<ZVVectorView*>(element->contentView());
    ASSERT_TRUE(shape);
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ZVBackgroundView* fill = shape->backgroundView();
    fill->setBackgroundImage(ql::Image(picture));
    fill->setBackgroundImageMode(0);
    fill->setBackgroundImageScale(2.0);
    fill->setBackgroundType(3);
    element->setCropMode(true);
    // The fill's own scale counts, not the crop scale.
    element->setValueForKey(u"cropScale", 4.0);
    endTurn();
    document.undo.removeAllActions();

    ql::CropPanGesture gesture(*element);
    gesture.press(QPointF(100, 100));
    gesture.drag(QPointF(110, 100));
    endTurn();
    gesture.drag(QPointF(120, 100));
    EXPECT_EQ(shape->backgroundOffsetPoint(), QPointF(10, 0));
    gesture.release();
    endTurn();
    EXPECT_EQ(shape->imageOrigin(), QPointF(10, 0));
    EXPECT_EQ(QPointF(element->imageXOffset(), element->imageYOffset()), QPointF(10, 0));
    EXPECT_EQ(document.undo.undoCount(), 1) << "one step for the whole pan";
    document.undo.undo();
    EXPECT_EQ(shape->backgroundOffsetPoint(), QPointF(0, 0));
    EXPECT_EQ(element->imageXOffset(), 0.0);
}
