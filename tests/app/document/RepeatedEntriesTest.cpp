// A file that lists a page or an element more than once (edited by hand or
// by another program, checked with python3's plistlib): the first listing
// counts, so that each page and element is there once and deleting one
// deletes only that one.
#include "DocumentTestSupport.h"
#include "app/output/OutputTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "canvas/painting/PagePainter.h"

using namespace ql;
using ql::testing::editWithPlistlib;

using RepeatedEntries = ql::testing::DocumentFixture;

TEST_F(RepeatedEntries, TheFirstListingOfAPageOrElementCountsAndDeletingDeletesOne)
{
    controller.setWindowFactory(nullptr);
    Document original;
    ZVCanvasView* first = ql::testing::addPage(original);
    ql::testing::addPage(original);
    ql::testing::addFilledRect(*first, QRectF(100, 100, 50, 50), Qt::red);
    ql::testing::addFilledRect(*first, QRectF(200, 100, 50, 50), Qt::blue);
    original.masterPages().append(original.newPage());
    const QString file = path(QStringLiteral("repeats.qvleaf"));
    ql::testing::save(original, file);

    // Pages [1, 2, 1], the masters [master, 1], the first page's elements
    // [red, blue, red] with blue given red's UUID, and its layer's list with
    // each UUID twice.
    editWithPlistlib(file, QStringLiteral(
        "o = d['$objects']\n"
        "pages = o[d['$top']['pages'].data]['NS.objects']\n"
        "pages.append(pages[0])\n"
        "o[d['$top']['masterPages'].data]['NS.objects'].append(pages[0])\n"
        "page = o[pages[0].data]\n"
        "elements = o[page['puttyViews'].data]['NS.objects']\n"
        "elements.append(elements[0])\n"
        "o[elements[1].data]['uuid'] = o[elements[0].data]['uuid']\n"
        "layer = o[o[page['layoutLayers'].data]['NS.objects'][0].data]\n"
        "uuids = o[layer['groupedViews'].data]['NS.objects']\n"
        "uuids.extend(list(uuids))"));

    Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
    ASSERT_TRUE(opened.ok()) << opened.error().message.toStdString();
    Document* document = *opened;
    ASSERT_EQ(document->contentPages().size(), 2);
    ZVCanvasView* page = document->contentPages()[0];
    ZVCanvasView* second = document->contentPages()[1];
    EXPECT_NE(page, second);
    EXPECT_FALSE(document->masterPages().contains(page)) << "a content page is not a master too";
    EXPECT_EQ(document->masterPages().size(), 1);
    ASSERT_EQ(page->puttyViews().size(), 2);
    ZVPuttyView* red = page->puttyViews()[0];
    ZVPuttyView* blue = page->puttyViews()[1];
    EXPECT_NE(blue->uuid(), red->uuid()) << "an element with another's UUID gets its own; the first keeps it";
    const ZVPuttyViewGroup* layer = red->layoutLayerGroup();
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->groupedViews(), (QStringList {red->uuid(), blue->uuid()}));

    // Deleting one element leaves the other on the page and drawn.
    page->deletePuttyView(red);
    EXPECT_EQ(ql::PagePainter::drawList(*page), QList<ZVPuttyView*> {blue});

    // Deleting the first page leaves the second, and no trace of the first.
    document->setCurrentPage(page);
    prompter.answerAlert(0);
    document->deletePage(&prompter);
    EXPECT_EQ(document->contentPages(), QList<ZVCanvasView*> {second});
    EXPECT_EQ(document->currentPage(), second);

    // Saved again, the file lists each page once.
    ASSERT_TRUE(controller.saveDocument(document));
    EXPECT_EQ(ql::testing::plistlib(file, QStringLiteral("len(d['$objects'][d['$top']['pages'].data]['NS.objects'])")),
              QStringLiteral("1"));
}
