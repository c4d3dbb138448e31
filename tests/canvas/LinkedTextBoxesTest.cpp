// Text boxes continued in linked boxes: where the new box goes, the chain
// it joins, the badge that shows the chain's state, and boxes leaving and
// coming back.
#include "../content/TextTestSupport.h"

#include "canvas/CanvasEvent.h"
#include "canvas/CanvasHost.h"
#include "canvas/ElementPasteboard.h"
#include "canvas/ZVLinkTextView.h"
#include "content/text/FlowLayout.h"
#include "support/NumberedWords.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {

using ql::testing::numberedWords;
using ql::testing::textOf;


class MenuHost : public ql::CanvasHost {
public:
    void popUpContextMenu(const ql::CanvasMenu& shown, QPointF at) override
    {
        menu = shown;
        point = at;
    }
    ql::CanvasMenu menu;
    QPointF point;
};

class HostedDocument : public TestDocument {
public:
    ql::CanvasHost* canvasHost() override { return &host; }
    MenuHost host;
};

// The words each box of the chain shows, in reading order.
QStringList shownTexts(const ZVTextView& any)
{
    QStringList texts;
    ql::text::FlowLayout* layout = any.layoutManager();
    for (int i = 0; i < layout->textContainerCount(); ++i) {
        const ql::text::FlowLayout::Range range = layout->characterRangeForTextContainer(i);
        texts.append(any.string().mid(range.location, range.length).trimmed());
    }
    return texts;
}

struct Chain {
    HostedDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* first = nullptr;

    explicit Chain(const QRectF& frame = QRectF(100, 100, 300, 160), const QString& text = numberedWords(60))
    {
        first = ZVPuttyView::initWithText().release();
        page->addPuttyView(first);
        first->setFrame(frame);
        textOf(first)->setString(text);
        endTurn();
        document.undo.removeAllActions();
    }
    ZVPuttyView* continueBox(ZVPuttyView* source, int page = 0)
    {
        ZVPuttyView* box = source->createLinkedTextViewAtPage(page);
        endTurn();
        return box;
    }
};

} // namespace

TEST(LinkedTextBoxes, AContinuationStandsBesideItsSourceAndJoinsTheChainRightAfterIt)
{
    Chain chain;
    // One page: no menu, the new box at once beside the source.
    chain.first->setIsActive(true);
    chain.first->createLinkedTextView(QPointF(360, 170));
    endTurn();
    EXPECT_TRUE(chain.document.host.menu.items.isEmpty());
    ASSERT_EQ(chain.page->puttyViews().size(), 2);
    ZVPuttyView* b = chain.page->puttyViews().at(1);
    EXPECT_EQ(b->frame(), QRectF(335, 100, 300, 160));
    EXPECT_FALSE(chain.first->isActive());
    EXPECT_TRUE(b->isActive());
    EXPECT_TRUE(chain.first->isHighlighted());

    // Continuing A of A → B puts the new box between them, in the chain and in the flow.
    ZVPuttyView* middle = chain.continueBox(chain.first);
    ASSERT_TRUE(middle);
    EXPECT_EQ(chain.first->textGroup()->groupedViews(), (QStringList {chain.first->uuid(), middle->uuid(), b->uuid()}));
    EXPECT_EQ(middle->textGroup(), chain.first->textGroup());
    EXPECT_EQ(textOf(chain.first)->textChainViews(), (QList<ZVTextView*> {textOf(chain.first), textOf(middle), textOf(b)}));
    const QStringList shown = shownTexts(*textOf(b));
    EXPECT_FALSE(shown.at(1).isEmpty());
    EXPECT_EQ(shown.join(QLatin1Char(' ')).simplified(), numberedWords(60));

    // Near the page's right edge the new box stops 100 points before it.
    Chain edge(QRectF(500, 100, 300, 160));
    ZVPuttyView* capped = edge.continueBox(edge.first);
    EXPECT_EQ(capped->frame().x(), edge.page->frame().width() - 100);
}

