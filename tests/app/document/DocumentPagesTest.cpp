// Pages in documents: what the first window set-up gives, what the file keeps
// and what the reader links up again, and how pages are chosen.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVContentView.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <QCoreApplication>

#include <QImage>

using namespace ql;
using ql::testing::editWithPlistlib;
using ql::testing::plistlib;

namespace {

QStringList uuidsOf(const QList<ZVCanvasView*>& pages)
{
    QStringList uuids;
    for (const ZVCanvasView* page : pages)
        uuids.append(page->uuid());
    return uuids;
}

void addElements(ZVCanvasView& page)
{
    std::unique_ptr<ZVPuttyView> text = ZVPuttyView::initWithText();
    text->setFrame(QRectF(10, 10, 200, 120));
    page.addPuttyView(text.release());
    QImage bitmap(4, 4, QImage::Format_ARGB32);
    bitmap.fill(Qt::red);
    std::unique_ptr<ZVPuttyView> image = ZVPuttyView::initWithImage(Image(bitmap));
    image->setFrame(QRectF(100, 200, 120, 120));
    page.addPuttyView(image.release());
}

void openPage(Document* sender, QVariantList indexes)
{
    NotificationCenter::defaultCenter().post(QStringLiteral("openPage"), sender, {{QStringLiteral("indexes"), indexes}});
}

} // namespace

using DocumentPages = ql::testing::DocumentFixture;

TEST_F(DocumentPages, NewDocumentHasOneContentAndOneUnlinkedMasterPage)
{
    Document* document = controller.newDocument();
    ASSERT_EQ(document->contentPages().size(), 1);
    ASSERT_EQ(document->masterPages().size(), 1);
    for (ZVCanvasView* page : {document->contentPages()[0], document->masterPages()[0]})
        EXPECT_EQ(page->frame(), QRectF(0, 0, 612, 792));
    EXPECT_EQ(document->currentPage(), document->contentPages()[0]);
    EXPECT_EQ(document->contentPages()[0]->masterPage(), nullptr);
    EXPECT_EQ(&document->pages(), &document->contentPages()) << "the shown list is the content list itself";
    EXPECT_FALSE(document->previousAvailable());
    EXPECT_FALSE(document->nextAvailable());
    EXPECT_EQ(document->pageLabel(), QStringLiteral("1 / 1"));
    EXPECT_FALSE(document->undoManager()->canUndo()) << "the first pages are no edit";
    EXPECT_FALSE(document->isDocumentEdited());

    document->setPagesType(1);
    EXPECT_EQ(&document->pages(), &document->masterPages());
    document->updatePageCounts();
    EXPECT_EQ(document->currentPage(), document->masterPages()[0]);
    EXPECT_EQ(document->pageLabel(), QStringLiteral("A"));
}

