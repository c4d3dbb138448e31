// The current page and the page list commands on the document: the counter
// and the flags, what a page switch repeats, the deferred deselection, new
// pages inserted before and after, deleting after the alert, content or
// master pages, settings applied to all pages, and deleting a master page
// that content pages use.
#include "DocumentTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/RulerMarker.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <QCoreApplication>

using namespace ql;
using ql::testing::plistlib;

namespace {

class DocumentPageList : public ql::testing::DocumentFixture {
protected:
    // A document of `count` content pages, the first one current, with what
    // the window set-up deferred already done.
    Document* makeDocument(int count)
    {
        Document* document = controller.newDocument();
        while (document->contentPages().size() < count)
            document->contentPages().append(document->newPage());
        document->setCurrentPage(document->contentPages().first());
        settle();
        return document;
    }
    // Ends the user action: the undo step closes and deferred calls run.
    static void settle()
    {
        QCoreApplication::processEvents();
        DeferredCalls::instance().flush();
        QCoreApplication::processEvents();
    }
    static ZVPuttyView* addActiveElement(ZVCanvasView* page)
    {
        ZVPuttyView* element = ZVPuttyView::initWithText().release();
        page->addPuttyView(element);
        element->setFrame(QRectF(50, 50, 200, 100));
        element->setIsActive(true);
        return element;
    }
};

} // namespace

TEST_F(DocumentPageList, CounterAndFlagsFollowTheCurrentPage)
{
    Document* document = makeDocument(3);
    const QList<ZVCanvasView*> pages = document->contentPages();
    EXPECT_EQ(document->pageLabel(), QStringLiteral("1 / 3"));
    EXPECT_FALSE(document->previousAvailable());
    EXPECT_TRUE(document->nextAvailable());
    document->previousPage();
    EXPECT_EQ(document->currentPage(), pages[0]) << "nothing before the first page";
    document->nextPage();
    EXPECT_EQ(document->pageLabel(), QStringLiteral("2 / 3"));
    EXPECT_TRUE(document->previousAvailable() && document->nextAvailable());
    document->nextPage();
    document->nextPage();
    EXPECT_EQ(document->currentPage(), pages[2]) << "nothing after the last page";
    EXPECT_EQ(document->pageLabel(), QStringLiteral("3 / 3"));
    EXPECT_FALSE(document->nextAvailable());

    ZVPuttyView* onFirst = addActiveElement(pages[0]);
    ZVPuttyView* onThird = addActiveElement(pages[2]);
    EXPECT_EQ(document->allPuttyViews(), (QList<ZVPuttyView*> {onFirst, onThird})) << "the shown pages' elements";

    document->masterPages().append(document->newPage());
    addActiveElement(document->masterPages()[0]);
    document->togglePagesType();
    EXPECT_EQ(document->pageLabel(), QStringLiteral("A"));
    EXPECT_EQ(document->allPuttyViews(), document->masterPages()[0]->puttyViews());
    document->nextPage();
    EXPECT_EQ(document->pageLabel(), QStringLiteral("B")) << "masters show their letter, never a counter";

    Document* single = makeDocument(1);
    EXPECT_FALSE(single->previousAvailable());
    EXPECT_FALSE(single->nextAvailable());
    EXPECT_EQ(single->pageLabel(), QStringLiteral("1 / 1"));
}

TEST_F(DocumentPageList, ShowingThePageAgainRepeatsEveryStep)
{
    Document* document = makeDocument(2);
    ZVCanvasView* page = document->currentPage();
    int posts = 0;
    QObject context;
    NotificationCenter::defaultCenter().addObserver(&context, QStringLiteral("AutoUpdateText"), nullptr,
                                                   [&](const Notification&) { ++posts; });
    int restacks = 0;
    QObject::connect(page, &ZVCanvasView::stackingChanged, &context, [&] { ++restacks; });
    document->setCurrentPage(page);
    EXPECT_EQ(posts, 2) << "once by the counter, once at the end";
    EXPECT_GE(restacks, 1) << "the elements are laid out again";
    EXPECT_EQ(ZVDesignHelper::sharedInstance().currentPage(), page);
}