TEST(LinkedTextBoxes, WithSeveralPagesAMenuOffersEachAndTheChosenPageGetsTheBox)
{
    Chain chain(QRectF(200, 120, 300, 160));
    for (int i = 0; i < 3; ++i)
        chain.document.addPage();
    chain.first->setIsActive(true);
    chain.first->createLinkedTextView(QPointF(460, 160));
    const ql::CanvasMenu& menu = chain.document.host.menu;
    EXPECT_EQ(menu.title, QStringLiteral("Add Linked Text Box"));
    ASSERT_EQ(menu.items.size(), 4);
    EXPECT_EQ(menu.items.at(3).title, QStringLiteral("Page 4"));
    EXPECT_EQ(menu.items.at(3).data, QVariant(3));
    EXPECT_EQ(chain.document.host.point, QPointF(460, 160));
    EXPECT_EQ(chain.page->puttyViews().size(), 1) << "nothing is added before a page is chosen";

    QAction third(menu.items.at(2).title);
    third.setData(menu.items.at(2).data);
    menu.perform(&third);
    endTurn();
    ZVCanvasView* target = chain.document.pageAt(2);
    ASSERT_EQ(target->puttyViews().size(), 1);
    const ZVCanvasView* look = chain.page->templateView();
    EXPECT_EQ(target->puttyViews().first()->frame(), QRectF(look->leftMargin() + look->bleedMargin(), 120, 300, 160));

    // An item without data still names its page in its title.
    QAction second(QStringLiteral("Page 2"));
    chain.first->insertLinkedTextBox(&second);
    EXPECT_EQ(chain.document.pageAt(1)->puttyViews().size(), 1);
    EXPECT_EQ(chain.first->createLinkedTextViewAtPage(9), nullptr);
}

TEST(LinkedTextBoxes, TheBadgeShowsOverflowAndContinuationAndOnlyForPlainText)
{
    Chain chain(QRectF(100, 100, 200, 120));
    ZVLinkTextView* badge = chain.first->linkTextView();
    EXPECT_EQ(badge->frame(), QRectF(155, 45, 10, 10));
    EXPECT_TRUE(badge->isHidden());
    chain.page->highlightPuttyViews();
    EXPECT_FALSE(badge->isHidden());
    badge->updateFromChain();
    EXPECT_TRUE(badge->linkable());
    EXPECT_EQ(badge->linkColor(), QColor(Qt::red));

    // A press on an unselected box's badge only selects the box.
    ql::CanvasEvent press;
    press.location = chain.first->mapToPage(badge->frame().center());
    badge->mouseDown(press);
    chain.first->mouseUp(press);
    EXPECT_TRUE(chain.first->isActive());
    EXPECT_EQ(chain.page->puttyViews().size(), 1);
    // Selected, it adds the next box.
    badge->mouseDown(press);
    endTurn();
    ASSERT_EQ(chain.page->puttyViews().size(), 2);
    ZVPuttyView* second = chain.page->puttyViews().at(1);
    second->setFrame(QRectF(335, 100, 300, 600));

    badge->updateFromChain();
    EXPECT_FALSE(badge->linkable()) << "a box that continues shows a chevron";
    second->linkTextView()->updateFromChain();
    EXPECT_TRUE(second->linkTextView()->linkable());
    EXPECT_EQ(second->linkTextView()->linkColor(), QColor(Qt::blue));

    textOf(second)->setTextViewType(ZVTextView::Date);
    EXPECT_TRUE(second->linkTextView()->isHidden());
}

