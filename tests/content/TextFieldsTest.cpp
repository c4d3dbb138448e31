// Page-number and date boxes writing their own text.
#include "TextTestSupport.h"

#include "content/text/DateFormatter.h"
#include "platform/runtime/NotificationCenter.h"

#include <gtest/gtest.h>

namespace {

// A page-number box on page `number` of a document of `count` pages.
struct NumberedBox {
    TestDocument document;
    ZVTextView* text = nullptr;

    NumberedBox(int number, int count)
    {
        for (int i = 0; i < count; ++i)
            document.addPage();
        auto element = ZVPuttyView::initWithText();
        text = qobject_cast<ZVTextView*>(element->contentView());
        document.pageAt(number - 1)->addPuttyView(element.release());
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

void refresh()
{
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
}

} // namespace

TEST(TextFields, PageNumbersCountFromTheStartPageAndTemplatesAreFilledLiterally)
{
    NumberedBox fourth(4, 10);
    EXPECT_EQ(fourth.text->string(), QStringLiteral("Page 4 of 10"));
    EXPECT_EQ(valuesOf(fourth.text->pageNumberFormats(), "title"),
              (QStringList {"Page 4 of 10", "Page 4", "4 of 10", "4", "4 / 10"}));
    NumberedBox first(1, 10);
    first.text->setStartPage(2);
    EXPECT_EQ(first.text->string(), QStringLiteral("Page 0 of 9"));

    NumberedBox seventh(7, 10);
    seventh.text->setSelectedPageNumberFormat(QVariantMap {{"title", "77"}, {"format", "<NUM><NUM>"}});
    EXPECT_EQ(seventh.text->string(), QStringLiteral("77"));
    seventh.text->setPageNumberFormat(QStringLiteral("Folio <num>"));
    EXPECT_EQ(seventh.text->string(), QStringLiteral("Folio <num>"));

    // The page leaves the shown pages: the box keeps its text. Start pages
    // from anywhere give numbers, never an overflow.
    NumberedBox second(2, 3);
    second.document.pages.removeAt(1);
    refresh();
    EXPECT_EQ(second.text->string(), QStringLiteral("Page 2 of 3"));
    for (const QVariant& start : {QVariant(std::numeric_limits<qint64>::min()), QVariant(1e300), QVariant(qQNaN())}) {
        first.text->setStartPage(start);
        const auto numbers = first.text->pageNumbers();
        ASSERT_TRUE(numbers.has_value());
        EXPECT_LE(std::abs(numbers->count), qint64(1e15) + 11);
        EXPECT_EQ(numbers->number - numbers->count, -9);
    }
}

TEST(TextFields, DatesFollowTheChosenPatternAtTheClocksTimeAndReadFieldsKeepTheirText)
{
    TextBox box;
    ZVTextView& field = *box.text;
    const QDateTime moment(QDate(2024, 3, 9), QTime(15, 5));
    field.dateFormatter().setLocaleName(QStringLiteral("en_US"));
    field.dateFormatter().setClock([moment] { return moment; });
    field.setTextViewType(ZVTextView::Date);
    EXPECT_EQ(field.string(), QStringLiteral("March 9, 2024"));
    // The thirteen choices in their order, each titled with the moment.
    const QVariantList choices = field.dateFormats();
    EXPECT_EQ(valuesOf(choices, "format"),
              (QStringList {"MMMM d, yyyy", "EEEE, MMMM d, yyyy", "EEE, MMM d, yyyy", "MMM d, yyyy", "MM/dd/yy",
                            "yyyy-MM-dd", "h:mm a", "MMMM d, yyyy, h:mm a", "EEEE, MMMM d, yyyy, h:mm a",
                            "EEE, MMM d, yyyy, h:mm a", "MMM d, yyyy, h:mm a", "MM/dd/yy, h:mm a", "yyyy-MM-dd, h:mm a"}));
    EXPECT_EQ(valuesOf(choices, "title"),
              (QStringList {"March 9, 2024", "Saturday, March 9, 2024", "Sat, Mar 9, 2024", "Mar 9, 2024", "03/09/24",
                            "2024-03-09", "3:05 PM", "March 9, 2024, 3:05 PM", "Saturday, March 9, 2024, 3:05 PM",
                            "Sat, Mar 9, 2024, 3:05 PM", "Mar 9, 2024, 3:05 PM", "03/09/24, 3:05 PM",
                            "2024-03-09, 3:05 PM"}));
    field.setSelectedDateFormat(choices.at(6));
    EXPECT_EQ(field.string(), QStringLiteral("3:05 PM"));
    field.dateFormatter().setClock([moment] { return moment.addSecs(3600); });
    refresh();
    EXPECT_EQ(field.string(), QStringLiteral("4:05 PM"));
    EXPECT_FALSE(ql::text::DateFormatter::systemLocaleName().contains(QStringLiteral("POSIX")));

    // Read from a file, a field keeps its stored text until the next refresh.
    NumberedBox numbered(3, 4);
    numbered.text->setString(QStringLiteral("as stored"));
    ZVPuttyView* read = numbered.text->puttyView()->copy().release();
    EXPECT_EQ(qobject_cast<ZVTextView*>(read->contentView())->string(), QStringLiteral("as stored"));
    numbered.document.pageAt(2)->addPuttyView(read);
    refresh();
    EXPECT_EQ(qobject_cast<ZVTextView*>(read->contentView())->string(), QStringLiteral("Page 3 of 4"));
}
