// Linked text chains in document files: the chain's text is stored once and
// shared again on reading, the boxes keep their order, and damaged chain
// data opens in a defined order.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ModelArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextLayoutGroup.h"
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"
#include "support/Plistlib.h"
#include "support/NumberedWords.h"

#include <gtest/gtest.h>

using namespace ql;
using ql::testing::textOf;

namespace {

// A document of three pages with one box each, linked in page order.
std::unique_ptr<Document> chainedDocument()
{
    auto document = std::make_unique<Document>();
    for (int i = 0; i < 3; ++i)
        document->contentPages().append(document->newPage());
    ZVPuttyView* first = ZVPuttyView::initWithText().release();
    document->contentPages().at(0)->addPuttyView(first);
    first->setFrame(QRectF(100, 100, 300, 200));
    textOf(first)->setString(QStringLiteral("one two three four five six seven eight nine ten eleven twelve ").repeated(8));
    first->createLinkedTextViewAtPage(1)->createLinkedTextViewAtPage(2);
    return document;
}

// The UUIDs of the boxes in the order the chain's text flows through them.
QStringList flowOrder(const ZVTextView& text)
{
    QStringList uuids;
    for (const ZVTextView* box : text.textChainViews())
        uuids.append(box->puttyView()->uuid());
    return uuids;
}

ZVPuttyView* boxOn(const Document& document, int page)
{
    return document.contentPages().at(page)->puttyViews().value(0);
}

} // namespace

class LinkedTextArchive : public ql::testing::DocumentFixture {};

TEST_F(LinkedTextArchive, AChainsTextIsStoredOnceSharedByEveryBoxAndItsOrderSurvives)
{
    std::unique_ptr<Document> document = chainedDocument();
    const QStringList order = flowOrder(*textOf(boxOn(*document, 0)));
    const QString file = path(QStringLiteral("chain.qvleaf"));
    ql::testing::writeFile(file, *document->dataOfType(kDesktopDocumentType));

    // plistlib: one text storage, and every text box refers to it.
    EXPECT_EQ(ql::testing::plistlib(file, QStringLiteral(
                  "sum(1 for x in d['$objects'] if isinstance(x, dict) and '$class' in x and "
                  "d['$objects'][x['$class'].data]['$classname'] == 'NSTextStorage')")),
              QStringLiteral("1"));
    EXPECT_EQ(ql::testing::plistlib(file, QStringLiteral(
                  "len(set(x['textStorage'].data for x in d['$objects'] if isinstance(x, dict) and 'textStorage' in x))")),
              QStringLiteral("1"));

    Document reopened;
    ASSERT_TRUE(reopened.readFromData(ql::testing::fileContents(file), kDesktopDocumentType));
    const ZVTextView* first = textOf(boxOn(reopened, 0));
    EXPECT_EQ(flowOrder(*first), order);
    EXPECT_EQ(first->textStorage(), textOf(boxOn(reopened, 2))->textStorage());
    EXPECT_EQ(boxOn(reopened, 0)->textGroup(), boxOn(reopened, 2)->textGroup());
    EXPECT_EQ(boxOn(reopened, 0)->textGroup()->groupedViews(), order);
}

TEST_F(LinkedTextArchive, DamagedChainDataOpensInADefinedOrder)
{
    std::unique_ptr<Document> document = chainedDocument();
    const QString file = path(QStringLiteral("chain.qvleaf"));
    ql::testing::writeFile(file, *document->dataOfType(kDesktopDocumentType));
    const QString text = textOf(boxOn(*document, 0))->string();

    // Positions repeated and out of range, and the last box claiming its
    // layer as its chain.
    ql::testing::editWithPlistlib(file, QStringLiteral(
        "o = d['$objects']\n"
        "texts = [x for x in o if isinstance(x, dict) and 'textContainerIndex' in x]\n"
        "for x, i in zip(texts, [0, 0, -7]): x['textContainerIndex'] = i\n"
        "boxes = [x for x in o if isinstance(x, dict) and 'textGroup' in x and 'layoutLayerGroup' in x]\n"
        "boxes[-1]['textGroup'] = boxes[-1]['layoutLayerGroup']\n"));
    QStringList firstRead;
    for (int run = 0; run < 2; ++run) {
        Document reopened;
        ASSERT_TRUE(reopened.readFromData(ql::testing::fileContents(file), kDesktopDocumentType));
        const ZVTextView* first = textOf(boxOn(reopened, 0));
        EXPECT_EQ(first->string(), text);
        EXPECT_EQ(first->textChainViews().size(), 3);
        // The box whose chain was its layer stands alone.
        EXPECT_EQ(boxOn(reopened, 2)->textGroup(), nullptr);
        EXPECT_EQ(boxOn(reopened, 0)->textGroup()->groupedViews().size(), 2);
        if (run == 0)
            firstRead = flowOrder(*first);
        else
            EXPECT_EQ(flowOrder(*first), firstRead);
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
