// Adding and deleting elements: each is one undo step of the page's
// document, and undo and redo bring back the same element to the same place.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"

#include <gtest/gtest.h>

namespace {

ZVPuttyView* newShape(ZVCanvasView& page, double x)
{
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    element->setFrame(QRectF(x, 100, 120, 120));
    page.addPuttyView(element);
    return element;
}

QStringList uuids(const QList<ZVPuttyView*>& elements)
{
    QStringList result;
    for (const ZVPuttyView* element : elements)
        result.append(element->uuid());
    return result;
}

} // namespace

TEST(PageElementUndo, AddingIsOneStepAndUndoRedoAlternateOnTheSameElement)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* first = newShape(*page, 0);
    endTurn();
    document.undo.removeAllActions();

    ZVPuttyView* added = newShape(*page, 200);
    const QString uuid = added->uuid();
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 1) << "the page records the addition itself";

    for (int round = 0; round < 2; ++round) {
        document.undo.undo();
        EXPECT_EQ(page->puttyViews(), QList<ZVPuttyView*> {first});
        EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), QStringList {first->uuid()});
        EXPECT_EQ(page->deletedPuttyViews(), QList<ZVPuttyView*> {added}) << "kept once for redo";
        EXPECT_EQ(document.undo.redoCount(), 1);
        EXPECT_EQ(document.undo.undoCount(), 0);

        document.undo.redo();
        EXPECT_EQ(page->puttyViews(), (QList<ZVPuttyView*> {first, added})) << "the same object, listed once";
        EXPECT_EQ(added->uuid(), uuid);
        EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), (QStringList {first->uuid(), uuid}));
        EXPECT_EQ(document.undo.undoCount(), 1) << "a redo records exactly one inverse";
        EXPECT_EQ(document.undo.redoCount(), 0);
    }

    // Adding what is already on the page changes nothing and records nothing.
    page->addPuttyView(added);
    endTurn();
    EXPECT_EQ(page->puttyViews().size(), 2);
    EXPECT_EQ(document.undo.undoCount(), 1);
}

TEST(PageElementUndo, DeletedElementComesBackToItsPlaceInTheLayer)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* bottom = newShape(*page, 0);
    ZVPuttyView* middle = newShape(*page, 150);
    ZVPuttyView* top = newShape(*page, 300);
    const QStringList stacked = uuids({bottom, middle, top});
    endTurn();
    document.undo.removeAllActions();

    middle->setIsActive(true);
    page->setFocusedPuttyView(middle);
    page->deletePuttyView(middle);
    endTurn();
    EXPECT_EQ(page->focusedPuttyView(), nullptr);
    EXPECT_FALSE(middle->isActive());
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), uuids({bottom, top}));
    EXPECT_EQ(middle->layoutLayerGroup(), page->currentLayoutLayer()) << "it keeps its layer";
    EXPECT_EQ(document.undo.undoCount(), 1);

    document.undo.undo();
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), stacked) << "between its neighbours again";
    EXPECT_EQ(page->puttyViews(), (QList<ZVPuttyView*> {bottom, middle, top}));
    EXPECT_EQ(page->stackedPuttyViews(), (QList<ZVPuttyView*> {bottom, middle, top}));
    document.undo.redo();
    EXPECT_EQ(page->puttyViews(), (QList<ZVPuttyView*> {bottom, top}));
    document.undo.undo();
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), stacked);
    EXPECT_EQ(document.undo.redoCount(), 1);

    // Nothing, or an element of no page, deletes nothing and records nothing.
    ZVPuttyView stranger;
    page->deletePuttyView(nullptr);
    page->deletePuttyView(&stranger);
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 0);
    EXPECT_EQ(page->puttyViews().size(), 3);
}