TEST_F(DocumentPages, ReopenedDocumentHasItsPagesInOrderLinkedToTheirMaster)
{
    Document* document = controller.newDocument();
    ZVCanvasView* master = document->masterPages()[0];
    document->contentPages().append(document->newPage());
    document->contentPages().append(document->newPage());
    for (ZVCanvasView* page : document->contentPages()) {
        page->setMasterPage(master);
        addElements(*page);
    }
    addElements(*master);
    const QStringList contentUuids = uuidsOf(document->contentPages());
    const QString saved = path(QStringLiteral("three.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    ASSERT_TRUE(controller.closeDocument(document));

    EXPECT_EQ(plistlib(saved, QStringLiteral("list(d['$top'].keys())")),
              QStringLiteral("['pages', 'masterPages', 'notes', 'formatAsBooklet']"));
    EXPECT_EQ(plistlib(saved, QStringLiteral("sorted({d['$objects'][d['$objects'][p.data]['$class'].data]['$classname'] "
                                             "for p in d['$objects'][d['$top']['pages'].data]['NS.objects']})")),
              QStringLiteral("['ZVCanvasView']"));

    Result<Document*> reopened = controller.openDocumentWithContentsOfFile(saved);
    ASSERT_TRUE(reopened.ok());
    Document* again = *reopened;
    ASSERT_EQ(again->masterPages().size(), 1);
    EXPECT_EQ(uuidsOf(again->contentPages()), contentUuids);
    EXPECT_EQ(again->currentPage(), again->contentPages()[0]);
    QList<ZVCanvasView*> all = again->masterPages();
    all.append(again->contentPages());
    for (ZVCanvasView* page : all) {
        EXPECT_EQ(page->document(), again);
        if (page != again->masterPages()[0]) {
            EXPECT_EQ(page->masterPage(), again->masterPages()[0]);
        }
        ASSERT_EQ(page->puttyViews().size(), 2);
        for (ZVPuttyView* element : page->puttyViews()) {
            EXPECT_EQ(element->canvas(), page);
            ASSERT_NE(element->contentView(), nullptr);
            EXPECT_EQ(element->contentView()->puttyView(), element);
        }
    }
    QCoreApplication::processEvents();
    DeferredCalls::instance().flush();
    EXPECT_FALSE(again->undoManager()->canUndo()) << "loading is no edit";
    EXPECT_FALSE(again->isDocumentEdited());

    again->contentPages()[1]->setValueForKey(u"leftMargin", 10.0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(again->undoManager()->canUndo()) << "page edits undo on their document";
    EXPECT_TRUE(again->isDocumentEdited());
}

TEST_F(DocumentPages, LastMasterOfEqualUuidsWinsAndMissingListsGetAFirstPage)
{
    Document* document = controller.newDocument();
    document->masterPages().append(document->newPage());
    document->contentPages()[0]->setMasterPage(document->masterPages()[0]);
    const QString saved = path(QStringLiteral("twins.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    ASSERT_TRUE(controller.closeDocument(document));

    // Both masters get the first one's UUID, written by an independent writer.
    editWithPlistlib(saved, QStringLiteral(
        "o = d['$objects']\n"
        "masters = [o[u.data] for u in o[d['$top']['masterPages'].data]['NS.objects']]\n"
        "masters[1]['uuid'] = masters[0]['uuid']"));
    Result<Document*> twins = controller.openDocumentWithContentsOfFile(saved);
    ASSERT_TRUE(twins.ok());
    ASSERT_EQ((*twins)->masterPages().size(), 2);
    EXPECT_EQ((*twins)->contentPages()[0]->masterPage(), (*twins)->masterPages()[1]);
    ASSERT_TRUE(controller.closeDocument(*twins));

    editWithPlistlib(saved, QStringLiteral("del d['$top']['masterPages']"));
    Result<Document*> noMasters = controller.openDocumentWithContentsOfFile(saved);
    ASSERT_TRUE(noMasters.ok());
    ASSERT_EQ((*noMasters)->masterPages().size(), 1);
    EXPECT_EQ((*noMasters)->masterPages()[0]->frame(), QRectF(0, 0, 612, 792));
    EXPECT_EQ((*noMasters)->contentPages()[0]->masterPage(), nullptr) << "a UUID that names no master links nothing";
}

TEST_F(DocumentPages, UnrecognisedTypeOpensAnEmptyDocument)
{
    Result<Document*> document = controller.openUntitledDocumentWithData("anything", QStringLiteral("SomeoneElsesType"));
    ASSERT_TRUE(document.ok());
    ASSERT_EQ((*document)->contentPages().size(), 1);
    ASSERT_EQ((*document)->masterPages().size(), 1);
    EXPECT_EQ((*document)->contentPages()[0]->frame(), QRectF(0, 0, 612, 792));
    EXPECT_EQ((*document)->masterPages()[0]->frame(), QRectF(0, 0, 612, 792));
}

TEST_F(DocumentPages, ArchivesOfOtherClassesAreRefused)
{
    Document* document = controller.newDocument();
    const QString saved = path(QStringLiteral("classes.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    ASSERT_TRUE(controller.closeDocument(document));
    const QByteArray original = ql::testing::fileContents(saved);

    const QStringList tamperings = {
        // A page record claims to be some other class.
        QStringLiteral("o = d['$objects']\n"
                       "page = o[o[d['$top']['pages'].data]['NS.objects'][0].data]\n"
                       "o.append({'$classname': 'NSTask', '$classes': ['NSTask', 'NSObject']})\n"
                       "page['$class'] = plistlib.UID(len(o) - 1)"),
        // The page list holds a string instead of pages.
        QStringLiteral("o = d['$objects']\n"
                       "o.append('not a page')\n"
                       "o[d['$top']['pages'].data]['NS.objects'] = [plistlib.UID(len(o) - 1)]"),
    };
    for (const QString& tampering : tamperings) {
        SCOPED_TRACE(tampering.toStdString());
        ql::testing::writeFile(saved, original);
        editWithPlistlib(saved, tampering);
        const QByteArray tampered = ql::testing::fileContents(saved);
        Result<Document*> result = controller.openDocumentWithContentsOfFile(saved);
        ASSERT_FALSE(result.ok());
        EXPECT_TRUE(result.error().message.contains(QStringLiteral("classes.qvleaf")));
        EXPECT_TRUE(controller.documents().isEmpty());
        EXPECT_EQ(ql::testing::fileContents(saved), tampered);
    }
}

TEST_F(DocumentPages, OpenPageSwitchesOnlyTheDocumentItIsPostedFor)
{
    Document* a = controller.newDocument();
    Document* b = controller.newDocument();
    for (Document* document : {a, b}) {
        document->contentPages().append(document->newPage());
        document->contentPages().append(document->newPage());
        document->updatePageCounts();
    }
    openPage(a, {2, 1});
    EXPECT_EQ(a->currentPage(), a->contentPages()[1]) << "the smallest index counts";
    EXPECT_EQ(a->pageLabel(), QStringLiteral("2 / 3"));
    EXPECT_TRUE(a->previousAvailable() && a->nextAvailable());
    EXPECT_EQ(b->currentPage(), b->contentPages()[0]) << "another document's choice changes nothing here";

    openPage(a, {5, 3});
    EXPECT_EQ(a->currentPage(), a->contentPages()[1]) << "a smallest index past the end is ignored";
    openPage(nullptr, {2});
    EXPECT_EQ(a->currentPage(), a->contentPages()[1]);
    EXPECT_EQ(b->currentPage(), b->contentPages()[0]);

    a->nextPage();
    EXPECT_EQ(a->currentPage(), a->contentPages()[2]);
    EXPECT_FALSE(a->nextAvailable());
    a->nextPage();
    EXPECT_EQ(a->currentPage(), a->contentPages()[2]);
    a->previousPage();
    EXPECT_EQ(a->currentPage(), a->contentPages()[1]);
}

TEST_F(DocumentPages, RevertKeepsTheReplacedPagesAlive)
{
    Document* document = controller.newDocument();
    ASSERT_TRUE(controller.saveDocumentToFile(document, path(QStringLiteral("r.qvleaf"))));
    QPointer<ZVCanvasView> before = document->contentPages()[0];
    document->updateChangeCountDone();
    prompter.answerAlert(0);
    ASSERT_TRUE(controller.revertDocumentToSaved(document));
    EXPECT_NE(document->contentPages()[0], before.data());
    ASSERT_FALSE(before.isNull());
    EXPECT_TRUE(document->deletedPages().contains(before.data()));
    EXPECT_EQ(document->currentPage(), document->contentPages()[0]);
}

TEST_F(DocumentPages, APageThatIsNotShownGivesWayToTheFirstShownPage)
{
    Document* document = controller.newDocument();
    ZVCanvasView* first = document->contentPages()[0];
    ZVCanvasView stranger;
    QList<ZVCanvasView*> announced;
    QObject::connect(document, &Document::currentPageChanged, [&](ZVCanvasView* page) { announced.append(page); });
    document->setCurrentPage(&stranger);
    EXPECT_EQ(document->currentPage(), first);
    ASSERT_FALSE(announced.isEmpty());
    EXPECT_EQ(announced.last(), first) << "listeners must not be left showing the page that was refused";
    EXPECT_FALSE(announced.contains(&stranger));
}

TEST_F(DocumentPages, ALayerListedByTwoPagesOfAFileBecomesOneLayerForEach)
{
    Document* document = controller.newDocument();
    ZVCanvasView* first = document->contentPages()[0];
    ZVCanvasView* second = document->newPage();
    document->contentPages().append(second);
    ZVPuttyViewGroup* shared = first->layoutLayers().first();
    second->setLayoutLayers(first->layoutLayers());
    second->setCurrentLayoutLayer(shared);
    addElements(*first);
    addElements(*second);
    // The second page stacks its image under its text.
    const QStringList firstUuids {first->puttyViews()[0]->uuid(), first->puttyViews()[1]->uuid()};
    const QStringList secondUuids {second->puttyViews()[1]->uuid(), second->puttyViews()[0]->uuid()};
    shared->setGroupedViews(firstUuids + secondUuids);
    const QString saved = path(QStringLiteral("shared-layer.qvleaf"));
    ASSERT_TRUE(controller.saveDocumentToFile(document, saved));
    ASSERT_TRUE(controller.closeDocument(document));

    Result<Document*> reopened = controller.openDocumentWithContentsOfFile(saved);
    ASSERT_TRUE(reopened.ok());
    ZVCanvasView* page1 = (*reopened)->contentPages()[0];
    ZVCanvasView* page2 = (*reopened)->contentPages()[1];
    ASSERT_EQ(page1->layoutLayers().size(), 1);
    ASSERT_EQ(page2->layoutLayers().size(), 1);
    ZVPuttyViewGroup* layer1 = page1->layoutLayers().first();
    ZVPuttyViewGroup* layer2 = page2->layoutLayers().first();
    EXPECT_NE(layer1, layer2) << "each page owns its layers";
    EXPECT_EQ(layer1->parent(), page1);
    EXPECT_EQ(layer2->parent(), page2);
    EXPECT_EQ(layer2->groupName(), layer1->groupName());
    EXPECT_EQ(layer1->groupedViews(), firstUuids);
    EXPECT_EQ(layer2->groupedViews(), secondUuids) << "the second page keeps its own stacking order";
    EXPECT_EQ(page1->stackedPuttyViews().size(), 2) << "the first page still shows its elements";
    EXPECT_EQ(page2->stackedPuttyViews().size(), 2);
    for (ZVPuttyView* element : page1->puttyViews())
        EXPECT_EQ(element->layoutLayerGroup(), layer1);
    for (ZVPuttyView* element : page2->puttyViews())
        EXPECT_EQ(element->layoutLayerGroup(), layer2);
}
