// Text boxes continued in linked boxes: where the new box goes, the chain
// it joins, the badge, boxes leaving and coming back, and copies.
#include "../content/TextTestSupport.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ElementPasteboard.h"
#include "canvas/ZVLinkTextView.h"
#include "content/text/FlowLayout.h"
#include "support/NumberedWords.h"

#include <gtest/gtest.h>

using ql::testing::numberedWords;
using ql::testing::textOf;

namespace {

// What each box of the chain shows, in reading order.
QStringList shownTexts(const ZVTextView& any)
{
    QStringList texts;
    for (int i = 0; i < any.layoutManager()->textContainerCount(); ++i) {
        const auto range = any.layoutManager()->characterRangeForTextContainer(i);
        texts.append(any.string().mid(range.location, range.length).trimmed());
    }
    return texts;
}

struct Chain {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* first = ZVPuttyView::initWithText().release();

    explicit Chain(const QRectF& frame = QRectF(100, 100, 300, 160), const QString& text = numberedWords(60))
    {
        page->addPuttyView(first);
        first->setFrame(frame);
        textOf(first)->setString(text);
        endTurn();
        document.undo.removeAllActions();
    }
};

} // namespace

TEST(LinkedTextBoxes, AContinuationStandsBesideItsSourceAndFollowsItInTheChain)
{
    Chain chain;
    chain.first->setIsActive(true);
    chain.first->createLinkedTextView(QPointF(360, 170)); // one page: no menu
    ASSERT_EQ(chain.page->puttyViews().size(), 2);
    ZVPuttyView* b = chain.page->puttyViews().at(1);
    EXPECT_EQ(b->frame(), QRectF(335, 100, 300, 160));
    EXPECT_TRUE(b->isActive() && !chain.first->isActive() && chain.first->isHighlighted());

    // A → B continued from A: A, new, B, in the chain and in the flow.
    ZVPuttyView* middle = chain.first->createLinkedTextViewAtPage(0);
    EXPECT_EQ(chain.first->textGroup()->groupedViews(), (QStringList {chain.first->uuid(), middle->uuid(), b->uuid()}));
    EXPECT_EQ(textOf(chain.first)->textChainViews(), (QList<ZVTextView*> {textOf(chain.first), textOf(middle), textOf(b)}));
    EXPECT_EQ(shownTexts(*textOf(b)).join(QLatin1Char(' ')).simplified(), numberedWords(60));

    Chain edge(QRectF(500, 100, 300, 160));
    EXPECT_EQ(edge.first->createLinkedTextViewAtPage(0)->frame().x(), edge.page->frame().width() - 100);
    EXPECT_EQ(edge.first->createLinkedTextViewAtPage(9), nullptr);
}

// On another page the box's text starts at that page's own left margin,
// moved out by the bleed only when that page is full bleed.
TEST(LinkedTextBoxes, OnAnotherPageTheBoxStartsAtThatPagesLeftMargin)
{
    Chain chain;
    chain.page->setValueForKey(u"leftMargin", 72.0);
    chain.page->setValueForKey(u"bleedMargin", 18.0);
    chain.page->setValueForKey(u"fullBleed", true);
    ZVCanvasView* other = chain.document.addPage();
    other->setValueForKey(u"leftMargin", 36.0);
    other->setValueForKey(u"bleedMargin", 9.0);
    for (const bool fullBleed : {false, true}) {
        other->setValueForKey(u"fullBleed", fullBleed);
        const ZVPuttyView* box = chain.first->createLinkedTextViewAtPage(1);
        const QRectF source = chain.first->contentFrame();
        EXPECT_EQ(box->contentFrame(), QRectF(fullBleed ? 45 : 36, source.y(), 220, 80)) << fullBleed;
    }
}

TEST(LinkedTextBoxes, TheBadgeShowsOverflowAndContinuationAndOnlyForPlainText)
{
    Chain chain(QRectF(100, 100, 200, 120));
    ZVLinkTextView* badge = chain.first->linkTextView();
    EXPECT_EQ(badge->frame(), QRectF(155, 45, 10, 10));
    EXPECT_TRUE(badge->isHidden());
    chain.page->highlightPuttyViews();
    badge->updateFromChain();
    EXPECT_TRUE(!badge->isHidden() && badge->linkable());
    EXPECT_EQ(badge->linkColor(), QColor(Qt::red));

    // On an unselected box a press only selects; selected, it adds a box.
    ql::CanvasEvent press;
    press.location = chain.first->mapToPage(badge->frame().center());
    badge->mouseDown(press);
    chain.first->mouseUp(press);
    EXPECT_EQ(chain.page->puttyViews().size(), 1);
    badge->mouseDown(press);
    ASSERT_EQ(chain.page->puttyViews().size(), 2);
    ZVPuttyView* second = chain.page->puttyViews().at(1);
    second->setFrame(QRectF(335, 100, 300, 600));
    badge->updateFromChain();
    second->linkTextView()->updateFromChain();
    EXPECT_FALSE(badge->linkable()); // a chevron
    EXPECT_EQ(second->linkTextView()->linkColor(), QColor(Qt::blue));
    textOf(second)->setTextViewType(ZVTextView::Date);
    EXPECT_TRUE(second->linkTextView()->isHidden());
}

