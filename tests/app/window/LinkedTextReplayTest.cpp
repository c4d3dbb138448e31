// Linked text boxes made and edited on the canvas of the real window,
// through canvas-replay: the badge adds a box that continues the text,
// undo takes it away, and typing at the end of a chain lands in its last box.
#include "ReplayTestSupport.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"
#include "support/NumberedWords.h"

using namespace ql;
using ql::testing::numberedWords;
using ql::testing::textOf;

namespace {

// What each text box of the first page shows, in the page's order.
QStringList shownTexts(const Document& document)
{
    QStringList texts;
    for (const ZVPuttyView* element : document.contentPages().first()->puttyViews()) {
        const ZVTextView* text = textOf(element);
        ql::text::FlowLayout* layout = text->layoutManager();
        const auto range = layout->characterRangeForTextContainer(layout->indexOfTextContainer(text->textContainer()));
        texts.append(text->string().mid(range.location, range.length).trimmed());
    }
    return texts;
}

class LinkedTextReplay : public ql::testing::ReplayFixture {
protected:
    // One page with a box at (100, 100, 300, 200) holding `words` numbered
    // words, continued in a second box when `chained`.
    QString makeDocument(int words, bool chained)
    {
        Document* document = controller.newDocument();
        ZVCanvasView* page = document->currentPage();
        ZVPuttyView* box = ZVPuttyView::initWithText().release();
        page->addPuttyView(box);
        box->setFrame(QRectF(100, 100, 300, 200));
        textOf(box)->setString(numberedWords(words));
        if (chained)
            box->createLinkedTextViewAtPage(0)->setFrame(QRectF(335, 100, 300, 400));
        const QString file = path(QStringLiteral("chain.qvleaf"));
        EXPECT_TRUE(controller.saveDocumentToFile(document, file));
        return file;
    }

    std::unique_ptr<Document> open(const QString& file)
    {
        auto document = std::make_unique<Document>();
        EXPECT_TRUE(document->readFromData(ql::testing::fileContents(file), kDesktopDocumentType));
        return document;
    }
};

} // namespace

TEST_F(LinkedTextReplay, TheBadgeAddsABoxThatContinuesTheTextAndUndoTakesItAway)
{
    const QString document = makeDocument(100, false);
    const QString out = path(QStringLiteral("out.qvleaf"));
    // The badge of a 300 × 200 box at (100, 100) is centred at (360, 170).
    const ql::testing::ToolRun added = replay(document, QStringLiteral("click 250 200\nclick 360 170\n"), out);
    ASSERT_EQ(added.exitCode, 0) << added.errors.toStdString();
    std::unique_ptr<Document> read = open(out);
    const QList<ZVPuttyView*> boxes = read->contentPages().first()->puttyViews();
    ASSERT_EQ(boxes.size(), 2);
    EXPECT_EQ(boxes.at(1)->frame(), QRectF(335, 100, 300, 200));
    const QStringList shown = shownTexts(*read);
    EXPECT_FALSE(shown.at(1).isEmpty());
    EXPECT_TRUE(numberedWords(100).startsWith(shown.join(QLatin1Char(' '))));

    const ql::testing::ToolRun undone = replay(document, QStringLiteral("click 250 200\nclick 360 170\nundo\n"), out);
    ASSERT_EQ(undone.exitCode, 0) << undone.errors.toStdString();
    read = open(out);
    ASSERT_EQ(read->contentPages().first()->puttyViews().size(), 1);
    EXPECT_EQ(textOf(read->contentPages().first()->puttyViews().first())->string(), numberedWords(100));
}

TEST_F(LinkedTextReplay, TypingAtTheEndOfAChainLandsInItsLastBox)
{
    const QString document = makeDocument(80, true);
    const QString out = path(QStringLiteral("out.qvleaf"));
    const ql::testing::ToolRun typed = replay(document, QStringLiteral("dclick 250 200\nkey Ctrl+End\ntype Z\n"), out);
    ASSERT_EQ(typed.exitCode, 0) << typed.errors.toStdString();
    const QStringList shown = shownTexts(*open(out));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_FALSE(shown.at(0).endsWith(QLatin1Char('Z')));
    EXPECT_TRUE(shown.at(1).endsWith(QStringLiteral("w0080Z")));
}
