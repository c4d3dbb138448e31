// Linked text boxes on the canvas of the real window, through canvas-replay:
// the badge adds a box that continues the text, undo takes it away, and
// typing at the end of a chain lands in its last box.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "content/text/FlowLayout.h"
#include "support/NumberedWords.h"

using namespace ql;
using ql::testing::numberedWords;
using ql::testing::textOf;

namespace {

class LinkedTextReplay : public ql::testing::ReplayFixture {
protected:
    // One page with a box at (100, 100, 300, 200) of numbered words,
    // continued in a second box when `chained`.
    QString makeDocument(int words, bool chained)
    {
        Document* document = controller.newDocument();
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        document->currentPage()->addPuttyView(box);
        box->setFrame(QRectF(100, 100, 300, 200));
        textOf(box)->setString(numberedWords(words));
        if (chained)
            box->createLinkedTextViewAtPage(0)->setFrame(QRectF(335, 100, 300, 400));
        const QString file = path(QStringLiteral("chain.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    // The boxes of the replay's saved document, and what each shows.
    QList<ZVPuttyView*> run(const QString& document, const QString& script)
    {
        const QString out = path(QStringLiteral("out.qvleaf"));
        const ql::testing::ToolRun tool = replay(document, script, out);
        EXPECT_EQ(tool.exitCode, 0) << tool.errors.toStdString();
        read = std::make_unique<Document>();
        EXPECT_TRUE(read->readFromData(ql::testing::fileContents(out), kDesktopDocumentType));
        shown.clear();
        const QList<ZVPuttyView*> boxes = read->contentPages().first()->puttyViews();
        for (const ZVPuttyView* element : boxes) {
            ql::text::FlowLayout* layout = textOf(element)->layoutManager();
            const auto range = layout->characterRangeForTextContainer(textOf(element)->textContainerIndex());
            shown.append(textOf(element)->string().mid(range.location, range.length).trimmed());
        }
        return boxes;
    }

    std::unique_ptr<Document> read;
    QStringList shown;
};

} // namespace

TEST_F(LinkedTextReplay, TheBadgeAddsABoxThatContinuesTheTextAndUndoTakesItAway)
{
    const QString document = makeDocument(100, false);
    // The badge of a 300 × 200 box at (100, 100) is centred at (360, 170).
    QList<ZVPuttyView*> boxes = run(document, QStringLiteral("click 250 200\nclick 360 170\n"));
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes.at(1)->frame(), QRectF(335, 100, 300, 200));
    EXPECT_FALSE(shown.at(1).isEmpty());
    EXPECT_TRUE(numberedWords(100).startsWith(shown.join(QLatin1Char(' '))));

    boxes = run(document, QStringLiteral("click 250 200\nclick 360 170\nundo\n"));
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(textOf(boxes.first())->string(), numberedWords(100));
}

TEST_F(LinkedTextReplay, TypingAtTheEndOfAChainLandsInItsLastBox)
{
    run(makeDocument(80, true), QStringLiteral("dclick 250 200\nkey Ctrl+End\ntype Z\n"));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_TRUE(shown.at(1).endsWith(QStringLiteral("w0080Z")));
}