TEST(LinkedTextBoxes, DeletedBoxesLeaveTheFlowAndEveryReturnPutsThemBackWhereTheyWere)
{
    TestDocument document;
    QList<ZVCanvasView*> pages {document.addPage(), document.addPage(), document.addPage()};
    ZVPuttyView* first = ZVPuttyView::initWithText().release();
    pages[0]->addPuttyView(first);
    first->setFrame(QRectF(100, 100, 300, 200));
    textOf(first)->setString(numberedWords(200));
    ZVPuttyView* second = first->createLinkedTextViewAtPage(1);
    second->createLinkedTextViewAtPage(2)->setFrame(QRectF(100, 100, 300, 700));
    endTurn();
    document.undo.removeAllActions();
    const QStringList before = shownTexts(*textOf(first));

    pages[1]->deletePuttyView(second);
    endTurn();
    const QStringList after = shownTexts(*textOf(first));
    ASSERT_EQ(after.size(), 2);
    EXPECT_TRUE(after.at(1).startsWith(before.at(1)));
    EXPECT_EQ(first->textGroup()->groupedViews().size(), 2);
    document.undo.undo();
    EXPECT_EQ(shownTexts(*textOf(first)), before);
    EXPECT_EQ(first->textGroup()->groupedViews().at(1), second->uuid());

    ZVPuttyView* added = first->createLinkedTextViewAtPage(0);
    endTurn();
    const QStringList withAdded = shownTexts(*textOf(first));
    document.undo.undo();
    EXPECT_FALSE(pages[0]->puttyViews().contains(added));
    EXPECT_EQ(shownTexts(*textOf(first)), before);
    document.undo.redo();
    EXPECT_EQ(shownTexts(*textOf(first)), withAdded);
}

TEST(LinkedTextBoxes, AnEndlessWordOverflowsATinyLastBoxAndCopiesOfPartsOfAChainStandAlone)
{
    const QString word(2000, QLatin1Char('m'));
    Chain chain(QRectF(100, 100, 300, 160), word);
    ZVPuttyView* tiny = chain.first->createLinkedTextViewAtPage(0);
    tiny->setFrame(QRectF(400, 100, 110, 110)); // 30 × 30 of content
    chain.page->highlightPuttyViews();
    tiny->linkTextView()->updateFromChain();
    EXPECT_EQ(tiny->linkTextView()->linkColor(), QColor(Qt::red));

    std::unique_ptr<ZVPuttyView> copy = tiny->copy();
    EXPECT_EQ(copy->textGroup(), nullptr);
    EXPECT_EQ(textOf(copy.get())->string(), word);
    // Copied together, the two boxes form a chain of their own; pasted,
    // under new identities again, they still do.
    ql::PasteboardContents copies = chain.page->copyOfPuttyViewArray({chain.first, tiny}, false);
    ASSERT_EQ(copies.elements.size(), 2u);
    endTurn();
    chain.page->paste(std::move(copies));
    endTurn();
    const QList<ZVPuttyView*> all = chain.page->puttyViews();
    ASSERT_EQ(all.size(), 4);
    ZVPuttyViewGroup* pastedChain = all.at(2)->textGroup();
    ASSERT_NE(pastedChain, nullptr);
    EXPECT_NE(pastedChain, chain.first->textGroup());
    EXPECT_EQ(pastedChain->groupedViews(), (QStringList {all.at(2)->uuid(), all.at(3)->uuid()}));
    EXPECT_EQ(textOf(all.at(2))->textChainViews(), (QList<ZVTextView*> {textOf(all.at(2)), textOf(all.at(3))}));
    EXPECT_EQ(textOf(all.at(3))->string(), word);
    // Copied alone, a box stands alone with all of the chain's text.
    const ql::PasteboardContents one = chain.page->copyOfPuttyViewArray({tiny}, false);
    ASSERT_EQ(one.elements.size(), 1u);
    EXPECT_EQ(one.elements.front()->textGroup(), nullptr);
    EXPECT_EQ(textOf(one.elements.front().get())->textChainViews().size(), 1);
    EXPECT_EQ(textOf(one.elements.front().get())->string(), word);
    chain.document.undo.undo();
    EXPECT_EQ(chain.page->puttyViews().size(), 2);

    // A page copy keeps the chain among the boxes it holds.
    chain.document.addPage();
    ZVPuttyView* back = tiny->createLinkedTextViewAtPage(1)->createLinkedTextViewAtPage(0);
    std::unique_ptr<ZVCanvasView> page = chain.page->copyWithZone();
    const QList<ZVPuttyView*> boxes = page->puttyViews();
    ASSERT_EQ(boxes.size(), 3);
    EXPECT_EQ(boxes.at(0)->textGroup()->groupedViews(), (QStringList {chain.first->uuid(), tiny->uuid(), back->uuid()}));
    EXPECT_EQ(textOf(boxes.at(0))->textChainViews().size(), 3);
}