TEST_F(DocumentPageList, TheDeferredDeselectionActsOnThePageCurrentByThen)
{
    Document* document = makeDocument(3);
    const QList<ZVCanvasView*> pages = document->contentPages();
    ZVPuttyView* first = addActiveElement(pages[0]);
    ZVPuttyView* third = addActiveElement(pages[2]);
    // Three switches within the 10 ms: each one's deselection runs later.
    document->setCurrentPage(pages[0]);
    document->setCurrentPage(pages[1]);
    document->setCurrentPage(pages[2]);
    EXPECT_TRUE(third->isActive()) << "not at once";
    settle();
    EXPECT_FALSE(third->isActive());
    EXPECT_TRUE(first->isActive()) << "the page left behind keeps its selection";
}

TEST_F(DocumentPageList, InsertedPagesCopyTheCurrentPagesOwnSettingsOnly)
{
    Document* document = makeDocument(2);
    ZVCanvasView* first = document->contentPages()[0];
    ZVCanvasView* master = document->masterPages()[0];
    // The page's own settings differ from its master's, which it shows.
    first->setValueForKey(u"pageSize", 0);
    first->setValueForKey(u"pageWidth", 400.0);
    first->setValueForKey(u"pageHeight", 500.0);
    first->setValueForKey(u"leftMargin", 12.0);
    first->setValueForKey(u"fullBleed", true);
    first->setValueForKey(u"bleedMargin", 6.0);
    first->setValueForKey(u"colNumber", 4);
    first->setValueForKey(u"clipToMargins", true);
    first->setValueForKey(u"horizontalMarkers", QVariantList {QVariant::fromValue(RulerMarker {})});
    first->backgroundView()->setBackgroundType(1);
    addActiveElement(first);
    master->setValueForKey(u"leftMargin", 70.0);
    first->setMasterPage(master);
    EXPECT_EQ(first->frame(), QRectF(0, 0, 612, 792)) << "it shows its master's geometry";
    settle();

    document->insertPageBefore();
    ZVCanvasView* made = document->contentPages()[0];
    EXPECT_EQ(document->contentPages().size(), 3);
    EXPECT_EQ(document->contentPages()[1], first) << "the old first page is number 2";
    EXPECT_EQ(document->currentPage(), made);
    EXPECT_EQ(document->pageLabel(), QStringLiteral("1 / 3"));
    EXPECT_TRUE(document->isDocumentEdited()) << "closing must not lose the new page";

    EXPECT_EQ(made->masterPage(), nullptr);
    EXPECT_EQ(made->pageSize(), 0);
    EXPECT_EQ(made->leftMargin(), 12.0) << "the page's own margin, not the master's";
    EXPECT_EQ(made->bleedMargin(), 6.0);
    EXPECT_TRUE(made->fullBleed());
    EXPECT_TRUE(made->clipToMargins());
    EXPECT_EQ(made->valueForKey(u"colNumber").toInt(), 4);
    EXPECT_EQ(made->frame(), QRectF(0, 0, 412, 512)) << "its own custom size with the bleed";
    EXPECT_TRUE(made->puttyViews().isEmpty());
    EXPECT_TRUE(made->valueForKey(u"horizontalMarkers").toList().isEmpty());
    EXPECT_EQ(made->layoutLayers().size(), 1);
    EXPECT_NE(made->backgroundView()->backgroundType(), QVariant(1)) << "a background of its own";
    EXPECT_NE(made->uuid(), first->uuid());

    // Undo right after the insert undoes what came before, not the copy.
    ASSERT_TRUE(document->undoManager()->canUndo());
    document->undoManager()->undo();
    EXPECT_EQ(first->masterPage(), nullptr) << "the link, the last edit before the insert";
    EXPECT_EQ(made->leftMargin(), 12.0);
    EXPECT_EQ(made->pageSize(), 0);
    EXPECT_EQ(made->frame(), QRectF(0, 0, 412, 512));
    EXPECT_EQ(document->contentPages().size(), 3) << "inserting records no undo";

    document->setCurrentPage(document->contentPages().last());
    document->insertPageAfter();
    EXPECT_EQ(document->contentPages().size(), 4);
    EXPECT_EQ(document->currentPage(), document->contentPages().last());
    EXPECT_FALSE(document->nextAvailable());
    EXPECT_TRUE(document->previousAvailable());
    EXPECT_EQ(document->pageLabel(), QStringLiteral("4 / 4"));
}

