#include "ArchiveTestSupport.h"
#include "fuzz/ArchiveProbe.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Image.h"

#include <QJsonArray>

using namespace ql;
using probe::Node;

namespace {

QJsonObject objectAt(const QJsonObject& archive, const QJsonValue& uid)
{
    return archive[QStringLiteral("$objects")].toArray()[uid.toObject()[QStringLiteral("uid")].toInt()].toObject();
}

// The record of the mobile edition's elements, reduced to what the test reads.
class MobileRecord : public QObject, public Codable {
public:
    AttributedString text;
    Color borderColor;
    double borderWidth = 0.0;
    bool locked = false;
    qint32 contentType = -1;
    QRectF bounds;
    QPointF center;
    QVariant image;

    QStringList archiveClassChain() const override { return {QStringLiteral("PuttyView")}; }
    void encodeWithCoder(KeyedArchiver&) const override {}
    void initWithCoder(KeyedUnarchiver& c) override
    {
        text = c.decodeValueOfType<AttributedString>(QStringLiteral("attributedText"));
        borderColor = c.decodeValueOfType<Color>(QStringLiteral("borderColor"));
        borderWidth = c.decodeNumber(QStringLiteral("borderWidth")).toDouble();
        locked = c.decodeNumber(QStringLiteral("locked")).toBool();
        contentType = c.decodeNumber(QStringLiteral("contentType")).toInt();
        bounds = c.decodeRect(QStringLiteral("UIBounds"));
        center = c.decodePoint(QStringLiteral("UICenter"));
        image = c.decodeObject(QStringLiteral("originalImage"));
    }
};

} // namespace