TEST(LinkedTextBoxes, DeletedBoxesLeaveTheFlowAndEveryReturnPutsThemBackWhereTheyWere)
{
    HostedDocument document;
    QList<ZVCanvasView*> pages {document.addPage(), document.addPage(), document.addPage()};
    ZVPuttyView* first = ZVPuttyView::initWithText().release();
    pages[0]->addPuttyView(first);
    first->setFrame(QRectF(100, 100, 300, 200));
    textOf(first)->setString(numberedWords(200));
    ZVPuttyView* second = first->createLinkedTextViewAtPage(1);
    ZVPuttyView* third = second->createLinkedTextViewAtPage(2);
    third->setFrame(QRectF(100, 100, 300, 700));
    endTurn();
    document.undo.removeAllActions();
    const QStringList before = shownTexts(*textOf(first));
    ASSERT_FALSE(before.at(1).isEmpty());

    pages[1]->deletePuttyView(second);
    endTurn();
    EXPECT_EQ(textOf(first)->layoutManager()->textContainerCount(), 2);
    EXPECT_EQ(first->textGroup()->groupedViews(), (QStringList {first->uuid(), third->uuid()}));
    const QStringList after = shownTexts(*textOf(first));
    EXPECT_EQ(after.at(0), before.at(0));
    EXPECT_TRUE(after.at(1).startsWith(before.at(1)));

    document.undo.undo();
    EXPECT_EQ(shownTexts(*textOf(first)), before);
    EXPECT_EQ(first->textGroup()->groupedViews(), (QStringList {first->uuid(), second->uuid(), third->uuid()}));
    document.undo.redo();
    EXPECT_EQ(shownTexts(*textOf(first)).size(), 2);

    // Undoing a continuation takes its box out; redoing it puts it back in the chain.
    document.undo.undo();
    ZVPuttyView* added = first->createLinkedTextViewAtPage(0);
    endTurn();
    const QStringList withAdded = shownTexts(*textOf(first));
    document.undo.undo();
    EXPECT_FALSE(pages[0]->puttyViews().contains(added));
    EXPECT_EQ(shownTexts(*textOf(first)), before);
    document.undo.redo();
    EXPECT_EQ(shownTexts(*textOf(first)), withAdded);
}

TEST(LinkedTextBoxes, AnEndlessWordInATinyLastBoxOverflowsAndCopiesOfPartsStandAlone)
{
    Chain chain(QRectF(100, 100, 300, 160), QString(2000, QLatin1Char('m')));
    ZVPuttyView* tiny = chain.continueBox(chain.first);
    tiny->setFrame(QRectF(400, 100, 110, 110)); // a 30 × 30 content
    ql::text::FlowLayout* layout = textOf(tiny)->layoutManager();
    EXPECT_TRUE(layout->hasOverflow());
    chain.page->highlightPuttyViews();
    tiny->linkTextView()->updateFromChain();
    EXPECT_EQ(tiny->linkTextView()->linkColor(), QColor(Qt::red));

    // A copy of one box of the chain is a box of its own with the chain's text.
    std::unique_ptr<ZVPuttyView> copy = tiny->copy();
    EXPECT_EQ(copy->textGroup(), nullptr);
    EXPECT_EQ(textOf(copy.get())->string(), QString(2000, QLatin1Char('m')));
    EXPECT_EQ(textOf(copy.get())->layoutManager()->textContainerCount(), 1);

    // Copied together for the clipboard, each box stands alone with all the text.
    const ql::PasteboardContents copies = chain.page->copyOfPuttyViewArray({chain.first, tiny}, false);
    ASSERT_EQ(copies.elements.size(), 2u);
    for (const auto& element : copies.elements) {
        EXPECT_EQ(element->textGroup(), nullptr);
        EXPECT_EQ(textOf(element.get())->string(), QString(2000, QLatin1Char('m')));
        EXPECT_EQ(textOf(element.get())->layoutManager()->textContainerCount(), 1);
    }
}

TEST(LinkedTextBoxes, APageCopyKeepsTheChainAmongTheBoxesItHolds)
{
    Chain chain;
    chain.document.addPage();
    ZVPuttyView* away = chain.continueBox(chain.first, 1);
    ZVPuttyView* back = chain.continueBox(away, 0);
    std::unique_ptr<ZVCanvasView> copy = chain.page->copyWithZone();
    ASSERT_TRUE(copy);
    const QList<ZVPuttyView*> boxes = copy->puttyViews();
    ASSERT_EQ(boxes.size(), 2);
    ASSERT_TRUE(boxes.at(0)->textGroup());
    EXPECT_EQ(boxes.at(0)->textGroup(), boxes.at(1)->textGroup());
    EXPECT_EQ(boxes.at(0)->textGroup()->groupedViews(), (QStringList {chain.first->uuid(), back->uuid()}));
    EXPECT_EQ(textOf(boxes.at(0))->textChainViews(), (QList<ZVTextView*> {textOf(boxes.at(0)), textOf(boxes.at(1))}));
    EXPECT_EQ(textOf(boxes.at(0))->string(), textOf(chain.first)->string());
}
