#include "ArchiveTestSupport.h"
#include "fuzz/ArchiveProbe.h"
#include "platform/archive/ArchivedSet.h"
#include "platform/archive/ImageArchiveData.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RulerMarker.h"

#include <QDateTime>
#include <QJsonArray>
#include <QTimeZone>
#include <QUrl>

using namespace ql;

namespace {

QVariantMap roundTrip(const QVariantMap& values)
{
    KeyedArchiver archiver;
    for (auto it = values.begin(); it != values.end(); ++it)
        archiver.encodeObject(it.key(), it.value());
    const QByteArray data = test::finished(archiver);
    KeyedUnarchiver unarchiver(probe::registry());
    EXPECT_TRUE(unarchiver.open(data).ok());
    QVariantMap result;
    for (const QString& key : unarchiver.allKeys())
        result.insert(key, unarchiver.decodeObject(key));
    const Result<DecodedObjects> done = unarchiver.finish();
    EXPECT_TRUE(done.ok()) << done.error().describe().toStdString();
    return result;
}

AttributedString styledText()
{
    ParagraphStyle centred;
    centred.alignment = ParagraphStyle::Alignment::Center;
    centred.paragraphSpacing = 6;
    centred.lineHeightMultiple = 1.2;
    centred.tabStops = QList<double> {};
    AttributedString text(QStringLiteral("Héllo linked world"),
                          {{TextAttribute::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12))},
                           {TextAttribute::paragraphStyle, QVariant::fromValue(centred)}});
    text.addAttribute(TextAttribute::foregroundColor, QVariant::fromValue(Color::deviceCmyk(0, 1, 1, 0)), 0, 5);
    text.addAttribute(TextAttribute::underline, qlonglong(1), 6, 6);
    text.addAttribute(TextAttribute::link, QUrl(QStringLiteral("https://example.com/x")), 6, 6);
    text.addAttribute(TextAttribute::kern, 1.5, 13, 5);
    return text;
}

} // namespace