TEST(KeyedArchiveTest, WritesThePlatformLayoutWithNumberKinds)
{
    Node page;
    page.name = QStringLiteral("page");
    Node other;
    other.name = QStringLiteral("other");
    KeyedArchiver archiver;
    archiver.encodeObject(QStringLiteral("pages"), QVariantList {QVariant::fromValue(&page), QVariant::fromValue(&other)});
    archiver.encodeBool(QStringLiteral("formatAsBooklet"), true);
    archiver.encodeFloat(QStringLiteral("margin"), 36.123456789);
    archiver.encodeDouble(QStringLiteral("exact"), 36.123456789);
    archiver.encodeInt32(QStringLiteral("pageSize"), 1);
    archiver.encodeObject(QStringLiteral("count"), qlonglong(3));
    archiver.encodeObject(QStringLiteral("ratio"), 3.0);
    archiver.encodeObject(QStringLiteral("narrowObject"), 0.5f);
    archiver.encodeRect(QStringLiteral("frame"), QRectF(0, 0, 612, 792.5));
    const QByteArray data = test::finished(archiver);

    const QJsonObject seen = test::describe(data);
    EXPECT_EQ(seen[QStringLiteral("$archiver")].toString(), QStringLiteral("NSKeyedArchiver"));
    EXPECT_EQ(seen[QStringLiteral("$version")].toObject()[QStringLiteral("int")].toInt(), 100000);
    const QJsonArray objects = seen[QStringLiteral("$objects")].toArray();
    EXPECT_EQ(objects.first().toString(), QStringLiteral("$null"));
    const QJsonObject top = seen[QStringLiteral("$top")].toObject();
    const QStringList topKeys = top.keys();
    EXPECT_EQ(QSet<QString>(topKeys.begin(), topKeys.end()),
              (QSet<QString> {QStringLiteral("pages"), QStringLiteral("formatAsBooklet"), QStringLiteral("margin"), QStringLiteral("exact"),
                              QStringLiteral("pageSize"), QStringLiteral("count"), QStringLiteral("ratio"), QStringLiteral("narrowObject"),
                              QStringLiteral("frame")}));
    EXPECT_FALSE(top.contains(QStringLiteral("root")));
    EXPECT_EQ(top[QStringLiteral("formatAsBooklet")].toObject()[QStringLiteral("bool")].toBool(), true);
    EXPECT_DOUBLE_EQ(top[QStringLiteral("margin")].toObject()[QStringLiteral("real4")].toDouble(), 36.12345504760742);
    EXPECT_DOUBLE_EQ(top[QStringLiteral("exact")].toObject()[QStringLiteral("real8")].toDouble(), 36.123456789);
    EXPECT_EQ(top[QStringLiteral("pageSize")].toObject()[QStringLiteral("int")].toInt(), 1);
    EXPECT_EQ(objects[top[QStringLiteral("count")].toObject()[QStringLiteral("uid")].toInt()].toObject()[QStringLiteral("int")].toInt(), 3);
    EXPECT_TRUE(objects[top[QStringLiteral("ratio")].toObject()[QStringLiteral("uid")].toInt()].toObject().contains(QStringLiteral("real8")));
    EXPECT_TRUE(objects[top[QStringLiteral("narrowObject")].toObject()[QStringLiteral("uid")].toInt()].toObject().contains(QStringLiteral("real4")));
    EXPECT_EQ(top[QStringLiteral("frame")].toString(), QStringLiteral("{{0, 0}, {612, 792.5}}"));

    // Class records: {"$classname", "$classes"}, written once per class.
    int nodeClassRecords = 0;
    for (const QJsonValue& o : objects) {
        if (o.toObject()[QStringLiteral("$classname")].toString() == QStringLiteral("TestNode")) {
            ++nodeClassRecords;
            EXPECT_EQ(o.toObject()[QStringLiteral("$classes")].toArray(), (QJsonArray {QStringLiteral("TestNode"), QStringLiteral("NSObject")}));
        }
    }
    EXPECT_EQ(nodeClassRecords, 1);
    const QJsonObject pages = objectAt(seen, top[QStringLiteral("pages")]);
    EXPECT_EQ(objectAt(seen, pages[QStringLiteral("$class")])[QStringLiteral("$classname")].toString(), QStringLiteral("NSMutableArray"));

    // Our reader gives every number back as the kind it was written as.
    KeyedUnarchiver unarchiver(probe::registry());
    ASSERT_TRUE(unarchiver.open(data).ok());
    EXPECT_DOUBLE_EQ(double(unarchiver.decodeFloat(QStringLiteral("margin"))), 36.12345504760742);
    EXPECT_EQ(unarchiver.decodeNumber(QStringLiteral("count")).metaType().id(), QMetaType::LongLong);
    EXPECT_EQ(unarchiver.decodeNumber(QStringLiteral("ratio")).metaType().id(), QMetaType::Double);
    EXPECT_EQ(unarchiver.decodeNumber(QStringLiteral("narrowObject")).metaType().id(), QMetaType::Float);
    EXPECT_EQ(unarchiver.decodeRect(QStringLiteral("frame")), QRectF(0, 0, 612, 792.5));
    const QList<Node*> decodedPages = unarchiver.decodeListOfClass<Node>(QStringLiteral("pages"));
    ASSERT_EQ(decodedPages.size(), 2);
    EXPECT_EQ(decodedPages[1]->name, QStringLiteral("other"));
    EXPECT_TRUE(unarchiver.finish().ok());
}

TEST(KeyedArchiveTest, SharedObjectsAndCyclesDecodeToOneInstanceEach)
{
    const int liveBefore = Node::live;
    QByteArray data;
    {
        Node first, second, shared, owned;
        first.peer = &second;
        second.peer = &first;
        first.shared = &shared;
        second.shared = &shared;
        first.children = {&owned};
        first.name = QStringLiteral("first");
        KeyedArchiver archiver;
        archiver.encodeRootObject(QVariantList {QVariant::fromValue(&first), QVariant::fromValue(&second)});
        data = test::finished(archiver);
    }
    {
        KeyedUnarchiver unarchiver(probe::registry());
        ASSERT_TRUE(unarchiver.open(data).ok());
        const QVariantList roots = unarchiver.decodeRootObject().toList();
        Result<DecodedObjects> owner = unarchiver.finish();
        ASSERT_TRUE(owner.ok()) << owner.error().describe().toStdString();
        ASSERT_EQ(roots.size(), 2);
        auto* first = dynamic_cast<Node*>(roots[0].value<QObject*>());
        auto* second = dynamic_cast<Node*>(roots[1].value<QObject*>());
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->peer, second);
        EXPECT_EQ(second->peer, first);
        EXPECT_EQ(first->shared, second->shared);
        ASSERT_EQ(first->children.size(), 1);
        EXPECT_EQ(first->children[0]->parent(), first); // adopted by its owner
        EXPECT_EQ(Node::live - liveBefore, 4);
        // What nobody adopted is held by the owner object, until handed on.
        EXPECT_EQ(owner->unadopted().size(), 3);
        QObject document;
        owner->adoptAll(&document);
        EXPECT_TRUE(owner->unadopted().isEmpty());
        EXPECT_EQ(first->parent(), &document);
    }
    EXPECT_EQ(Node::live, liveBefore);
}

