#include "net/ListObjectsParser.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>
#include <limits>

using ql::ListObjectsParser;
using ql::S3Object;

namespace {

QByteArray listing(const QByteArray& inner)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<ListBucketResult xmlns=\"http://s3.amazonaws.com/doc/2006-03-01/\"><Name>b</Name>"
        + inner + "</ListBucketResult>";
}

QByteArray record(const QByteArray& key, const QByteArray& size)
{
    return "<Contents><Key>" + key + "</Key><ETag>\"d41d8cd98f00b204e9800998ecf8427e\"</ETag><Size>" + size
        + "</Size></Contents>";
}

} // namespace

TEST(ListObjectsParser, ReadsRecordsInOrderWithTheirTagsSizesAndTheTruncationFlag)
{
    const ListObjectsParser empty = ListObjectsParser::parse(listing("<IsTruncated>false</IsTruncated>"));
    EXPECT_TRUE(empty.objects().isEmpty());
    EXPECT_FALSE(empty.isTruncated());
    EXPECT_TRUE(ListObjectsParser::parse(listing("<IsTruncated>true</IsTruncated>")).isTruncated());
    EXPECT_FALSE(ListObjectsParser::parse(listing("<IsTruncated>True</IsTruncated>")).isTruncated());
    EXPECT_FALSE(ListObjectsParser::parse(listing("<IsTruncated>1</IsTruncated>")).isTruncated());

    // The default namespace does not hide the names; a folder has size 0, and
    // a record without Size keeps 0.
    const ListObjectsParser parser = ListObjectsParser::parse(
        listing("<IsTruncated>false</IsTruncated>" + record("Cards/", "0") + record("Cards/A4.qvleaf", "1234")
                + "<Contents><Key>Loose.qvleaf</Key><ETag>&quot;abc&quot;</ETag></Contents>"));
    ASSERT_EQ(parser.objects().size(), 3);
    EXPECT_EQ(parser.objects()[0], (S3Object {"Cards/", "d41d8cd98f00b204e9800998ecf8427e", 0}));
    EXPECT_EQ(parser.objects()[1].key, "Cards/A4.qvleaf");
    EXPECT_EQ(parser.objects()[1].size, 1234);
    EXPECT_EQ(parser.objects()[2], (S3Object {"Loose.qvleaf", "abc", 0}));
    EXPECT_TRUE(parser.errorString().isEmpty());
}

TEST(ListObjectsParser, TextIsEveryCharacterRunSinceTheLastStartTagButNoCdata)
{
    // A key split around an entity comes whole; whitespace is text like any
    // other; a CDATA-only key stays null.
    const ListObjectsParser parser = ListObjectsParser::parse(
        listing("<Contents><Key>Tom &amp; Jerry.qvleaf</Key><Size>5</Size></Contents>"
                "<Contents><Key> spaced </Key></Contents>"
                "<Contents><Key><![CDATA[hidden.qvleaf]]></Key><ETag></ETag></Contents>"));
    ASSERT_EQ(parser.objects().size(), 3);
    EXPECT_EQ(parser.objects()[0].key, "Tom & Jerry.qvleaf");
    EXPECT_EQ(parser.objects()[1].key, " spaced ");
    EXPECT_TRUE(parser.objects()[2].key.isNull());
    EXPECT_TRUE(parser.objects()[2].etag.isNull());

    // Names outside their place do nothing; names are compared as written.
    const ListObjectsParser misplaced = ListObjectsParser::parse(
        listing("<Key>stray</Key><ETag>stray</ETag><Size>9</Size>"
                "<Contents><Key>a.qvleaf</Key><IsTruncated>true</IsTruncated><s:Size xmlns:s=\"x\">7</s:Size>"
                "<size>8</size></Contents>"));
    ASSERT_EQ(misplaced.objects().size(), 1);
    EXPECT_EQ(misplaced.objects()[0], (S3Object {"a.qvleaf", QString(), 0}));
    EXPECT_FALSE(misplaced.isTruncated());
}

TEST(ListObjectsParser, SizesReadLikeTheStringToIntegerOfThePlatform)
{
    EXPECT_EQ(ListObjectsParser::longLongValue(" 42"), 42);
    EXPECT_EQ(ListObjectsParser::longLongValue("-7"), -7);
    EXPECT_EQ(ListObjectsParser::longLongValue("+7"), 7);
    EXPECT_EQ(ListObjectsParser::longLongValue("12abc"), 12);
    EXPECT_EQ(ListObjectsParser::longLongValue("abc"), 0);
    EXPECT_EQ(ListObjectsParser::longLongValue(""), 0);
    EXPECT_EQ(ListObjectsParser::longLongValue("99999999999999999999"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(ListObjectsParser::longLongValue("-99999999999999999999"), std::numeric_limits<qint64>::min());
    EXPECT_EQ(ListObjectsParser::longLongValue("9223372036854775807"), std::numeric_limits<qint64>::max());
    EXPECT_EQ(ListObjectsParser::longLongValue("-9223372036854775808"), std::numeric_limits<qint64>::min());
    const ListObjectsParser parser = ListObjectsParser::parse(listing(record("a", "\n 42 ")));
    ASSERT_EQ(parser.objects().size(), 1);
    EXPECT_EQ(parser.objects()[0].size, 42);
}

TEST(ListObjectsParser, BadDocumentsEndWithTheRecordsFinishedBeforeTheFault)
{
    QByteArray cut = listing(record("first", "1") + record("second", "2"));
    cut.truncate(cut.indexOf("<Key>second") + 8);
    const ListObjectsParser parser = ListObjectsParser::parse(cut);
    ASSERT_EQ(parser.objects().size(), 1);
    EXPECT_EQ(parser.objects()[0].key, "first");
    EXPECT_FALSE(parser.errorString().isEmpty());

    const ListObjectsParser broken = ListObjectsParser::parse(listing(record("kept", "1") + "<Contents><Key>x</Contents>"));
    ASSERT_EQ(broken.objects().size(), 1);
    EXPECT_EQ(broken.objects()[0].key, "kept");

    // Nested entities that would grow to gigabytes stop at once.
    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [\n<!ENTITY a0 \"aaaaaaaaaa\">\n";
    for (int i = 1; i < 10; ++i)
        bomb += "<!ENTITY a" + QByteArray::number(i) + " \"" + QByteArray("&a" + QByteArray::number(i - 1) + ";").repeated(10)
            + "\">\n";
    bomb += "]>\n<ListBucketResult><Contents><Key>&a9;</Key></Contents></ListBucketResult>";
    QElapsedTimer timer;
    timer.start();
    const ListObjectsParser exploded = ListObjectsParser::parse(bomb);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_TRUE(exploded.objects().isEmpty());
    EXPECT_FALSE(exploded.errorString().isEmpty());
}

TEST(ListObjectsParser, ReadsNoMoreThanTenThousandRecords)
{
    QByteArray inner;
    for (int i = 0; i < ListObjectsParser::kMaximumObjects + 5; ++i)
        inner += record("k" + QByteArray::number(i), "1");
    const ListObjectsParser parser = ListObjectsParser::parse(listing(inner));
    ASSERT_EQ(parser.objects().size(), ListObjectsParser::kMaximumObjects);
    EXPECT_EQ(parser.objects().last().key, "k9999");
}
