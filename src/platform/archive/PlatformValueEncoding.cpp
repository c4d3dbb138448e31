#include "platform/archive/PlatformValueEncoding.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchivedSet.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/archive/ImageArchiveData.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/ReferenceDate.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RulerMarker.h"

#include <QDateTime>
#include <QUrl>
#include <QtEndian>

namespace ql {

namespace {

template <class T>
bool holds(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<T>();
}

// Colour components as the platform writes them: ASCII numbers separated by
// spaces and ended by a NUL byte; alpha only when it is not 1.
QByteArray componentData(const Color& color)
{
    QStringList parts;
    for (int i = 0; i < color.componentCount(); ++i)
        parts.append(shortestNumber(color.component(i)));
    if (color.alpha() != 1.0)
        parts.append(shortestNumber(color.alpha()));
    QByteArray data = parts.join(QLatin1Char(' ')).toLatin1();
    data.append('\0');
    return data;
}

void encodeColor(KeyedArchiver& a, const Color& color)
{
    ArchivedColorSpace space = ArchivedColorSpace::CalibratedRGB;
    QString key = QStringLiteral("NSRGB");
    switch (color.space()) {
    case Color::Space::CalibratedRGB: break;
    case Color::Space::DeviceRGB: space = ArchivedColorSpace::DeviceRGB; break;
    case Color::Space::CalibratedWhite: space = ArchivedColorSpace::CalibratedWhite; key = QStringLiteral("NSWhite"); break;
    case Color::Space::DeviceWhite: space = ArchivedColorSpace::DeviceWhite; key = QStringLiteral("NSWhite"); break;
    case Color::Space::DeviceCMYK: space = ArchivedColorSpace::DeviceCMYK; key = QStringLiteral("NSCMYK"); break;
    }
    a.encodeInt32(QStringLiteral("NSColorSpace"), int(space));
    a.encodeBytes(key, componentData(color));
}

void encodeParagraphStyle(KeyedArchiver& a, const ParagraphStyle& style)
{
    a.encodeInt64(QStringLiteral("NSAlignment"), int(style.alignment));
    a.encodeDouble(QStringLiteral("NSLineSpacing"), style.lineSpacing);
    a.encodeDouble(QStringLiteral("NSParagraphSpacing"), style.paragraphSpacing);
    a.encodeDouble(QStringLiteral("NSParagraphSpacingBefore"), style.paragraphSpacingBefore);
    a.encodeDouble(QStringLiteral("NSHeadIndent"), style.headIndent);
    a.encodeDouble(QStringLiteral("NSFirstLineHeadIndent"), style.firstLineHeadIndent);
    a.encodeDouble(QStringLiteral("NSTailIndent"), style.tailIndent);
    a.encodeDouble(QStringLiteral("NSLineHeightMultiple"), style.lineHeightMultiple);
    a.encodeDouble(QStringLiteral("NSMinLineHeight"), style.minimumLineHeight);
    a.encodeDouble(QStringLiteral("NSMaxLineHeight"), style.maximumLineHeight);
    a.encodeDouble(QStringLiteral("NSHyphenationFactor"), style.hyphenationFactor);
    if (style.tabStops) {
        PlistValue::Array tabs;
        for (double location : *style.tabStops)
            tabs.push_back(a.encodeRecord(ArchivedClass::textTab, [location](KeyedArchiver& t) {
                t.encodeDouble(QStringLiteral("NSLocation"), location);
            }));
        a.encodeReference(QStringLiteral("NSTabStops"), a.encodeRecord(ArchivedClass::array, [&](KeyedArchiver& list) {
            list.encodeReferences(QStringLiteral("NS.objects"), tabs);
        }));
    }
}

// Run lengths and attribute indexes as pairs of variable-length integers:
// seven bits a byte, low bits first, the high bit set on all but the last.
void appendVarint(QByteArray& out, quint64 value)
{
    while (value >= 0x80) {
        out.append(char(0x80 | (value & 0x7F)));
        value >>= 7;
    }
    out.append(char(value));
}

void encodeAttributedStringBody(KeyedArchiver& a, const AttributedString& text)
{
    a.encodeObject(QStringLiteral("NSString"), text.string());
    const QList<AttributedString::Run> runs = text.runs();
    if (runs.size() <= 1) {
        a.encodeObject(QStringLiteral("NSAttributes"), runs.isEmpty() ? QVariantMap() : runs.first().attributes);
        return;
    }
    // Equal maps are written once.
    QVariantList distinct;
    QList<const TextAttributes*> maps;
    QMultiHash<size_t, qsizetype> byHash;
    QByteArray info;
    for (const AttributedString::Run& run : runs) {
        const size_t hash = contentHash(run.attributes);
        qsizetype index = -1;
        for (auto it = byHash.constFind(hash); it != byHash.cend() && it.key() == hash && index < 0; ++it) {
            if (*maps.at(*it) == run.attributes)
                index = *it;
        }
        if (index < 0) {
            index = distinct.size();
            distinct.append(run.attributes);
            maps.append(&run.attributes);
            byHash.insert(hash, index);
        }
        appendVarint(info, quint64(run.length));
        appendVarint(info, quint64(index));
    }
    a.encodeObject(QStringLiteral("NSAttributes"), distinct);
    a.encodeObject(QStringLiteral("NSAttributeInfo"), info);
}

void appendPoint(QByteArray& out, QPointF p)
{
    for (double v : {p.x(), p.y()}) {
        char bytes[8];
        qToLittleEndian(v, bytes);
        out.append(bytes, 8);
    }
}

void encodeBezierPath(KeyedArchiver& a, const BezierPath& path)
{
    QByteArray elements;
    for (const BezierPath::Element& e : path.elements()) {
        switch (e.type) {
        case BezierPath::ElementType::MoveTo:
            elements.append(char(ArchivedPathElement::MoveTo));
            appendPoint(elements, e.points[0]);
            break;
        case BezierPath::ElementType::LineTo:
            elements.append(char(ArchivedPathElement::LineTo));
            appendPoint(elements, e.points[0]);
            break;
        case BezierPath::ElementType::CurveTo:
            elements.append(char(ArchivedPathElement::CurveTo));
            for (const QPointF& p : e.points)
                appendPoint(elements, p);
            break;
        case BezierPath::ElementType::ClosePath:
            elements.append(char(ArchivedPathElement::ClosePath));
            break;
        }
    }
    a.encodeBytes(QStringLiteral("elements"), elements);
    a.encodeInt32(QStringLiteral("windingRule"), path.windingRule() == BezierPath::WindingRule::EvenOdd ? 1 : 0);
    a.encodeDouble(QStringLiteral("lineWidth"), path.lineWidth());
    a.encodeDouble(QStringLiteral("miterLimit"), path.miterLimit());
    a.encodeInt32(QStringLiteral("lineCapStyle"), int(path.lineCap()));
    a.encodeInt32(QStringLiteral("lineJoinStyle"), int(path.lineJoin()));
    if (!path.dashPattern().isEmpty()) {
        QVariantList dashes;
        for (double d : path.dashPattern())
            dashes.append(d);
        a.encodeObject(QStringLiteral("dashPattern"), dashes);
        a.encodeDouble(QStringLiteral("dashPhase"), path.dashPhase());
    }
}

void encodeImage(KeyedArchiver& a, const Image& image)
{
    a.encodeSize(QStringLiteral("NSSize"), image.size());
    QVariantList reps;
    for (const ImageRep& rep : image.representations()) {
        Result<QByteArray> data = imageArchiveData(rep);
        if (!data) {
            a.fail(archiveError(ArchiveErrorCode::Unencodable, data.error().message));
            return;
        }
        reps.append(*data);
    }
    a.encodeObject(QStringLiteral("NSReps"), reps);
}

void encodeGeometry(KeyedArchiver& a, ArchivedValueKind kind, const QString& key, const QString& text)
{
    a.encodeInt32(QStringLiteral("NS.special"), int(kind));
    a.encodePrimitive(key, text);
}

} // namespace

void encodeAttributedStringKeys(KeyedArchiver& archiver, const AttributedString& text)
{
    encodeAttributedStringBody(archiver, text);
}

std::optional<PlistValue> primitiveFromVariant(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QString:
        return PlistValue::string(value.toString());
    case QMetaType::Bool:
        return PlistValue::boolean(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return PlistValue::integer(value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return PlistValue::unsignedInteger(value.toULongLong());
    case QMetaType::Float:
        return PlistValue::float32(value.toFloat());
    case QMetaType::Double:
        return PlistValue::real(value.toDouble());
    case QMetaType::QByteArray:
        return PlistValue::data(value.toByteArray());
    default:
        return std::nullopt;
    }
}

QByteArray valueFingerprint(const QVariant& value)
{
    QByteArray key;
    const auto add = [&key](const auto& raw) { key.append(reinterpret_cast<const char*>(&raw), sizeof raw); };
    const int type = value.metaType().id();
    add(type);
    if (holds<Color>(value)) {
        const Color c = value.value<Color>();
        add(int(c.space()));
        for (int i = 0; i < 4; ++i)
            add(i < c.componentCount() ? c.component(i) : 0.0);
        add(c.alpha());
        return key;
    }
    if (holds<Font>(value)) {
        const Font f = value.value<Font>();
        add(f.pointSize());
        key.append(reinterpret_cast<const char*>(f.postScriptName().utf16()), f.postScriptName().size() * 2);
        return key;
    }
    switch (type) {
    case QMetaType::QRectF:
    case QMetaType::QRect: {
        const QRectF r = value.toRectF();
        add(r.x()), add(r.y()), add(r.width()), add(r.height());
        return key;
    }
    case QMetaType::QPointF:
    case QMetaType::QPoint:
        add(value.toPointF().x()), add(value.toPointF().y());
        return key;
    case QMetaType::QSizeF:
    case QMetaType::QSize:
        add(value.toSizeF().width()), add(value.toSizeF().height());
        return key;
    default:
        return {};
    }
}

std::optional<PlistValue> encodePlatformValue(KeyedArchiver& a, const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const QVariantList items = value.toList();
        return a.encodeRecord(ArchivedClass::array, [&](KeyedArchiver& r) { r.encodeArrayOfObjects(QStringLiteral("NS.objects"), items); });
    }
    case QMetaType::QVariantMap:
    case QMetaType::QVariantHash: {
        const QVariantMap map = value.toMap();
        QVariantList keys;
        for (const QString& k : map.keys())
            keys.append(k);
        return a.encodeRecord(ArchivedClass::dictionary, [&](KeyedArchiver& r) {
            r.encodeArrayOfObjects(QStringLiteral("NS.keys"), keys);
            r.encodeArrayOfObjects(QStringLiteral("NS.objects"), map.values());
        });
    }
    case QMetaType::Nullptr:
        return a.encodeRecord(ArchivedClass::null, [](KeyedArchiver&) {});
    case QMetaType::QRectF:
    case QMetaType::QRect: {
        const QString text = rectToString(value.toRectF());
        return a.encodeRecord(ArchivedClass::value, [&](KeyedArchiver& r) { encodeGeometry(r, ArchivedValueKind::Rect, QStringLiteral("NS.rectval"), text); });
    }
    case QMetaType::QPointF:
    case QMetaType::QPoint: {
        const QString text = pointToString(value.toPointF());
        return a.encodeRecord(ArchivedClass::value, [&](KeyedArchiver& r) { encodeGeometry(r, ArchivedValueKind::Point, QStringLiteral("NS.pointval"), text); });
    }
    case QMetaType::QSizeF:
    case QMetaType::QSize: {
        const QString text = sizeToString(value.toSizeF());
        return a.encodeRecord(ArchivedClass::value, [&](KeyedArchiver& r) { encodeGeometry(r, ArchivedValueKind::Size, QStringLiteral("NS.sizeval"), text); });
    }
    case QMetaType::QDateTime: {
        const double seconds = referenceSecondsFromDate(value.toDateTime());
        return a.encodeRecord(ArchivedClass::date, [&](KeyedArchiver& r) { r.encodeDouble(QStringLiteral("NS.time"), seconds); });
    }
    case QMetaType::QUrl: {
        const QString text = value.toUrl().toString(QUrl::FullyEncoded);
        return a.encodeRecord(ArchivedClass::url, [&](KeyedArchiver& r) {
            r.encodeObject(QStringLiteral("NS.base"), QVariant());
            r.encodeObject(QStringLiteral("NS.relative"), text);
        });
    }
    default:
        break;
    }

