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

TEST(PageUndo, AMastersBleedChangeIsOneStepHoweverManyPagesFollowIt)
{
    TestDocument document;
    ZVCanvasView* master = document.addMaster();
    std::vector<ZVPuttyView*> elements;
    for (int i = 0; i < 5; ++i) {
        ZVCanvasView* page = document.addPage();
        page->setMasterPage(master);
        ZVPuttyView* element = ZVPuttyView::initWithText().release();
        page->addPuttyView(element);
        element->setFrame(QRectF(100, 50, 300, 300));
        elements.push_back(element);
    }
    master->setValueForKey(u"fullBleed", true);
    endTurn();
    document.undo.removeAllActions();

    int sets = 0;
    master->addObserver(QStringLiteral("bleedMargin"), nullptr, [&](const ql::KeyValueChange&) { ++sets; });
    master->setValueForKey(u"bleedMargin", 18.0);
    endTurn();
    ASSERT_EQ(document.undo.undoCount(), 1);
    for (int cycle = 0; cycle < 10; ++cycle) {
        document.undo.undo();
        EXPECT_EQ(master->bleedMargin(), 9.0);
        document.undo.redo();
        EXPECT_EQ(master->bleedMargin(), 18.0);
    }
    EXPECT_EQ(sets, 1 + 2 * 10) << "one set per undo and per redo, whatever follows the master";
    EXPECT_EQ(document.undo.undoCount(), 1);
    EXPECT_EQ(document.undo.redoCount(), 0);
    for (ZVPuttyView* element : elements)
        EXPECT_EQ(element->frame().topLeft(), QPointF(118, 68)) << "every page re-anchors its elements";
}

TEST(PageUndo, ADestroyedMasterLeavesThePageWatchingItsOwnSettings)
{
    TestDocument document;
    auto* master = document.addMaster();
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page->addPuttyView(element);
    element->setFrame(QRectF(20, 30, 300, 300));
    page->setMasterPage(master);
    endTurn();
    page->setMasterPage(nullptr);
    endTurn();
    page->setMasterPage(master);
    endTurn();
    delete master;
    EXPECT_EQ(page->templateView(), page);

    // The page's own bleed is watched again: the elements follow it.
    document.undo.removeAllActions();
    page->setValueForKey(u"fullBleed", true);
    endTurn();
    EXPECT_EQ(element->frame().topLeft(), QPointF(29, 39));
    EXPECT_EQ(page->frame(), QRectF(0, 0, 630, 810));
    document.undo.undo();
    EXPECT_FALSE(page->fullBleed());
    EXPECT_EQ(element->frame().topLeft(), QPointF(20, 30));

    // Undoing a link to the destroyed master brings nothing back.
    TestDocument other;
    auto* gone = other.addMaster();
    ZVCanvasView* follower = other.addPage();
    follower->setMasterPage(gone);
    endTurn();
    follower->setMasterPage(nullptr);
    endTurn();
    delete gone;
    other.undo.undo();
    EXPECT_EQ(follower->masterPage(), nullptr);
    EXPECT_EQ(follower->templateView(), follower);
}

TEST(PageUndo, ALayerOfAnotherPageStaysWithIt)
{
    TestDocument document;
    ZVCanvasView* first = document.addPage();
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    first->addPuttyView(element);
    QPointer<ZVPuttyViewGroup> shared = first->layoutLayers().first();
    {
        ZVCanvasView second;
        second.setLayoutLayers(first->layoutLayers());
        EXPECT_EQ(shared->parent(), first);
        second.repairLayerMembership();
    }
    ASSERT_FALSE(shared.isNull()) << "the other page took the layer with it";
    EXPECT_TRUE(shared->listsUuid(element->uuid())) << "the other page's repair stripped this page's element";
    EXPECT_TRUE(first->stackedPuttyViews().contains(element));
}
