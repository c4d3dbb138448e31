#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"

#include <gtest/gtest.h>

TEST(PageUndo, MarginChangeUndoesAndRedoes)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    page->setValueForKey(u"clipToMargins", true);
    endTurn();
    document.undo.removeAllActions();

    page->setValueForKey(u"leftMargin", 48.0);
    endTurn();
    EXPECT_EQ(page->backgroundView() != nullptr, true);
    EXPECT_EQ(document.undo.undoCount(), 1);
    EXPECT_GT(document.geometryChanges, 0) << "the document shows the page again";

    document.undo.undo();
    EXPECT_EQ(page->leftMargin(), 36.0);
    EXPECT_TRUE(document.undo.canRedo());
    document.undo.redo();
    EXPECT_EQ(page->leftMargin(), 48.0);
    document.undo.undo();
    EXPECT_EQ(page->leftMargin(), 36.0);
    EXPECT_EQ(document.undo.redoCount(), 1) << "each run records exactly one inverse";
}

TEST(PageUndo, PresetChangeIsOneStepAndWidthOfAPresetDoesNotResize)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    page->setPageSize(3);
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 1);
    EXPECT_EQ(page->pageHeight(), 1008.0);
    document.undo.undo();
    EXPECT_EQ(page->pageSize(), 1);
    EXPECT_EQ(page->frame(), QRectF(0, 0, 612, 792));
    EXPECT_EQ(page->pageHeight(), 792.0);

    page->setPageWidth(700);
    endTurn();
    EXPECT_TRUE(document.undo.canUndo());
    EXPECT_EQ(page->frame().width(), 612.0) << "a preset page ignores its stored width";
}

TEST(PageUndo, NullOldValueMakesAStepThatDoesNothing)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    page->setValueForKey(u"rowNumber", QVariant());
    endTurn();
    page->setValueForKey(u"rowNumber", 3);
    endTurn();
    document.undo.undo();
    EXPECT_EQ(page->valueForKey(u"rowNumber"), QVariant(3));
}

TEST(PageUndo, PageWithoutDocumentRecordsNothingAndOtherDocumentsStayClean)
{
    TestDocument document;
    TestDocument other;
    ZVCanvasView* page = document.addPage();
    ZVCanvasView loose;
    loose.setValueForKey(u"topMargin", 10.0);
    page->setValueForKey(u"topMargin", 10.0);
    endTurn();
    EXPECT_EQ(document.undo.undoCount(), 1);
    EXPECT_FALSE(other.undo.canUndo());

    // A page whose document is gone records nothing and does not crash.
    auto* orphan = new TestDocument;
    ZVCanvasView* stray = orphan->addPage();
    stray->setParent(nullptr);
    delete orphan;
    stray->setValueForKey(u"topMargin", 12.0);
    EXPECT_EQ(stray->undoManager(), nullptr);
    delete stray;
}

TEST(PageUndo, FullBleedReanchorsElementsAndUndoesAsOneStep)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* placed = ZVPuttyView::initWithText().release();
    ZVPuttyView* atEdge = ZVPuttyView::initWithText().release();
    page->addPuttyView(placed);
    page->addPuttyView(atEdge);
    placed->setFrame(QRectF(100, 50, 300, 300));
    atEdge->setFrame(QRectF(0, 0, 300, 300));
    endTurn();
    document.undo.removeAllActions();

    page->setValueForKey(u"fullBleed", true);
    endTurn();
    EXPECT_EQ(placed->frame(), QRectF(109, 59, 300, 300));
    EXPECT_EQ(placed->leftOffset().toDouble(), 100.0);
    EXPECT_EQ(placed->topOffset().toDouble(), 50.0);
    EXPECT_EQ(atEdge->frame().topLeft(), QPointF(9, 9)) << "an element at the trim edge follows the bleed";
    EXPECT_EQ(atEdge->leftOffset().toDouble(), 0.0);
    EXPECT_GT(document.markerRebuilds, 0);
    EXPECT_EQ(document.undo.undoCount(), 1);

    page->setValueForKey(u"bleedMargin", 18.0);
    endTurn();
    EXPECT_EQ(placed->frame().topLeft(), QPointF(118, 68));

    document.undo.undo();
    EXPECT_EQ(placed->frame().topLeft(), QPointF(109, 59));
    document.undo.undo();
    EXPECT_FALSE(page->fullBleed());
    EXPECT_EQ(placed->frame().topLeft(), QPointF(100, 50));
    EXPECT_EQ(atEdge->frame().topLeft(), QPointF(0, 0));
    EXPECT_FALSE(document.undo.canUndo());
    document.undo.redo();
    EXPECT_EQ(placed->frame().topLeft(), QPointF(109, 59));
}

TEST(PageUndo, MasterBleedReanchorsContentPageElements)
{
    TestDocument document;
    ZVCanvasView* master = document.addMaster();
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page->addPuttyView(element);
    element->setFrame(QRectF(20, 30, 300, 300));
    page->setMasterPage(master);
    master->setValueForKey(u"fullBleed", true);
    EXPECT_EQ(element->frame().topLeft(), QPointF(29, 39));
    EXPECT_EQ(page->frame(), QRectF(0, 0, 630, 810));

    // Undo of the link relinks through the master link, not just the template.
    endTurn();
    document.undo.removeAllActions();
    page->setMasterPage(nullptr);
    endTurn();
    EXPECT_EQ(element->frame().topLeft(), QPointF(20, 30));
    document.undo.undo();
    EXPECT_EQ(page->masterPage(), master);
    EXPECT_EQ(page->masterPageUUID(), master->uuid());
    EXPECT_EQ(element->frame().topLeft(), QPointF(29, 39));
}

TEST(PageUndo, LayerListChangeRestacksAndUndoRestoresTheSameList)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    const ZVPuttyViewGroupList before = page->layoutLayers();
    int restacks = 0;
    QObject::connect(page, &ZVCanvasView::stackingChanged, [&] { ++restacks; });
    page->setLayoutLayers(before + ZVPuttyViewGroupList {new ZVPuttyViewGroup});
    EXPECT_EQ(restacks, 1);
    endTurn();
    document.undo.undo();
    ASSERT_EQ(page->layoutLayers().size(), 1);
    EXPECT_EQ(page->layoutLayers().first(), before.first());
}
