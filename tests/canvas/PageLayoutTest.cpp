// What the page lays out around its elements: the wrap rectangles handed to
// its text boxes, the copies of a master's page-number boxes, and removing
// the selection.
#include "CanvasTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/PageDrawList.h"
#include "content/ZVTextView.h"

#include <gtest/gtest.h>

namespace {

ZVPuttyView* addShape(ZVCanvasView& page, QRectF frame, ZVPuttyViewGroup* layer = nullptr)
{
    auto made = ZVPuttyView::initWithVector(ql::BezierPath::rect(QRectF(0, 0, 10, 10)), QStringLiteral("square"));
    made->setFrame(frame);
    made->setLayoutLayerGroup(layer);
    ZVPuttyView* element = made.release();
    page.addPuttyView(element);
    return element;
}

QList<QRectF> wrapOf(const ZVPuttyView& box)
{
    return qobject_cast<const ZVTextView*>(box.contentView())->clippingRects();
}

} // namespace

TEST(PageLayout, WrappingElementsAboveATextBoxInItsLayerCoverItsText)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    auto made = ZVPuttyView::initWithText();
    made->setFrame(QRectF(100, 100, 300, 300));
    ZVPuttyView* box = made.release();
    page->addPuttyView(box);
    // Content (190, 240, 60, 40) on the page: (50, 100) in the box's content.
    ZVPuttyView* shape = addShape(*page, QRectF(150, 200, 140, 120));
    shape->setValueForKey(u"wrapMargins", 5);
    EXPECT_TRUE(wrapOf(*box).isEmpty()) << "not wrapping yet";

    const struct {
        int type;
        QRectF rect;
    } shapes[] = {
        {0, QRectF(45, 95, 70, 50)},
        {1, QRectF(0, 95, 115, 50)},
        {2, QRectF(45, 95, 300, 50)},
        {3, QRectF(0, 95, page->frame().width(), 50)},
    };
    shape->setValueForKey(u"causesWrap", true);
    for (const auto& expected : shapes) {
        shape->setValueForKey(u"wrapType", expected.type);
        page->setClippingRects();
        EXPECT_EQ(wrapOf(*box), QList<QRectF> {expected.rect}) << "wrap type " << expected.type;
    }

    // Below the box, or in another layer, it covers nothing.
    ZVPuttyViewGroup* lower = page->currentLayoutLayer();
    ZVPuttyViewGroup* upper = page->addLayoutLayer(QStringLiteral("Upper"));
    lower->removeUuid(shape->uuid());
    upper->appendUuid(shape->uuid());
    shape->setLayoutLayerGroup(upper);
    page->setCurrentLayoutLayer(lower);
    page->setClippingRects();
    EXPECT_TRUE(wrapOf(*box).isEmpty());

    shape->setValueForKey(u"causesWrap", false);
    page->setClippingRects();
    EXPECT_TRUE(wrapOf(*box).isEmpty());
}

TEST(PageLayout, MasterPageNumberBoxesShowAsCopiesOfTheirOwn)
{
    TestDocument document;
    ZVCanvasView* master = document.addMaster();
    ZVCanvasView* first = document.addPage();
    ZVCanvasView* second = document.addPage();
    auto made = ZVPuttyView::initWithText();
    auto* field = qobject_cast<ZVTextView*>(made->contentView());
    field->setTextViewType(int(ZVTextView::PageNumber));
    field->setIsPageNumber(true);
    ZVPuttyView* number = made.release();
    master->addPuttyView(number);
    ZVPuttyView* shared = addShape(*master, QRectF(0, 0, 100, 100));
    first->setMasterPage(master);
    second->setMasterPage(master);

    const ql::PageDrawList onFirst(*first, ql::PagePainter::Layers::Visible);
    const ql::PageDrawList onSecond(*second, ql::PagePainter::Layers::Visible);
    ASSERT_EQ(onFirst.elements().size(), 2);
    ASSERT_EQ(onSecond.elements().size(), 2);
    EXPECT_NE(onFirst.elements().at(0), number);
    EXPECT_NE(onFirst.elements().at(0)->uuid(), number->uuid());
    EXPECT_NE(onFirst.elements().at(0)->uuid(), onSecond.elements().at(0)->uuid());
    EXPECT_EQ(onFirst.elements().at(1), shared) << "other master elements are shared";
}

TEST(PageLayout, DeletingTheSelectionUndoesInPlaceAndWaitsForEditing)
{
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    QList<ZVPuttyView*> elements;
    for (int i = 0; i < 4; ++i)
        elements.append(addShape(*page, QRectF(10 * i, 0, 100, 100)));
    endTurn();
    const QStringList order = page->currentLayoutLayer()->groupedViews();
    elements[1]->setIsActive(true);
    elements[2]->setIsActive(true);

    page->setValueForKey(u"editMode", true);
    page->delete_();
    EXPECT_EQ(page->puttyViews().size(), 4) << "nothing while a content is edited";
    page->setValueForKey(u"editMode", false);

    const int steps = document.undo.undoCount();
    page->delete_();
    endTurn();
    EXPECT_EQ(page->puttyViews(), (QList<ZVPuttyView*> {elements[0], elements[3]}));
    EXPECT_EQ(document.undo.undoCount(), steps + 1);
    document.undo.undo();
    EXPECT_EQ(page->puttyViews(), elements);
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), order) << "back at their places";
}
