// Linked text chains in document files: the chain's text is stored once and
// shared again on reading, the boxes keep their order, and damaged chain
// data opens in a defined order.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ModelArchive.h"
#include "canvas/ZVCanvasView.h"
#include "content/ZVTextLayoutGroup.h"
#include "support/NumberedWords.h"
#include "support/Plistlib.h"

using namespace ql;
using ql::testing::textOf;

namespace {

ZVPuttyView* boxOn(const Document& document, int page)
{
    return document.contentPages().at(page)->puttyViews().value(0);
}

// The UUIDs of the boxes in the order the text flows through them.
QStringList flowOrder(const Document& document)
{
    QStringList uuids;
    for (const ZVTextView* box : textOf(boxOn(document, 0))->textChainViews())
        uuids.append(box->puttyView()->uuid());
    return uuids;
}

class LinkedTextArchive : public ql::testing::DocumentFixture {
protected:
    // Three pages with one box each, linked in page order, saved.
    QString saveChain()
    {
        Document document;
        for (int i = 0; i < 3; ++i)
            document.contentPages().append(document.newPage());
        ZVPuttyView* first = ZVPuttyView::initWithText().release();
        document.contentPages().at(0)->addPuttyView(first);
        first->setFrame(QRectF(100, 100, 300, 200));
        textOf(first)->setString(ql::testing::numberedWords(100));
        first->createLinkedTextViewAtPage(1)->createLinkedTextViewAtPage(2);
        order = flowOrder(document);
        const QString file = path(QStringLiteral("chain.qvleaf"));
        ql::testing::writeFile(file, *document.dataOfType(kDesktopDocumentType));
        return file;
    }
    QStringList order;
};

} // namespace

TEST_F(LinkedTextArchive, AChainsTextIsStoredOnceSharedByEveryBoxAndItsOrderSurvives)
{
    const QString file = saveChain();
    EXPECT_EQ(ql::testing::plistlib(file, QStringLiteral(
                  "[len([x for x in d['$objects'] if isinstance(x, dict) and '$class' in x and "
                  "d['$objects'][x['$class'].data]['$classname'] == 'NSTextStorage']), "
                  "len(set(x['textStorage'].data for x in d['$objects'] if isinstance(x, dict) and 'textStorage' in x))]")),
              QStringLiteral("[1, 1]"));
    Document reopened;
    ASSERT_TRUE(reopened.readFromData(ql::testing::fileContents(file), kDesktopDocumentType));
    EXPECT_EQ(flowOrder(reopened), order);
    EXPECT_EQ(boxOn(reopened, 2)->textGroup(), boxOn(reopened, 0)->textGroup());
    EXPECT_EQ(boxOn(reopened, 0)->textGroup()->groupedViews(), order);
}

TEST_F(LinkedTextArchive, DamagedChainDataOpensInADefinedOrder)
{
    const QString file = saveChain();
    // Positions repeated and out of range; the last box names its layer as its chain.
    ql::testing::editWithPlistlib(file, QStringLiteral(
        "o = d['$objects']\n"
        "for x, i in zip([x for x in o if isinstance(x, dict) and 'textContainerIndex' in x], [0, 0, -7]):\n"
        "    x['textContainerIndex'] = i\n"
        "boxes = [x for x in o if isinstance(x, dict) and 'textGroup' in x and 'layoutLayerGroup' in x]\n"
        "boxes[-1]['textGroup'] = boxes[-1]['layoutLayerGroup']\n"));
    QStringList firstRead;
    for (int run = 0; run < 2; ++run) {
        Document reopened;
        ASSERT_TRUE(reopened.readFromData(ql::testing::fileContents(file), kDesktopDocumentType));
        EXPECT_EQ(textOf(boxOn(reopened, 0))->string(), ql::testing::numberedWords(100));
        EXPECT_EQ(boxOn(reopened, 2)->textGroup(), nullptr);
        EXPECT_EQ(boxOn(reopened, 0)->textGroup()->groupedViews().size(), 2);
        EXPECT_EQ(reopened.contentPages().at(2)->layoutLayers().first()->groupedViews().size(), 1);
        if (run == 0)
            firstRead = flowOrder(reopened);
        EXPECT_EQ(flowOrder(reopened), firstRead);
        EXPECT_EQ(firstRead.size(), 3);
    }
}

TEST_F(LinkedTextArchive, AnOlderTextLayoutGroupRecordReads)
{
    const QByteArray data = ql::test::plistlibDump(QStringLiteral(
        "{'$archiver': 'NSKeyedArchiver', '$version': 100000, '$top': {'root': plistlib.UID(1)}, '$objects': ["
        "'$null', {'$class': plistlib.UID(2), 'groupedViews': plistlib.UID(3)},"
        "{'$classname': 'ZVTextLayoutGroup', '$classes': ['ZVTextLayoutGroup', 'NSObject']},"
        "{'$class': plistlib.UID(6), 'NS.objects': [plistlib.UID(4), plistlib.UID(5)]}, 'A-1', 'B-2',"
        "{'$classname': 'NSMutableArray', '$classes': ['NSMutableArray', 'NSArray', 'NSObject']}]}"),
        QStringLiteral("BINARY"));
    auto group = ql::canvas::unarchiveRootObject<ZVTextLayoutGroup>(data);
    ASSERT_TRUE(group.ok()) << qPrintable(group.error().describe());
    EXPECT_EQ((*group)->groupedViews(), (QStringList {QStringLiteral("A-1"), QStringLiteral("B-2")}));
}
