#include "ArchiveTestSupport.h"
#include "platform/archive/ArchiveKeys.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/Color.h"


using namespace ql;

namespace {

// A model class that only declares its keys, its values in a property map.
class Layer : public QObject, public Codable {
public:
    QVariantMap properties;

    static const ArchiveKeys& keys()
    {
        static const ArchiveKeys table {
            {QStringLiteral("groupedViews"), ArchiveKind::Object}, {QStringLiteral("groupName"), ArchiveKind::Object},
            {QStringLiteral("visible"), ArchiveKind::Bool},        {QStringLiteral("rotation"), ArchiveKind::Float},
            {QStringLiteral("frame"), ArchiveKind::Rect},          {QStringLiteral("kind"), ArchiveKind::Int32},
            {QStringLiteral("colour"), ArchiveKind::Object},       {QStringLiteral("opacity"), ArchiveKind::Object},
        };
        return table;
    }

    QStringList archiveClassChain() const override { return {QStringLiteral("ZVPuttyViewGroup"), QStringLiteral("NSObject")}; }
    void encodeWithCoder(KeyedArchiver& c) const override
    {
        encodeKeys(c, keys(), [this](const QString& k) { return properties.value(k); });
    }
    void initWithCoder(KeyedUnarchiver& c) override
    {
        decodeKeys(c, keys(), [this](const QString& k, const QVariant& v) { properties.insert(k, v); });
    }
};

} // namespace

TEST(ArchiveKeysTest, AClassThatOnlyDeclaresItsKeysRoundTripsWithKinds)
{
    Layer layer;
    layer.properties = {
        {QStringLiteral("groupedViews"), QVariantList {QStringLiteral("A-1"), QStringLiteral("B-2")}},
        {QStringLiteral("groupName"), QStringLiteral("Background")},
        {QStringLiteral("visible"), true},
        {QStringLiteral("rotation"), 36.123456789},
        {QStringLiteral("frame"), QRectF(0, 0, 612, 792)},
        {QStringLiteral("kind"), 3},
        {QStringLiteral("colour"), QVariant::fromValue(Color::black())},
        {QStringLiteral("opacity"), 0.998},
    };
    KeyedArchiver archiver;
    archiver.encodeRootObject(QVariant::fromValue(&layer));
    const QByteArray data = test::finished(archiver);

    ClassRegistry registry = ClassRegistry::withPlatformValues();
    registry.registerClass<Layer>(QStringLiteral("ZVPuttyViewGroup"));
    KeyedUnarchiver u(registry);
    ASSERT_TRUE(u.open(data).ok());
    Layer* back = u.decodeObjectOfClass<Layer>(QStringLiteral("root"));
    Result<DecodedObjects> owner = u.finish();
    ASSERT_TRUE(owner.ok());
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->properties.value(QStringLiteral("rotation")), QVariant(36.12345504760742f));
    EXPECT_EQ(back->properties.value(QStringLiteral("opacity")).metaType().id(), QMetaType::Double);
    EXPECT_EQ(back->properties.value(QStringLiteral("kind")), QVariant(3));
    for (const QString& key : {QStringLiteral("groupedViews"), QStringLiteral("groupName"), QStringLiteral("visible"),
                               QStringLiteral("frame"), QStringLiteral("colour"), QStringLiteral("opacity")})
        EXPECT_EQ(back->properties.value(key), layer.properties.value(key)) << key.toStdString();
}
