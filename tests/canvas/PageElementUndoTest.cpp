// Adding and deleting elements: each is one undo step of the page's
// document, and undo and redo bring back the same element to the same place.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"

#include <gtest/gtest.h>

namespace {

QStringList uuids(const QList<ZVPuttyView*>& elements)
{
    QStringList result;
    for (const ZVPuttyView* element : elements)
        result.append(element->uuid());
    return result;
}

} // namespace

TEST(PageElementUndo, AddAndDeleteRecordOneStepEachAndComeBackInPlace)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    QList<ZVPuttyView*> made;
    for (int i = 0; i < 3; ++i) {
        made.append(ZVPuttyView::initWithText().release());
        page->addPuttyView(made.last());
        endTurn();
    }
    EXPECT_EQ(document.undo.undoCount(), 3) << "the page records each addition itself";
    ZVPuttyView* top = made.last();
    const QStringList all = uuids(made);

    // Undo and redo alternate on the same object, each recording one inverse.
    for (int round = 0; round < 2; ++round) {
        document.undo.undo();
        EXPECT_EQ(page->puttyViews(), made.mid(0, 2));
        EXPECT_EQ(page->deletedPuttyViews(), QList<ZVPuttyView*> {top}) << "kept once for redo";
        EXPECT_EQ(document.undo.redoCount(), 1);
        document.undo.redo();
        EXPECT_EQ(page->puttyViews(), made) << "the same object, listed once";
        EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), all);
        EXPECT_EQ(document.undo.undoCount(), 3);
    }
    page->addPuttyView(top);
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 3) << "adding what is on the page records nothing";

    // A deleted middle element comes back between its neighbours.
    ZVPuttyView* middle = made[1];
    middle->setIsActive(true);
    page->setFocusedPuttyView(middle);
    page->deletePuttyView(middle);
    endTurn();
    EXPECT_EQ(page->focusedPuttyView(), nullptr);
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), uuids({made[0], top}));
    document.undo.undo();
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), all);
    EXPECT_EQ(page->puttyViews(), made);
    document.undo.redo();
    EXPECT_EQ(page->puttyViews(), (QList<ZVPuttyView*> {made[0], top}));

    ZVPuttyView stranger;
    page->deletePuttyView(&stranger);
    page->deletePuttyView(nullptr);
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 4) << "deleting what is not on the page records nothing";
}
