#include "ArchiveTestSupport.h"
#include "HandMadeArchive.h"
#include "fuzz/ArchiveProbe.h"
#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistWriter.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

using namespace ql;
using probe::Node;
using ql::test::classRecord;
using ql::test::handMade;

namespace {

PlistValue uid(std::uint64_t n)
{
    return PlistValue::uid(n);
}

PlistValue str(const char* s)
{
    return PlistValue::string(QString::fromLatin1(s));
}

// Decodes every top-level key; returns the error code, or 0 on success.
int decodeAll(const QByteArray& data, ArchiveLimits limits = {})
{
    KeyedUnarchiver u(probe::registry(), limits);
    if (Status opened = u.open(data); !opened)
        return opened.error().code;
    for (const QString& key : u.allKeys())
        u.decodeAny(key);
    const Result<DecodedObjects> done = u.finish();
    return done.ok() ? 0 : done.error().code;
}

constexpr int code(ArchiveErrorCode c)
{
    return int(c);
}

} // namespace

TEST(ArchiveFailureTest, DamagedAndForeignFilesAreRefused)
{
    EXPECT_EQ(decodeAll(QByteArray()), code(ArchiveErrorCode::NotAPropertyList));
    EXPECT_EQ(decodeAll(QByteArray("<?xml version=\"1.0\"?><plist/>")), code(ArchiveErrorCode::NotAPropertyList));
    // A property list that is not a keyed archive, and one without "$null" first.
    EXPECT_EQ(decodeAll(writeBinaryPlist(PlistValue::array({}))), code(ArchiveErrorCode::NotAnArchive));
    EXPECT_EQ(decodeAll(writeBinaryPlist(PlistValue::dictionary({{QStringLiteral("$archiver"), str("NSKeyedArchiver")},
                                                                 {QStringLiteral("$top"), PlistValue::dictionary({})},
                                                                 {QStringLiteral("$objects"), PlistValue::array({str("x")})}}))),
              code(ArchiveErrorCode::NotAnArchive));

    // UIDs beyond the object table, at the top and inside a record.
    EXPECT_EQ(decodeAll(handMade({}, {{QStringLiteral("a"), uid(5)}})), code(ArchiveErrorCode::Damaged));
    EXPECT_EQ(decodeAll(handMade({PlistValue::dictionary({{QStringLiteral("$class"), uid(9)}})}, {{QStringLiteral("a"), uid(1)}})),
              code(ArchiveErrorCode::Damaged));
    // A record that refers to itself as a value.
    EXPECT_EQ(decodeAll(handMade({PlistValue::dictionary({{QStringLiteral("NS.objects"), PlistValue::array({uid(1)})}, {QStringLiteral("$class"), uid(2)}}),
                                  classRecord("NSArray")},
                                 {{QStringLiteral("a"), uid(1)}})),
              code(ArchiveErrorCode::Cycle));

    // Every truncation of a real archive fails cleanly.
    Node node;
    node.value = QVariant::fromValue(Color::black());
    KeyedArchiver archiver;
    archiver.encodeRootObject(QVariant::fromValue(&node));
    const QByteArray good = test::finished(archiver);
    const int liveBefore = Node::live;
    for (qsizetype n = 0; n < good.size(); n += 7)
        EXPECT_NE(decodeAll(good.left(n)), 0) << n;
    EXPECT_EQ(decodeAll(good), 0);
    EXPECT_EQ(Node::live, liveBefore);
}

TEST(ArchiveFailureTest, OnlyAllowedClassesAndKindsAreAccepted)
{
    // A class this kind of archive does not list.
    KeyedUnarchiver u(probe::registry());
    ASSERT_TRUE(u.open(handMade({PlistValue::dictionary({{QStringLiteral("$class"), uid(2)}}), classRecord("NSTask")},
                                {{QStringLiteral("root"), uid(1)}}))
                    .ok());
    EXPECT_FALSE(u.decodeRootObject().isValid());
    const Result<DecodedObjects> refused = u.finish();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, code(ArchiveErrorCode::ClassNotAllowed));
    EXPECT_TRUE(refused.error().message.contains(QStringLiteral("NSTask")));

    // Values of the wrong kind: a string where a number, a rectangle, a
    // boolean or an object is asked for.
    const QByteArray data = handMade({str("text"), PlistValue::integer(4)},
                                     {{QStringLiteral("s"), uid(1)}, {QStringLiteral("n"), uid(2)}, {QStringLiteral("inline"), str("{1, 2}")},
                                      {QStringLiteral("big"), PlistValue::integer(1ll << 40)}});
    const auto failsWith = [&](const std::function<void(KeyedUnarchiver&)>& read) {
        KeyedUnarchiver reader(probe::registry());
        EXPECT_TRUE(reader.open(data).ok());
        read(reader);
        const Result<DecodedObjects> done = reader.finish();
        return done.ok() ? 0 : done.error().code;
    };
    const int wrong = code(ArchiveErrorCode::WrongType);
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) { r.decodeNumber(QStringLiteral("s")); }), wrong);
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) { r.decodeValueOfType<QString>(QStringLiteral("n")); }), wrong);
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) { r.decodeObjectOfClass<Node>(QStringLiteral("s")); }), wrong);
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) { r.decodeRect(QStringLiteral("inline")); }), wrong);
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) { r.decodeBool(QStringLiteral("inline")); }), wrong);
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) { r.decodeObject(QStringLiteral("inline")); }), wrong);
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) { r.decodeInt32(QStringLiteral("big")); }), wrong);
    // The message names the kind in the user's words, not the program's type.
    KeyedUnarchiver reader(probe::registry());
    ASSERT_TRUE(reader.open(data).ok());
    reader.decodeValueOfType<AttributedString>(QStringLiteral("s"));
    EXPECT_EQ(reader.finish().error().message, QStringLiteral("The value for “s” in the archive is not styled text."));
    EXPECT_EQ(failsWith([](KeyedUnarchiver& r) {
                  EXPECT_EQ(r.decodePoint(QStringLiteral("inline")), QPointF(1, 2));
                  EXPECT_EQ(r.decodeInt64(QStringLiteral("big")), 1ll << 40);
              }),
              0);
}