TEST(KeyedArchiveTest, DecodesATopLevelFixtureWrittenByPlistlib)
{
    KeyedUnarchiver u(probe::registry());
    ASSERT_TRUE(u.open(test::pythonFixture(QStringLiteral("document"))).ok());
    const QList<Node*> nodes = u.decodeListOfClass<Node>(QStringLiteral("nodes"));
    ASSERT_EQ(nodes.size(), 2);
    EXPECT_EQ(nodes[0]->name, QStringLiteral("first"));
    EXPECT_EQ(nodes[0]->peer, nodes[1]);
    EXPECT_EQ(nodes[1]->peer, nodes[0]);
    EXPECT_EQ(nodes[0]->shared, nodes[1]->shared);
    EXPECT_EQ(nodes[0]->shared->name, QStringLiteral("shared"));

    EXPECT_EQ(u.decodeNumber(QStringLiteral("count")), QVariant(qlonglong(42)));
    EXPECT_EQ(u.decodeNumber(QStringLiteral("ratio")), QVariant(0.25));
    EXPECT_EQ(u.decodeNumber(QStringLiteral("big")), QVariant(qulonglong(18446744073709551615ull)));
    EXPECT_EQ(u.decodeNumber(QStringLiteral("negative")), QVariant(qlonglong(-5)));
    EXPECT_TRUE(u.decodeBool(QStringLiteral("flag")));
    EXPECT_EQ(u.decodeInt32(QStringLiteral("inlineInt")), 7);
    EXPECT_EQ(u.decodeDouble(QStringLiteral("inlineFloat")), 2.5);
    EXPECT_EQ(u.decodeRect(QStringLiteral("frame")), QRectF(1.5, 2, 300, 400.25));
    EXPECT_EQ(u.decodeValueOfType<QString>(QStringLiteral("title")), QStringLiteral("Ünïcode title"));
    // nil and missing keys answer as the platform does.
    EXPECT_TRUE(u.containsValueForKey(QStringLiteral("nothing")));
    EXPECT_FALSE(u.decodeObject(QStringLiteral("nothing")).isValid());
    EXPECT_FALSE(u.containsValueForKey(QStringLiteral("absent")));
    EXPECT_FALSE(u.decodeBool(QStringLiteral("absent")));
    EXPECT_EQ(u.decodeInt64(QStringLiteral("absent")), 0);
    EXPECT_EQ(u.decodeRect(QStringLiteral("absent")), QRectF());
    EXPECT_FALSE(u.decodeObject(QStringLiteral("absent")).isValid());
    EXPECT_TRUE(u.finish().ok());
}

