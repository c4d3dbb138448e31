#include "content/ZVTextView.h"

#include <QDate>
#include <gtest/gtest.h>

// The choices a field offers read as the field would; a choice becomes the
// field's template, and one without a template changes nothing.
TEST(TextFieldChoices, ChoicesReadAsTheFieldWouldAndBecomeItsTemplate)
{
    ZVTextView text;
    const QVariantList pages = text.pageNumberFormats();
    ASSERT_EQ(pages.size(), 5);
    // Without an element or document: number 1 of 0.
    EXPECT_EQ(pages[0].toMap().value(QStringLiteral("title")), QStringLiteral("Page 1 of 0"));
    EXPECT_EQ(pages[4].toMap().value(QStringLiteral("format")), QStringLiteral("<NUM> / <COUNT>"));

    const QVariantList dates = text.dateFormats();
    ASSERT_EQ(dates.size(), 13);
    const QVariantMap iso = dates[5].toMap();
    EXPECT_EQ(iso.value(QStringLiteral("format")), QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(iso.value(QStringLiteral("title")), QDate::currentDate().toString(Qt::ISODate));
    EXPECT_TRUE(dates[6].toMap().value(QStringLiteral("title")).toString().contains(QLatin1Char(':')));

    text.setSelectedDateFormat(iso);
    text.setSelectedPageNumberFormat(pages[3]);
    EXPECT_EQ(text.dateFormat(), QStringLiteral("yyyy-MM-dd"));
    EXPECT_EQ(text.pageNumberFormat(), QStringLiteral("<NUM>"));
    text.setSelectedPageNumberFormat(QVariantMap {{QStringLiteral("title"), QStringLiteral("x")}});
    EXPECT_EQ(text.pageNumberFormat(), QStringLiteral("<NUM>"));
}