TEST(ArchiveFailureTest, NoHalfBuiltGraphSurvivesAFailure)
{
    const int liveBefore = Node::live;
    // Nodes that own, share and cycle, then one value that cannot be read.
    QByteArray data;
    {
        Node root, child, peer;
        root.children = {&child};
        root.peer = &peer;
        peer.peer = &root;
        child.shared = &peer;
        peer.value = QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12));
        KeyedArchiver archiver;
        archiver.encodeRootObject(QVariant::fromValue(&root));
        data = test::finished(archiver);
    }
    KeyedUnarchiver u(probe::registry());
    ASSERT_TRUE(u.open(data).ok());
    ASSERT_TRUE(u.decodeRootObject().isValid());
    ASSERT_TRUE(u.finish().ok());
    EXPECT_EQ(Node::live, liveBefore);

    // The same archive with fonts refused: the font is read after every node
    // exists, so the failure comes with a graph half built.
    ClassRegistry strict = probe::registry();
    strict.registerValueClass(QStringLiteral("NSFont"), [](KeyedUnarchiver& reader) {
        reader.fail(archiveError(ArchiveErrorCode::WrongType, QStringLiteral("refused")));
        return QVariant();
    });
    {
        KeyedUnarchiver failing(strict);
        ASSERT_TRUE(failing.open(data).ok());
        EXPECT_FALSE(failing.decodeRootObject().isValid());
        EXPECT_GT(Node::live, liveBefore); // made, but not handed out
        EXPECT_FALSE(failing.finish().ok());
        EXPECT_EQ(Node::live, liveBefore);
    }
    {
        // Dropping an unarchiver without finishing it also frees everything.
        KeyedUnarchiver abandoned(probe::registry());
        ASSERT_TRUE(abandoned.open(data).ok());
        abandoned.decodeRootObject();
    }
    EXPECT_EQ(Node::live, liveBefore);
}

TEST(ArchiveFailureTest, DepthAndCountLimitsHold)
{
    const int liveBefore = Node::live;
    QByteArray deep;
    {
        std::vector<std::unique_ptr<Node>> chain(150);
        for (auto& n : chain)
            n = std::make_unique<Node>();
        for (std::size_t i = 0; i + 1 < chain.size(); ++i)
            chain[i]->children = {chain[i + 1].get()};
        KeyedArchiver archiver;
        archiver.encodeRootObject(QVariant::fromValue(chain.front().get()));
        deep = test::finished(archiver);
    }
    // Each level is a node and its children list: 300 levels.
    EXPECT_EQ(decodeAll(deep), code(ArchiveErrorCode::TooDeep));
    ArchiveLimits roomy;
    roomy.maxDepth = 400;
    EXPECT_EQ(decodeAll(deep, roomy), 0);
    EXPECT_EQ(Node::live, liveBefore);

    KeyedArchiver archiver;
    QVariantList many;
    for (int i = 0; i < 1000; ++i)
        many.append(qlonglong(i));
    archiver.encodeObject(QStringLiteral("many"), many);
    const QByteArray wide = test::finished(archiver);
    ArchiveLimits tight;
    tight.maxCollectionCount = 100;
    EXPECT_EQ(decodeAll(wide, tight), code(ArchiveErrorCode::TooLarge));
    tight = {};
    tight.maxObjects = 100;
    EXPECT_EQ(decodeAll(wide, tight), code(ArchiveErrorCode::TooLarge));
    EXPECT_EQ(decodeAll(wide), 0);
}

TEST(ArchiveFailureTest, RecordsOfAClassAreCountedBeforeAnyIsMade)
{
    const auto of = [](std::uint64_t classUid) {
        return PlistValue::dictionary({{QStringLiteral("$class"), uid(classUid)}});
    };
    // Two records share a class record; damaged ones are not counted, and
    // counting them does not fail the reading.
    const QByteArray data = handMade({classRecord("Element"), of(1), of(1), classRecord("Other"), of(4),
                                      PlistValue::dictionary({{QStringLiteral("$class"), str("Element")}}), of(99),
                                      PlistValue::dictionary({{QStringLiteral("NS.objects"), PlistValue::array({})},
                                                              {QStringLiteral("$class"), uid(1)}})},
                                     {{QStringLiteral("one"), uid(5)}});
    KeyedUnarchiver u(probe::registry());
    ASSERT_TRUE(u.open(data));
    EXPECT_EQ(u.countRecordsOfClass(QStringLiteral("Element")), 3);
    EXPECT_EQ(u.countRecordsOfClass(QStringLiteral("Other")), 1);
    EXPECT_EQ(u.countRecordsOfClass(QStringLiteral("Missing")), 0);
    EXPECT_FALSE(u.failed());
}