TEST(KeyedArchiveTest, ImportsAMobileStyleRootDictionary)
{
    ClassRegistry registry = ClassRegistry::withPlatformValues();
    registerMobileEditionValueDecoders(registry);
    registry.registerClass<MobileRecord>(QStringLiteral("PuttyView"));
    KeyedUnarchiver u(registry);
    ASSERT_TRUE(u.open(test::pythonFixture(QStringLiteral("mobile"))).ok());
    const QVariantMap root = u.decodeRootObject().toMap();
    Result<DecodedObjects> owner = u.finish();
    ASSERT_TRUE(owner.ok()) << owner.error().describe().toStdString();

    EXPECT_EQ(root.value(QStringLiteral("canvasFrame")).toRectF(), QRectF(0, 0, 320, 480));
    EXPECT_EQ(root.value(QStringLiteral("canvasBgColor")).value<Color>(), Color::deviceWhite(0.5));
    EXPECT_EQ(root.value(QStringLiteral("canvasBgPattern")).metaType().id(), QMetaType::Nullptr);
    const Image drawing = root.value(QStringLiteral("drawImage")).value<Image>();
    EXPECT_EQ(drawing.pixelSize(), QSize(2, 1));
    EXPECT_TRUE(drawing.hasAlpha());

    const QVariantList views = root.value(QStringLiteral("views")).toList();
    ASSERT_EQ(views.size(), 2);
    const auto* text = dynamic_cast<MobileRecord*>(views[0].value<QObject*>());
    const auto* picture = dynamic_cast<MobileRecord*>(views[1].value<QObject*>());
    ASSERT_TRUE(text && picture);
    EXPECT_EQ(text->contentType, 0);
    EXPECT_TRUE(text->locked);
    EXPECT_EQ(text->bounds, QRectF(0, 0, 100, 50));
    EXPECT_EQ(text->center, QPointF(200, 300));
    EXPECT_EQ(text->borderWidth, 2.5);
    EXPECT_EQ(text->borderColor, Color::deviceRgb(0, 0, 1, 0.5));
    EXPECT_EQ(text->text.string(), QStringLiteral("Hi there"));
    const QList<AttributedString::Run> runs = text->text.runs();
    ASSERT_EQ(runs.size(), 2);
    EXPECT_EQ(runs[0].length, 3);
    EXPECT_EQ(runs[0].attributes.value(TextAttribute::font).value<Font>(), Font(QStringLiteral("Helvetica-Bold"), 18));
    EXPECT_EQ(runs[1].attributes.value(TextAttribute::foregroundColor).value<Color>(), Color::deviceRgb(1, 0, 0, 1));
    EXPECT_EQ(runs[1].attributes.value(TextAttribute::underline), QVariant(qlonglong(1)));
    // Image data that is no image is kept, undecodable, for the next save; a
    // missing number reads as 0.
    EXPECT_EQ(picture->contentType, 1);
    EXPECT_TRUE(picture->image.value<Image>().isUndecodable());
    EXPECT_FALSE(picture->locked);
}

// Geometry strings are read as they were written, and any other form is
// refused whole rather than read in part.
TEST(KeyedArchive, GeometryStringsReadTheirOwnFormsAndRefuseOthers)
{
    EXPECT_EQ(rectFromString(QStringLiteral("{{1.5, -2}, {300, 4e2}}")), QRectF(1.5, -2, 300, 400));
    EXPECT_EQ(rectFromString(rectToString(QRectF(0.1, 1e-9, 612, 792.25))), QRectF(0.1, 1e-9, 612, 792.25));
    EXPECT_EQ(pointFromString(QStringLiteral(" {3,4} ")), QPointF(3, 4));
    EXPECT_EQ(sizeFromString(QStringLiteral("{\t5,\n6}")), QSizeF(5, 6));
    for (const QString& bad : {QStringLiteral("{{1, 2}, {3, 4, 5}}"), QStringLiteral("{{1, 2}, {3, 4}"),
                               QStringLiteral("{{1, 2}, {3, nan}}"), QStringLiteral("{{1, 2}, {3, 1e999}}"),
                               QStringLiteral("{{1, 2}, {3, 4}}x"), QString::fromUtf16(u"{{1, 2}, {3, 4\u0100}}"),
                               QString::fromUtf16(u"{{1, 2}, {3\u00e9, 4}}"), QString(), QString(500, u'{')})
        EXPECT_FALSE(rectFromString(bad)) << bad.toStdString();
    EXPECT_FALSE(pointFromString(QStringLiteral("{1, 2, 3}")));
}