TEST_F(DocumentPageList, DeletingAsksAndLandsOnTheFirstPage)
{
    Document* document = makeDocument(3);
    ZVCanvasView* second = document->contentPages()[1];
    document->setCurrentPage(second);

    prompter.answerAlert(1);
    document->deletePage(&prompter);
    ASSERT_EQ(prompter.alerts.size(), 1);
    const AlertRequest& alert = prompter.alerts.first();
    EXPECT_EQ(alert.messageText, QStringLiteral("Delete this page?"));
    EXPECT_EQ(alert.informativeText, QStringLiteral("This action cannot be undone."));
    EXPECT_EQ(alert.buttons, (QStringList {"OK", "Cancel"}));
    EXPECT_EQ(alert.style, AlertRequest::Style::Warning);
    EXPECT_EQ(document->contentPages().size(), 3) << "Cancel keeps it";
    EXPECT_EQ(document->currentPage(), second);

    prompter.answerAlert(0);
    document->deletePage(&prompter);
    EXPECT_EQ(document->contentPages().size(), 2);
    EXPECT_FALSE(document->contentPages().contains(second));
    EXPECT_TRUE(document->deletedPages().contains(second));
    EXPECT_EQ(document->currentPage(), document->contentPages()[0]) << "the first page, not a neighbour";
    EXPECT_EQ(document->pageLabel(), QStringLiteral("1 / 2"));
    EXPECT_FALSE(document->undoManager()->canUndo()) << "as the alert says";

    prompter.answerAlert(0);
    document->deletePage(&prompter);
    EXPECT_EQ(prompter.alerts.size(), 3);
    EXPECT_EQ(document->contentPages().size(), 1);
    document->deletePage(&prompter);
    EXPECT_EQ(prompter.alerts.size(), 3) << "the only page is not even asked about";
    EXPECT_EQ(document->contentPages().size(), 1);
}

TEST_F(DocumentPageList, TogglingTwiceComesBackToTheFirstContentPage)
{
    Document* document = makeDocument(3);
    document->masterPages().append(document->newPage());
    document->setCurrentPage(document->contentPages()[2]);
    int announcements = 0;
    QObject context;
    document->addObserver(QStringLiteral("masterPages"), &context, [&](const KeyValueChange&) { ++announcements; });

    document->togglePagesType();
    EXPECT_EQ(document->pagesType().toInt(), 1);
    EXPECT_EQ(&document->pages(), &document->masterPages());
    EXPECT_EQ(document->currentPage(), document->masterPages()[0]);
    EXPECT_EQ(announcements, 1);
    document->togglePagesType();
    EXPECT_EQ(&document->pages(), &document->contentPages());
    EXPECT_EQ(document->currentPage(), document->contentPages()[0]) << "not the page current before";
    EXPECT_EQ(announcements, 2);
    EXPECT_FALSE(document->undoManager()->canUndo());
}

TEST_F(DocumentPageList, ApplyingToAllPagesWithMastersShownChangesOnlyMastersInOneStep)
{
    Document* document = makeDocument(2);
    document->masterPages().append(document->newPage());
    document->masterPages().append(document->newPage());
    document->togglePagesType();
    settle();
    const QList<ZVCanvasView*> masters = document->masterPages();
    masters[1]->setValueForKey(u"clipToMargins", true);
    ZVCanvasView* source = masters[0];
    source->setValueForKey(u"pageOrientation", 1);
    source->setValueForKey(u"topMargin", 20.0);
    source->setValueForKey(u"rowNumber", 3);
    source->setValueForKey(u"showColumnRowGuides", true);
    settle();

    document->applyPageSettingsToAllPages();
    for (ZVCanvasView* master : masters) {
        EXPECT_EQ(master->pageOrientation(), 1);
        EXPECT_EQ(master->topMargin(), 20.0);
        EXPECT_EQ(master->valueForKey(u"rowNumber").toInt(), 3);
        EXPECT_EQ(master->frame(), QRectF(0, 0, 792, 612)) << "landscape";
    }
    EXPECT_TRUE(masters[1]->clipToMargins()) << "each page keeps its own clipping";
    EXPECT_FALSE(masters[2]->clipToMargins());
    for (ZVCanvasView* page : document->contentPages()) {
        EXPECT_EQ(page->pageOrientation(), 0);
        EXPECT_EQ(page->topMargin(), 36.0);
    }
    settle();

    document->undoManager()->undo();
    for (ZVCanvasView* master : {masters[1], masters[2]}) {
        EXPECT_EQ(master->pageOrientation(), 0);
        EXPECT_EQ(master->topMargin(), 36.0);
        EXPECT_EQ(master->valueForKey(u"rowNumber").toInt(), 1);
        EXPECT_FALSE(master->valueForKey(u"showColumnRowGuides").toBool());
        EXPECT_EQ(master->frame(), QRectF(0, 0, 612, 792));
    }
    EXPECT_EQ(source->topMargin(), 20.0) << "one Undo takes back the whole apply, nothing before it";
}

