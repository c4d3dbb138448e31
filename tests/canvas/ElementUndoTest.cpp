#include "CanvasTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct ElementOnPage {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = nullptr;

    explicit ElementOnPage(std::unique_ptr<ZVPuttyView> made)
    {
        element = made.release();
        page->addPuttyView(element);
        element->setFrame(QRectF(100, 100, 280, 180));
        endTurn();
        document.undo.removeAllActions();
    }
};

std::unique_ptr<ZVPuttyView> imageElement()
{
    return ZVPuttyView::initWithImage(ql::Image(QImage(200, 100, QImage::Format_RGB32)));
}

} // namespace

TEST(ElementUndo, ObservedSettingUndoesToTheOldValue)
{
    ElementOnPage fixture(ZVPuttyView::initWithText());
    ZVPuttyView* element = fixture.element;
    element->setValueForKey(u"shadowOpacity", 0.8);
    endTurn();
    fixture.document.undo.undo();
    EXPECT_EQ(element->valueForKey(u"shadowOpacity"), QVariant(0.5));
    fixture.document.undo.redo();
    EXPECT_EQ(element->valueForKey(u"shadowOpacity"), QVariant(0.8));

    // Settings outside the observed list, frames, rotations and the aspect
    // flag record no generic step.
    element->setValueForKey(u"isLocked", true);
    element->setValueForKey(u"hideFromPrinting", true);
    element->setFrame(QRectF(0, 0, 200, 200));
    element->setFrameCenterRotation(30);
    element->setKeepAspectRatio(false);
    endTurn();
    EXPECT_EQ(fixture.document.undo.undoCount(), 1);
    EXPECT_FALSE(ql::ZVDesignHelper::sharedInstance().keepAspectRatio()) << "the design helper follows the element's flag";
    element->setKeepAspectRatio(true);
    EXPECT_TRUE(ql::ZVDesignHelper::sharedInstance().keepAspectRatio());

    // Inner-shadow changes reach the content.
    element->setValueForKey(u"innerShadowEnabled", true);
    EXPECT_TRUE(element->contentView()->innerShadowEnabled());

    // A nil old value makes a step that leaves the setting alone.
    element->setValueForKey(u"borderColor", QVariant());
    endTurn();
    element->setValueForKey(u"borderColor", QVariant::fromValue(ql::Color::white()));
    endTurn();
    fixture.document.undo.undo();
    EXPECT_EQ(element->valueForKey(u"borderColor").value<ql::Color>(), ql::Color::white());
}

TEST(ElementUndo, ImageModeCropsImagesOnlyAndCropScaleReapplies)
{
    ElementOnPage fixture(imageElement());
    ZVPuttyView* element = fixture.element;
    auto* image = qobject_cast<ZVImageView*>(element->contentView());
    element->setValueForKey(u"imageXOffset", 7.0);
    element->setValueForKey(u"imageYOffset", 8.0);
    element->setValueForKey(u"imageMode", 3);
    EXPECT_TRUE(element->cropMode());
    EXPECT_TRUE(element->cropEligible());
    EXPECT_EQ(element->cropRect(), QRectF(7, 8, 200, 100));
    EXPECT_TRUE(image->cropMode());
    EXPECT_EQ(image->imageMode(), QVariant(3));

    element->setValueForKey(u"cropScale", 2.5);
    EXPECT_EQ(image->cropScale(), 2.5);
    endTurn();

    element->setValueForKey(u"imageMode", 1);
    EXPECT_FALSE(element->cropMode());
    EXPECT_FALSE(element->cropEligible());
    endTurn();
    fixture.document.undo.undo();
    EXPECT_EQ(element->imageMode(), QVariant(3));
    EXPECT_TRUE(element->cropMode());
    fixture.document.undo.undo();
    EXPECT_EQ(element->cropScale(), QVariant(1.0)) << "one turn, one step";
    EXPECT_EQ(element->imageMode(), QVariant(3)) << "the mode was unset before: nothing to go back to";

    ElementOnPage text(ZVPuttyView::initWithText());
    text.element->setValueForKey(u"imageMode", 3);
    EXPECT_FALSE(text.element->cropMode());
    endTurn();
    text.element->setValueForKey(u"imageMode", 2);
    endTurn();
    text.document.undo.undo();
    EXPECT_EQ(text.element->imageMode(), QVariant(3));
}

TEST(ElementUndo, MovesResizesAndRotationsHaveTheirOwnSteps)
{
    ElementOnPage fixture(ZVPuttyView::initWithText());
    ZVPuttyView* element = fixture.element;
    ql::UndoManager& undo = fixture.document.undo;

    element->registerMoveUndo();
    element->setNewFrame(QPointF(150, 120));
    endTurn();
    element->moveFrame(2);
    endTurn();
    EXPECT_EQ(element->frame().topLeft(), QPointF(151, 120));
    undo.undo();
    EXPECT_EQ(element->frame().topLeft(), QPointF(150, 120));
    undo.undo();
    EXPECT_EQ(element->frame().topLeft(), QPointF(100, 100));
    undo.redo();
    EXPECT_EQ(element->frame().topLeft(), QPointF(150, 120));
    EXPECT_EQ(undo.redoCount(), 1);

    element->setNewPuttyViewFrame(QRectF(10, 10, 400, 300), true);
    endTurn();
    EXPECT_EQ(element->contentView()->frame().size(), QSizeF(320, 220));
    undo.undo();
    EXPECT_EQ(element->frame(), QRectF(150, 120, 280, 180));
    undo.redo();
    EXPECT_EQ(element->frame(), QRectF(10, 10, 400, 300));

    element->registerRotateUndo();
    element->setRotation(33.333333333);
    endTurn();
    EXPECT_EQ(element->frameCenterRotation(), 33.33333206176758) << "angles keep 32-bit precision";
    undo.undo();
    EXPECT_EQ(element->frameCenterRotation(), 0.0);
    undo.redo();
    EXPECT_EQ(element->frameCenterRotation(), 33.33333206176758);

    element->setCropMode(true);
    element->setRotation(90);
    EXPECT_EQ(element->frameCenterRotation(), 33.33333206176758) << "a cropped element does not turn";
}

TEST(ElementUndo, ElementWithoutPageRecordsNothing)
{
    TestDocument document;
    auto element = ZVPuttyView::initWithText();
    element->setValueForKey(u"borderWidth", 9.0);
    element->moveFrame(0);
    element->registerRotateUndo();
    EXPECT_EQ(element->undoManager(), nullptr);
    EXPECT_EQ(element->frame().topLeft(), QPointF(0, -1));
}