TEST(PlatformValuesTest, EveryValueRoundTripsWithItsKind)
{
    BezierPath path = BezierPath::ovalInRect(QRectF(0, 0, 40, 20));
    path.lineTo({3, 4});
    path.setWindingRule(BezierPath::WindingRule::EvenOdd);
    path.setLineWidth(2.5);
    path.setLineCap(BezierPath::LineCap::Round);
    path.setLineJoin(BezierPath::LineJoin::Bevel);
    path.setDash({4, 2}, 1);

    QImage opaque(8, 4, QImage::Format_RGB32);
    opaque.fill(QColor(200, 10, 10));
    QImage translucent(3, 3, QImage::Format_ARGB32);
    translucent.fill(QColor(0, 0, 255, 100));
    const QByteArray pdf("%PDF-1.4\n1 0 obj << /MediaBox [0 0 200 100] >> endobj\n%%EOF\n");

    RulerMarker marker;
    marker.location = 306;
    marker.imageName = QStringLiteral("EdgeMarkerTop.tiff");
    marker.removable = true;

    const QDateTime when = QDateTime(QDate(2024, 2, 29), QTime(12, 30, 15, 250), QTimeZone::utc());
    const QVariantMap values {
        {QStringLiteral("string"), QStringLiteral("text")},
        {QStringLiteral("integer"), qlonglong(-7)},
        {QStringLiteral("double"), 2.0},
        {QStringLiteral("float"), 0.1f},
        {QStringLiteral("bool"), true},
        {QStringLiteral("data"), QByteArray("\x00\x01\x02", 3)},
        {QStringLiteral("list"), QVariantList {qlonglong(1), QStringLiteral("two"), QVariant(), 3.5}},
        {QStringLiteral("map"), QVariantMap {{QStringLiteral("path"), QVariant::fromValue(path)}, {QStringLiteral("name"), QStringLiteral("Star")}}},
        {QStringLiteral("set"), QVariant::fromValue(ArchivedSet {{QStringLiteral("a"), qlonglong(2)}})},
        {QStringLiteral("null"), QVariant::fromValue(nullptr)},
        {QStringLiteral("rect"), QRectF(1.5, -2, 300, 400.125)},
        {QStringLiteral("point"), QPointF(0.1, 1e-7)},
        {QStringLiteral("size"), QSizeF(612, 792)},
        {QStringLiteral("date"), when},
        {QStringLiteral("url"), QUrl(QStringLiteral("file:///tmp/a%20b.png"))},
        {QStringLiteral("calibrated"), QVariant::fromValue(Color::calibratedRgb(0.1, 0.2, 0.3, 0.4))},
        {QStringLiteral("device"), QVariant::fromValue(Color::deviceRgb(1, 0.5, 0))},
        {QStringLiteral("white"), QVariant::fromValue(Color::calibratedWhite(0.25, 0.5))},
        {QStringLiteral("deviceWhite"), QVariant::fromValue(Color::deviceWhite(1))},
        {QStringLiteral("cmyk"), QVariant::fromValue(Color::deviceCmyk(0.1, 0.2, 0.3, 0.4, 0.9))},
        {QStringLiteral("font"), QVariant::fromValue(Font(QStringLiteral("HelveticaNeue-Bold"), 14.5))},
        {QStringLiteral("text"), QVariant::fromValue(styledText())},
        {QStringLiteral("plainText"), QVariant::fromValue(AttributedString(QStringLiteral("plain")))},
        {QStringLiteral("emptyText"), QVariant::fromValue(AttributedString())},
        {QStringLiteral("path"), QVariant::fromValue(path)},
        {QStringLiteral("gradient"), QVariant::fromValue(Gradient(QList<Gradient::Stop> {{Color::white(), 0.0}, {Color::deviceRgb(1, 0, 0), 0.3}}))},
        {QStringLiteral("marker"), QVariant::fromValue(marker)},
        {QStringLiteral("vector"), QVariant::fromValue(*Image::fromData(pdf))},
        {QStringLiteral("translucent"), QVariant::fromValue(Image(translucent))},
        {QStringLiteral("opaque"), QVariant::fromValue(Image(opaque))},
    };
    const QVariantMap back = roundTrip(values);
    for (const QString& key : {QStringLiteral("opaque"), QStringLiteral("translucent")})
        EXPECT_TRUE(back.contains(key));
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it.key() == QStringLiteral("opaque") || it.key() == QStringLiteral("translucent"))
            continue; // compared below: bitmaps are re-encoded
        EXPECT_EQ(back.value(it.key()).metaType(), it.value().metaType()) << it.key().toStdString();
        EXPECT_EQ(back.value(it.key()), it.value()) << it.key().toStdString();
    }
    // With alpha the bitmap is stored as lossless PNG; without, as JPEG.
    const Image translucentBack = back.value(QStringLiteral("translucent")).value<Image>();
    EXPECT_EQ(translucentBack.bitmap().convertToFormat(QImage::Format_ARGB32), translucent);
    const Image opaqueBack = back.value(QStringLiteral("opaque")).value<Image>();
    EXPECT_EQ(opaqueBack.pixelSize(), QSize(8, 4));
    EXPECT_FALSE(opaqueBack.hasAlpha());
    EXPECT_NEAR(qRed(opaqueBack.bitmap().pixel(2, 2)), 200, 8);
    EXPECT_TRUE(imageArchiveData(Image(opaque))->startsWith("\xFF\xD8"));
    EXPECT_TRUE(imageArchiveData(Image(translucent))->startsWith("\x89PNG"));
    EXPECT_EQ(back.value(QStringLiteral("vector")).value<Image>().firstRepresentation().data(), pdf);
}

TEST(PlatformValuesTest, WrittenValuesAreWhatPlistlibSees)
{
    KeyedArchiver archiver;
    archiver.encodeObject(QStringLiteral("color"), QVariant::fromValue(Color::deviceRgb(1, 0.5, 0, 0.25)));
    archiver.encodeObject(QStringLiteral("font"), QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12)));
    archiver.encodeObject(QStringLiteral("rect"), QRectF(0, 0, 10, 20));
    const QJsonObject seen = test::describe(test::finished(archiver));
    const QJsonArray objects = seen[QStringLiteral("$objects")].toArray();
    const auto record = [&](const QString& key) {
        return objects[seen[QStringLiteral("$top")].toObject()[key].toObject()[QStringLiteral("uid")].toInt()].toObject();
    };
    EXPECT_EQ(record(QStringLiteral("color"))[QStringLiteral("NSColorSpace")].toObject()[QStringLiteral("int")].toInt(), 2);
    EXPECT_EQ(QByteArray::fromBase64(record(QStringLiteral("color"))[QStringLiteral("NSRGB")].toObject()[QStringLiteral("data")].toString().toLatin1()),
              QByteArray("1 0.5 0 0.25\0", 13));
    EXPECT_DOUBLE_EQ(record(QStringLiteral("font"))[QStringLiteral("NSSize")].toObject()[QStringLiteral("real8")].toDouble(), 12.0);
    EXPECT_EQ(record(QStringLiteral("rect"))[QStringLiteral("NS.rectval")].toString(), QStringLiteral("{{0, 0}, {10, 20}}"));
    EXPECT_EQ(record(QStringLiteral("rect"))[QStringLiteral("NS.special")].toObject()[QStringLiteral("int")].toInt(), 3);
}

