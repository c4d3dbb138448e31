// A document of 10,000 pages linked to a master opens: the reader links
// every master first and then has page fields refreshed once. One of more
// elements or pages than a document may hold is refused. A text naming more
// missing fonts than the bound shows the rest in the default family.
#include "DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "app/document/DocumentBudget.h"
#include "platform/archive/HandMadeArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/TextStorage.h"
#include "platform/graphics/FontResolver.h"
#include "platform/runtime/NotificationCenter.h"
#include "support/NumberedWords.h"

#include <QTextCursor>

using namespace ql;

using LargeDocuments = ql::testing::DocumentFixture;

TEST_F(LargeDocuments, TenThousandPagesLinkedToAMasterOpenWithPageFieldsRefreshedOnce)
{
    QByteArray file;
    {
        Document document;
        auto* master = new ZVCanvasView(&document);
        document.masterPages().append(master);
        for (int p = 0; p < 10000; ++p) {
            auto* page = new ZVCanvasView(&document);
            page->setMasterPageUUID(master->uuid());
            std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
            if (p == 2)
                qobject_cast<ZVTextView*>(element->contentView())->setTextViewType(ZVTextView::PageNumber);
            page->addPuttyView(element.release());
            document.contentPages().append(page);
        }
        file = *DocumentArchive::write(document);
    }
    int posts = 0;
    QObject counting;
    NotificationCenter::defaultCenter().addObserver(&counting, QStringLiteral("AutoUpdateText"), nullptr,
                                                    [&posts](const Notification&) { ++posts; });
    Document document;
    ASSERT_TRUE(document.readFromData(file, kDesktopDocumentType));
    EXPECT_LE(posts, 3) << "not a refresh of every text box for each page linked";
    ASSERT_EQ(document.contentPages().size(), 10000);
    EXPECT_EQ(document.contentPages().last()->templateView(), document.masterPages().first());
    const auto* field = qobject_cast<ZVTextView*>(document.contentPages()[2]->puttyViews().first()->contentView());
    EXPECT_EQ(field->string(), QStringLiteral("Page 3 of 10000"));
}

TEST_F(LargeDocuments, MoreElementsOrPagesThanADocumentMayHoldAreRefusedBeforeAnyIsMade)
{
    // Records no page lists: only their number counts, and it is found
    // before anything is made.
    const auto fileOf = [](const char* elementClass, qsizetype elements) {
        PlistValue::Array objects {ql::test::classRecord(elementClass)};
        objects.resize(size_t(elements) + 1, PlistValue::dictionary({{QStringLiteral("$class"), PlistValue::uid(1)}}));
        return ql::test::handMade(std::move(objects), {});
    };
    Document fits;
    EXPECT_TRUE(fits.readFromData(fileOf("ZVPuttyView", DocumentBudget::kMaxElements), kDesktopDocumentType));
    for (const auto& [elementClass, type] : {std::pair {"ZVPuttyView", kDesktopDocumentType},
                                             std::pair {"PuttyView", kMobileDocumentType}}) {
        Document document;
        const Status read = document.readFromData(fileOf(elementClass, DocumentBudget::kMaxElements + 1), type);
        ASSERT_FALSE(read) << elementClass;
        EXPECT_EQ(read.error().message, QStringLiteral("It holds 30,001 elements; a document can hold up to 30,000."));
        EXPECT_TRUE(document.contentPages().isEmpty());
    }

    // Pages, empty ones too, are bounded the same way.
    Document pages;
    EXPECT_TRUE(pages.readFromData(fileOf("ZVCanvasView", DocumentBudget::kMaxPages), kDesktopDocumentType));
    const Status read = pages.readFromData(fileOf("ZVCanvasView", DocumentBudget::kMaxPages + 1), kDesktopDocumentType);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().message, QStringLiteral("It holds 20,001 pages; a document can hold up to 20,000."));

    // Such a file is neither damaged nor another program's: the window says
    // only that it is over the bound.
    ql::testing::writeFile(path(QStringLiteral("many.qvleaf")), fileOf("ZVCanvasView", DocumentBudget::kMaxPages + 1));
    ASSERT_FALSE(controller.openDocumentWithContentsOfFile(path(QStringLiteral("many.qvleaf"))));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, QStringLiteral("The document “many.qvleaf” could not be opened."));
    EXPECT_EQ(prompter.alerts[0].informativeText,
              QStringLiteral("It holds 20,001 pages; a document can hold up to 20,000."));
}

TEST_F(LargeDocuments, ATextNamingMoreMissingFontsThanTheBoundShowsTheRestInTheDefaultFamilyKeepingTheirNames)
{
    const auto inFont = [](const QString& name) {
        return TextAttributes {{TextAttribute::font, QVariant::fromValue(Font(name, 12.0))}};
    };
    // Written under names seen nowhere else, then renamed in the file: the
    // names the reader meets are new to it.
    AttributedString text;
    for (int i = 0; i < 600; ++i)
        text.append(QStringLiteral("run %1 ").arg(i), inFont(QStringLiteral("Xnheard Face %1").arg(i)));
    text.append(QStringLiteral("aliased"), inFont(QStringLiteral("XookmanOldStyle-Bold")));
    QByteArray file;
    {
        Document document;
        auto* page = new ZVCanvasView(&document);
        document.contentPages().append(page);
        std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
        ql::testing::textOf(element.get())->setAttributedString(text);
        page->addPuttyView(element.release());
        file = DocumentArchive::write(document)->replace("Xnheard Face", "Unheard Face")
                   .replace("XookmanOldStyle", "BookmanOldStyle");
    }
    Document document;
    ASSERT_TRUE(document.readFromData(file, kDesktopDocumentType));
    ZVTextView* box = ql::testing::textOf(document.contentPages().first()->puttyViews().first());
    const AttributedString read = box->attributedString();
    ASSERT_EQ(read.string(), text.string());
    const qsizetype aliased = read.string().indexOf(QStringLiteral("aliased"));
    EXPECT_EQ(read.attributeAt(TextAttribute::font, aliased).value<Font>().postScriptName(),
              QStringLiteral("BookmanOldStyle-Bold"));
    // The font configuration stands in for it, but past the bound it shows
    // in the default family's bold face, in the window and the inspector alike.
    QTextCursor cursor(box->textStorage()->document());
    cursor.setPosition(int(aliased) + 1);
    EXPECT_EQ(cursor.charFormat().font().family(), FontResolver::resolve(QStringLiteral("Helvetica-Bold"), 12).family());
    EXPECT_TRUE(FontResolver::familyOf(QStringLiteral("BookmanOldStyle-Bold")).isEmpty());
}