TEST_F(DocumentPageList, DeletingAMasterUnlinksItsPagesForGood)
{
    Document* document = makeDocument(2);
    document->masterPages().append(document->newPage());
    ZVCanvasView* masterA = document->masterPages()[0];
    ZVCanvasView* masterB = document->masterPages()[1];
    ZVCanvasView* page2 = document->contentPages()[1];
    ZVCanvasView* page1 = document->contentPages()[0];
    page2->setValueForKey(u"pageSize", 0);
    page2->setValueForKey(u"pageWidth", 300.0);
    page2->setValueForKey(u"pageHeight", 400.0);
    masterB->setValueForKey(u"fullBleed", true);
    masterB->setValueForKey(u"pageOrientation", 1);
    ZVPuttyView* element = ZVPuttyView::initWithText().release();
    page2->addPuttyView(element);
    element->setFrame(QRectF(30, 40, 200, 100));
    // Recorded links, so that undo and redo have links to bring back.
    page1->setMasterPage(masterB);
    settle();
    page1->setMasterPage(masterA);
    settle();
    page2->setMasterPage(masterB);
    settle();
    EXPECT_EQ(page2->frame(), QRectF(0, 0, 810, 630));

    document->togglePagesType();
    document->setCurrentPage(masterB);
    prompter.answerAlert(0);
    document->deletePage(&prompter);
    ASSERT_EQ(document->masterPages(), QList<ZVCanvasView*> {masterA});
    EXPECT_TRUE(document->deletedPages().contains(masterB));
    EXPECT_EQ(page2->masterPage(), nullptr);
    EXPECT_EQ(page2->masterPageUUID(), QString(""));
    EXPECT_EQ(page2->frame(), QRectF(0, 0, 300, 400)) << "its own geometry at once";
    EXPECT_EQ(page1->masterPage(), masterA);

    const auto linkedToTheDeleted = [&] { return page1->masterPage() == masterB || page2->masterPage() == masterB; };
    for (int round = 0; round < 3; ++round) {
        while (document->undoManager()->canUndo()) {
            document->undoManager()->undo();
            EXPECT_FALSE(linkedToTheDeleted()) << "undo never relinks the deleted master";
        }
        while (document->undoManager()->canRedo()) {
            document->undoManager()->redo();
            EXPECT_FALSE(linkedToTheDeleted()) << "nor does redo";
        }
    }
    EXPECT_EQ(page2->frame(), QRectF(0, 0, 300, 400));
    ASSERT_EQ(page2->puttyViews().size(), 1);
    const QRectF elementSaved = page2->puttyViews()[0]->frame();

    document->togglePagesType();
    const QString saved = path(QStringLiteral("one-master.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    EXPECT_EQ(plistlib(saved, QStringLiteral("len(d['$objects'][d['$top']['masterPages'].data]['NS.objects'])")),
              QStringLiteral("1"));
    EXPECT_EQ(plistlib(saved, QStringLiteral("repr(d['$objects'][d['$objects'][d['$objects'][d['$top']['pages'].data]"
                                             "['NS.objects'][1].data]['masterPageUUID'].data])")),
              QStringLiteral("''"));
    ASSERT_TRUE(controller.closeDocument(document));

    Result<Document*> reopened = controller.openDocumentWithContentsOfFile(saved);
    ASSERT_TRUE(reopened.ok());
    ZVCanvasView* again = (*reopened)->contentPages()[1];
    EXPECT_EQ(again->masterPage(), nullptr);
    EXPECT_EQ(again->frame(), QRectF(0, 0, 300, 400)) << "it looks as it did before the save";
    ASSERT_EQ(again->puttyViews().size(), 1);
    EXPECT_EQ(again->puttyViews()[0]->frame(), elementSaved);
}