TEST(PlatformValuesTest, ReadsValueRecordsWrittenByPlistlib)
{
    KeyedUnarchiver u(probe::registry());
    ASSERT_TRUE(u.open(test::pythonFixture(QStringLiteral("values"))).ok());
    EXPECT_EQ(u.decodeValueOfType<Color>(QStringLiteral("color")), Color::calibratedRgb(0.2, 0.4, 0.6));
    EXPECT_EQ(u.decodeValueOfType<Color>(QStringLiteral("cmyk")), Color::deviceCmyk(0.1, 0.2, 0.3, 0.4, 0.5));
    EXPECT_EQ(u.decodeValueOfType<Color>(QStringLiteral("grey")), Color::calibratedWhite(0.5, 0.25));
    EXPECT_EQ(u.decodeValueOfType<Font>(QStringLiteral("font")), Font(QStringLiteral("Helvetica"), 12));
    const ParagraphStyle style = u.decodeValueOfType<ParagraphStyle>(QStringLiteral("style"));
    EXPECT_EQ(style.alignment, ParagraphStyle::Alignment::Center);
    EXPECT_EQ(style.paragraphSpacing, 6.0);
    EXPECT_EQ(style.lineHeightMultiple, 1.5);
    EXPECT_EQ(style.tabStops, QList<double> {28.0});
    const AttributedString text = u.decodeValueOfType<AttributedString>(QStringLiteral("text"));
    EXPECT_EQ(text.runs().size(), 1);
    EXPECT_EQ(text.attributeAt(TextAttribute::kern, 0), QVariant(1.5));
    EXPECT_EQ(text.attributeAt(TextAttribute::link, 5), QVariant(QUrl(QStringLiteral("https://example.com/a"))));
    const BezierPath path = u.decodeValueOfType<BezierPath>(QStringLiteral("path"));
    ASSERT_EQ(path.elementCount(), 4);
    EXPECT_EQ(path.elementAt(2).points[2], QPointF(0, 10));
    EXPECT_EQ(path.windingRule(), BezierPath::WindingRule::EvenOdd);
    EXPECT_EQ(path.dashPattern(), (QList<double> {4, 2}));
    EXPECT_EQ(u.decodeValueOfType<Gradient>(QStringLiteral("gradient")).colors().last(), Color::calibratedWhite(0.5, 0.25));
    EXPECT_EQ(u.decodeValueOfType<RulerMarker>(QStringLiteral("marker")).location, 306.0);
    const Image image = u.decodeValueOfType<Image>(QStringLiteral("image"));
    EXPECT_EQ(image.size(), QSizeF(4, 2));
    EXPECT_EQ(image.pixelSize(), QSize(2, 1));
    EXPECT_EQ(u.decodeValueOfType<QDateTime>(QStringLiteral("date")), QDateTime(QDate(2001, 1, 2), QTime(0, 0, 0, 500), QTimeZone::utc()));
    EXPECT_EQ(u.decodeValueOfType<ArchivedSet>(QStringLiteral("set")).objects, (QVariantList {QStringLiteral("x"), qlonglong(3)}));
    EXPECT_EQ(u.decodeValueOfType<QString>(QStringLiteral("mstring")), QStringLiteral("mutable"));
    EXPECT_EQ(u.decodeValueOfType<QByteArray>(QStringLiteral("data")), QByteArray("\x00\x01", 2));
    EXPECT_EQ(u.decodeValueOfType<QPointF>(QStringLiteral("point")), QPointF(3, -4.5));
    EXPECT_EQ(u.decodeValueOfType<QSizeF>(QStringLiteral("size")), QSizeF(612, 792));
    // A library shape: a dictionary with "path" and "name", its path the same value.
    const QVariantMap shape = u.decodeValueOfType<QVariantMap>(QStringLiteral("shape"));
    EXPECT_EQ(shape.value(QStringLiteral("name")).toString(), QStringLiteral("Star"));
    EXPECT_EQ(shape.value(QStringLiteral("path")).value<BezierPath>(), path);
    EXPECT_TRUE(u.finish().ok());
}
