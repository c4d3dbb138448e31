#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistReader.h"
#include "platform/archive/XmlPlistReader.h"

#include "support/Plistlib.h"

#include <gtest/gtest.h>

using namespace ql;
using ql::test::plistlibDump;

namespace {

const QString everyKind = QStringLiteral(
    "{'text': 'A & B <c> \u00e9\u20ac', 'empty': '', 'negative': -42, 'big': 2**64 - 1, 'small': -2**63,"
    " 'real': 1.5, 'infinite': float('inf'), 'yes': True, 'no': False,"
    " 'date': datetime.datetime(2024, 5, 17, 8, 30, 15), 'bytes': bytes(range(256)),"
    " 'list': [1, 'two', [3.25, {}], []], 'nested': {'a': {'b': {'c': 'd'}}}}");

ArchiveErrorCode codeOf(const Result<PlistValue>& result)
{
    EXPECT_FALSE(result.ok());
    return result.ok() ? ArchiveErrorCode(0) : ArchiveErrorCode(result.error().code);
}

} // namespace

TEST(XmlPlistTest, ReadsWhatPlistlibWritesAsTheBinaryReaderDoes)
{
    const QByteArray xml = plistlibDump(everyKind, QStringLiteral("XML"));
    const QByteArray binary = plistlibDump(everyKind, QStringLiteral("BINARY"));
    const Result<PlistValue> fromXml = readXmlPlist(xml);
    ASSERT_TRUE(fromXml.ok()) << fromXml.error().describe().toStdString();
    const Result<PlistValue> fromBinary = readBinaryPlist(binary);
    ASSERT_TRUE(fromBinary.ok());
    EXPECT_TRUE(*fromXml == *fromBinary);

    EXPECT_EQ(fromXml->find(QStringLiteral("text"))->toString(), QStringLiteral("A & B <c> é€"));
    EXPECT_TRUE(fromXml->find(QStringLiteral("big"))->isBigUnsigned());
    EXPECT_EQ(fromXml->find(QStringLiteral("bytes"))->toData().size(), 256);
    EXPECT_EQ(fromXml->find(QStringLiteral("list"))->toArray().size(), 4u);

    // Either encoding through the one entry point.
    const Result<PlistValue> any = readPropertyList(binary);
    ASSERT_TRUE(any.ok());
    EXPECT_TRUE(*any == *fromXml);
    EXPECT_TRUE(readPropertyList(xml).ok());
}

TEST(XmlPlistTest, RefusesDamagedAndHostileText)
{
    const QByteArray good = plistlibDump(everyKind, QStringLiteral("XML"));
    for (qsizetype cut : {qsizetype(0), qsizetype(10), good.size() / 2, good.size() - 12})
        EXPECT_FALSE(readPropertyList(good.left(cut)).ok()) << "cut at " << cut;

    const auto plist = [](const char* body) {
        return QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\">") + body + "</plist>";
    };
    EXPECT_FALSE(readXmlPlist("<html><body>Not Found</body></html>").ok());
    EXPECT_FALSE(readXmlPlist(plist("")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<string>a</string><string>b</string>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<dict><key>a</key></dict>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<dict><string>a</string></dict>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<integer>12x</integer>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<real>fast</real>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<date>yesterday</date>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<data>!!!!</data>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<widget/>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("stray<string>a</string>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<string>a<b/></string>")).ok());
    EXPECT_FALSE(readXmlPlist(plist("<true>yes</true>")).ok());

    // Entities that would expand a small file without bound.
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">"
                              "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>"
                              "<plist version=\"1.0\"><string>&b;&b;&b;</string></plist>";
    EXPECT_FALSE(readXmlPlist(laughs).ok());

    // A repeated key keeps its last value, as one entry.
    const Result<PlistValue> repeated = readXmlPlist(plist("<dict><key>k</key><integer>1</integer><key>k</key><integer>2</integer></dict>"));
    ASSERT_TRUE(repeated.ok());
    ASSERT_EQ(repeated->toDictionary().size(), 1u);
    EXPECT_EQ(repeated->find(QStringLiteral("k"))->toInteger(), 2);
}

TEST(XmlPlistTest, HoldsDeepAndHugeListsToTheLimits)
{
    ArchiveLimits limits;
    limits.maxDepth = 50;
    const QByteArray deep = plistlibDump(QStringLiteral("eval('[' * 60 + ']' * 60)"), QStringLiteral("XML"));
    EXPECT_EQ(codeOf(readXmlPlist(deep, limits)), ArchiveErrorCode::TooDeep);
    const QByteArray shallowEnough = plistlibDump(QStringLiteral("eval('[' * 40 + ']' * 40)"), QStringLiteral("XML"));
    EXPECT_TRUE(readXmlPlist(shallowEnough, limits).ok());

    // A few thousand levels must not exhaust the stack with the default limits either.
    const QByteArray veryDeep = "<plist>" + QByteArray("<array>").repeated(5000) + QByteArray("</array>").repeated(5000) + "</plist>";
    EXPECT_EQ(codeOf(readXmlPlist(veryDeep)), ArchiveErrorCode::TooDeep);

    const QByteArray wide = plistlibDump(QStringLiteral("{str(i): i for i in range(3000)}"), QStringLiteral("XML"));
    limits = ArchiveLimits {};
    limits.maxCollectionCount = 2000;
    EXPECT_EQ(codeOf(readXmlPlist(wide, limits)), ArchiveErrorCode::TooLarge);
    limits = ArchiveLimits {};
    limits.maxObjects = 1000;
    EXPECT_EQ(codeOf(readXmlPlist(wide, limits)), ArchiveErrorCode::TooLarge);
    limits = ArchiveLimits {};
    limits.maxBytes = wide.size() - 1;
    EXPECT_EQ(codeOf(readPropertyList(wide, limits)), ArchiveErrorCode::TooLarge);
    EXPECT_TRUE(readPropertyList(wide).ok());
}
