// Documents of many pages and texts of many paragraphs open in time that
// grows with their size: the reader links every master first and then has
// page fields refreshed once, and a text far longer than its box keeps
// layout work for the lines that show.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/FlowLayout.h"
#include "content/text/TextStorage.h"
#include "platform/runtime/NotificationCenter.h"

#include <QTextCursor>

using namespace ql;

namespace {

using LargeDocuments = ql::testing::DocumentFixture;

ZVTextView* addTextBox(ZVCanvasView& page, const QString& text)
{
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
    element->setFrame(QRectF(40, 40, 300, 120));
    auto* content = qobject_cast<ZVTextView*>(element->contentView());
    content->setString(text);
    page.addPuttyView(element.release());
    return content;
}

// The file of `pages` pages linked to one master, each with a text box; the
// text box of page `fieldPage` (1-based) shows its page number.
QByteArray linkedPages(int pages, int fieldPage = 0)
{
    Document document;
    auto* master = new ZVCanvasView(&document);
    document.masterPages().append(master);
    for (int p = 1; p <= pages; ++p) {
        auto* page = new ZVCanvasView(&document);
        page->setMasterPageUUID(master->uuid());
        ZVTextView* text = addTextBox(*page, QStringLiteral("Text"));
        if (p == fieldPage)
            text->setTextViewType(ZVTextView::PageNumber);
        document.contentPages().append(page);
    }
    return *DocumentArchive::write(document);
}

} // namespace

TEST_F(LargeDocuments, ReadingRefreshesPageFieldsOnceAfterLinkingEveryMaster)
{
    const QByteArray file = linkedPages(40, 3);
    int posts = 0;
    QObject counting;
    NotificationCenter::defaultCenter().addObserver(&counting, QStringLiteral("AutoUpdateText"), nullptr,
                                                    [&posts](const Notification&) { ++posts; });
    Document document;
    ASSERT_TRUE(document.readFromData(file, kDesktopDocumentType));
    EXPECT_LE(posts, 3) << "not one refresh of every text box per page linked";

    ASSERT_EQ(document.contentPages().size(), 40);
    for (ZVCanvasView* page : document.contentPages())
        EXPECT_EQ(page->templateView(), document.masterPages().first());
    const auto* field = qobject_cast<ZVTextView*>(document.contentPages()[2]->puttyViews().first()->contentView());
    EXPECT_EQ(field->string(), QStringLiteral("Page 3 of 40"));
}

TEST_F(LargeDocuments, TenThousandPagesLinkedToAMasterOpen)
{
    const QByteArray file = linkedPages(10000);
    Document document;
    ASSERT_TRUE(document.readFromData(file, kDesktopDocumentType));
    ASSERT_EQ(document.contentPages().size(), 10000);
    EXPECT_EQ(document.contentPages().last()->templateView(), document.masterPages().first());
    EXPECT_EQ(document.currentPage(), document.contentPages().first());
}

TEST_F(LargeDocuments, AMillionLineBreaksOpenAndOnlyTheLinesThatShowAreLaidOut)
{
    constexpr int kBreaks = 1'000'000;
    QByteArray file;
    {
        Document document;
        auto* page = new ZVCanvasView(&document);
        addTextBox(*page, QStringLiteral("first") + QString(kBreaks, QLatin1Char('\n')) + QStringLiteral("last"));
        document.contentPages().append(page);
        file = *DocumentArchive::write(document);
    }
    Document document;
    ASSERT_TRUE(document.readFromData(file, kDesktopDocumentType));
    auto* text = qobject_cast<ZVTextView*>(document.contentPages().first()->puttyViews().first()->contentView());
    ASSERT_NE(text, nullptr);
    text::FlowLayout* layout = text->layoutManager();
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(text->string().size(), kBreaks + 9);
    EXPECT_TRUE(layout->hasOverflow());
    const int shown = int(layout->linesInTextContainer(0).size());
    EXPECT_GT(shown, 1);
    EXPECT_LT(layout->relaidBlockCount(), 100) << "the paragraphs that do not fit are laid out nowhere";
    EXPECT_EQ(layout->firstOverflowCharacter(), 5 + shown);

    // Typing in the overflow moves nothing that shows.
    const qint64 before = layout->relaidBlockCount();
    QTextCursor end(text->textStorage()->document());
    end.movePosition(QTextCursor::End);
    end.insertText(QStringLiteral("!"));
    EXPECT_EQ(layout->firstOverflowCharacter(), 5 + shown);
    EXPECT_EQ(layout->relaidBlockCount(), before);
}