    if (holds<Color>(value))
        return a.encodeRecord(ArchivedClass::color, [&](KeyedArchiver& r) { encodeColor(r, value.value<Color>()); });
    if (holds<Font>(value)) {
        const Font font = value.value<Font>();
        return a.encodeRecord(ArchivedClass::font, [&](KeyedArchiver& r) {
            r.encodeObject(QStringLiteral("NSName"), font.postScriptName());
            r.encodeDouble(QStringLiteral("NSSize"), font.pointSize());
            r.encodeInt32(QStringLiteral("NSfFlags"), 16);
        });
    }
    if (holds<ParagraphStyle>(value))
        return a.encodeRecord(ArchivedClass::paragraphStyle, [&](KeyedArchiver& r) { encodeParagraphStyle(r, value.value<ParagraphStyle>()); });
    if (holds<AttributedString>(value))
        return a.encodeRecord(ArchivedClass::attributedString, [&](KeyedArchiver& r) { encodeAttributedStringKeys(r, value.value<AttributedString>()); });
    if (holds<Image>(value))
        return a.encodeRecord(ArchivedClass::image, [&](KeyedArchiver& r) { encodeImage(r, value.value<Image>()); });
    if (holds<BezierPath>(value))
        return a.encodeRecord(ArchivedClass::bezierPath, [&](KeyedArchiver& r) { encodeBezierPath(r, value.value<BezierPath>()); });
    if (holds<Gradient>(value)) {
        const Gradient gradient = value.value<Gradient>();
        QVariantList colors;
        QVariantList locations;
        for (const Gradient::Stop& stop : gradient.stops()) {
            colors.append(QVariant::fromValue(stop.color));
            locations.append(stop.location);
        }
        return a.encodeRecord(ArchivedClass::gradient, [&](KeyedArchiver& r) {
            r.encodeObject(QStringLiteral("NSColors"), colors);
            r.encodeObject(QStringLiteral("NSLocations"), locations);
        });
    }
    if (holds<RulerMarker>(value)) {
        const RulerMarker marker = value.value<RulerMarker>();
        return a.encodeRecord(ArchivedClass::rulerMarker, [&](KeyedArchiver& r) {
            r.encodeDouble(QStringLiteral("NSLocation"), marker.location);
            if (!marker.imageName.isEmpty())
                r.encodeObject(QStringLiteral("NSImageName"), marker.imageName);
            r.encodePoint(QStringLiteral("NSImageOrigin"), marker.imageOrigin);
            r.encodeBool(QStringLiteral("NSMovable"), marker.movable);
            r.encodeBool(QStringLiteral("NSRemovable"), marker.removable);
        });
    }
    if (holds<ArchivedSet>(value)) {
        const QVariantList members = value.value<ArchivedSet>().objects;
        return a.encodeRecord(ArchivedClass::set, [&](KeyedArchiver& r) { r.encodeArrayOfObjects(QStringLiteral("NS.objects"), members); });
    }
    return std::nullopt;
}

} // namespace ql
