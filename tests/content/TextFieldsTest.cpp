// Page-number and date boxes writing their own text.
#include "TextTestSupport.h"

#include "canvas/ModelArchive.h"
#include "content/text/DateFormatter.h"
#include "platform/runtime/NotificationCenter.h"

#include <gtest/gtest.h>

namespace {

// A page-number box on page `number` (1-based) of a document of `count` pages.
struct NumberedBox {
    TestDocument document;
    ZVPuttyView* element = nullptr;
    ZVTextView* text = nullptr;

    NumberedBox(int number, int count)
    {
        for (int i = 0; i < count; ++i)
            document.addPage();
        element = ZVPuttyView::initWithText().release();
        document.pageAt(number - 1)->addPuttyView(element);
        text = qobject_cast<ZVTextView*>(element->contentView());
        text->setTextViewType(ZVTextView::PageNumber);
    }
};

QStringList valuesOf(const QVariantList& entries, const char* key)
{
    QStringList values;
    for (const QVariant& entry : entries)
        values.append(entry.toMap().value(QString::fromLatin1(key)).toString());
    return values;
}

} // namespace

TEST(TextFields, PageNumbersCountFromTheStartPageAndTemplatesAreFilledLiterally)
{
    NumberedBox fourth(4, 10);
    EXPECT_EQ(fourth.text->string(), QStringLiteral("Page 4 of 10"));
    EXPECT_EQ(valuesOf(fourth.text->pageNumberFormats(), "title"),
              (QStringList {"Page 4 of 10", "Page 4", "4 of 10", "4", "4 / 10"}));
    EXPECT_EQ(valuesOf(fourth.text->pageNumberFormats(), "format"),
              (QStringList {"Page <NUM> of <COUNT>", "Page <NUM>", "<NUM> of <COUNT>", "<NUM>", "<NUM> / <COUNT>"}));

    NumberedBox first(1, 10);
    first.text->setStartPage(2);
    first.text->updateTextFromType();
    EXPECT_EQ(first.text->string(), QStringLiteral("Page 0 of 9"));

    // The number twice on page 7; a template without tokens is copied as it is.
    NumberedBox seventh(7, 10);
    seventh.text->setSelectedPageNumberFormat(QVariantMap {{"title", "77"}, {"format", "<NUM><NUM>"}});
    seventh.text->updatePageNumberFormat();
    seventh.text->updateTextFromType();
    EXPECT_EQ(seventh.text->string(), QStringLiteral("77"));
    seventh.text->setPageNumberFormat(QStringLiteral("Folio <num>"));
    seventh.text->updateTextFromType();
    EXPECT_EQ(seventh.text->string(), QStringLiteral("Folio <num>"));

    // The new text keeps the first character's formatting.
    fourth.text->setAttributedString(ql::AttributedString(QStringLiteral("x"), fontAttributes(QStringLiteral("Helvetica"), 30)));
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
    EXPECT_EQ(fourth.text->string(), QStringLiteral("Page 4 of 10"));
    const auto font = ql::text::attributesAt(*fourth.text->textStorage()->document(), 8).value(A::font).value<ql::Font>();
    EXPECT_EQ(font.pointSize(), 30.0);
}

TEST(TextFields, ABoxOnAPageItsDocumentDoesNotShowKeepsItsTextAndNumbersNeverOverflow)
{
    NumberedBox box(2, 3);
    ASSERT_EQ(box.text->string(), QStringLiteral("Page 2 of 3"));
    // The page leaves the shown pages (as a master does while content pages are shown).
    box.document.pages.removeAt(1);
    box.text->updateTextFromType();
    EXPECT_EQ(box.text->string(), QStringLiteral("Page 2 of 3"));
    EXPECT_FALSE(box.text->pageNumbers().has_value());

    NumberedBox far(1, 2);
    for (const QVariant& start : {QVariant(std::numeric_limits<qint64>::min()), QVariant(std::numeric_limits<qint64>::max()),
                                  QVariant(1e300), QVariant(qQNaN())}) {
        far.text->setStartPage(start);
        const auto numbers = far.text->pageNumbers();
        ASSERT_TRUE(numbers.has_value());
        EXPECT_LE(std::abs(numbers->number), qint64(1e15) + 2);
        EXPECT_EQ(numbers->number - numbers->count, -1); // page 1 of 2, wherever counting starts
    }
}

TEST(TextFields, DatesFollowTheChosenPatternInTheLocaleAtTheClocksTime)
{
    TextBox box;
    ZVTextView& field = *box.text;
    const QDateTime moment(QDate(2024, 3, 9), QTime(15, 5));
    field.dateFormatter().setLocaleName(QStringLiteral("en_US"));
    field.dateFormatter().setClock([moment] { return moment; });
    field.setTextViewType(ZVTextView::Date);
    EXPECT_EQ(field.string(), QStringLiteral("March 9, 2024"));

    const QVariantList choices = field.dateFormats();
    ASSERT_EQ(choices.size(), 13);
    EXPECT_EQ(valuesOf(choices, "format"), ZVTextView::dateFormatPatterns());
    EXPECT_EQ(valuesOf(choices, "title").at(1), QStringLiteral("Saturday, March 9, 2024"));
    EXPECT_EQ(valuesOf(choices, "title").at(4), QStringLiteral("03/09/24"));
    EXPECT_EQ(valuesOf(choices, "title").at(12), QStringLiteral("2024-03-09, 3:05 PM"));

    // Choice 7 shows only the time, refreshed with every update.
    field.setSelectedDateFormat(choices.at(6));
    field.updateDateFormat();
    field.updateTextFromType();
    EXPECT_EQ(field.string(), QStringLiteral("3:05 PM"));
    field.dateFormatter().setClock([moment] { return moment.addSecs(3600); });
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
    EXPECT_EQ(field.string(), QStringLiteral("4:05 PM"));

    // The POSIX locale writes US English.
    EXPECT_FALSE(ql::text::DateFormatter::systemLocaleName().contains(QStringLiteral("POSIX")));
}

TEST(TextFields, AFieldReadFromAFileKeepsItsStoredTextUntilTheNextRefresh)
{
    NumberedBox box(3, 4);
    box.text->setString(QStringLiteral("as stored"));
    std::unique_ptr<ZVPuttyView> read = box.element->copy();
    auto* text = qobject_cast<ZVTextView*>(read->contentView());
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->isPageNumber());
    EXPECT_EQ(text->string(), QStringLiteral("as stored"));
    box.document.pageAt(2)->addPuttyView(read.get());
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
    EXPECT_EQ(text->string(), QStringLiteral("Page 3 of 4"));
    box.document.pageAt(2)->deletePuttyView(read.release());
}
