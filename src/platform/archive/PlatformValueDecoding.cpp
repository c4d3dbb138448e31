#include "platform/archive/PlatformValueDecoding.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchivedSet.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/archive/PlatformValueEncoding.h"
#include "platform/archive/ReferenceDate.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Gradient.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/RulerMarker.h"

#include <QDateTime>
#include <QUrl>
#include <QtEndian>
#include <charconv>
#include <cmath>
#include <optional>

namespace ql {

namespace {

QVariant damaged(KeyedUnarchiver& u, const QString& what)
{
    u.fail(archiveError(ArchiveErrorCode::WrongType, QStringLiteral("A %1 record of the archive is damaged: %2.").arg(u.currentClassName(), what)));
    return {};
}

QVariant decodeArray(KeyedUnarchiver& u)
{
    return u.decodeArrayOfObjects(QStringLiteral("NS.objects"));
}

QVariant decodeDictionary(KeyedUnarchiver& u)
{
    const QVariantList keys = u.decodeArrayOfObjects(QStringLiteral("NS.keys"));
    const QVariantList objects = u.decodeArrayOfObjects(QStringLiteral("NS.objects"));
    if (u.failed())
        return {};
    if (keys.size() != objects.size())
        return damaged(u, QStringLiteral("it has %1 keys for %2 values").arg(keys.size()).arg(objects.size()));
    QVariantMap map;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys[i].metaType().id() != QMetaType::QString)
            return damaged(u, QStringLiteral("a key is not a string"));
        map.insert(keys[i].toString(), objects[i]);
    }
    return map;
}

QVariant decodeString(KeyedUnarchiver& u)
{
    if (u.containsValueForKey(QStringLiteral("NS.bytes")))
        return QString::fromUtf8(u.decodeBytes(QStringLiteral("NS.bytes")));
    const QVariant text = u.decodePrimitive(QStringLiteral("NS.string"));
    if (text.metaType().id() == QMetaType::QString)
        return text;
    return damaged(u, QStringLiteral("it holds no text"));
}

QVariant decodeData(KeyedUnarchiver& u)
{
    const QVariant data = u.decodePrimitive(QStringLiteral("NS.data"));
    if (data.metaType().id() == QMetaType::QByteArray)
        return data;
    return damaged(u, QStringLiteral("it holds no bytes"));
}

QVariant decodeValue(KeyedUnarchiver& u)
{
    if (u.containsValueForKey(QStringLiteral("NS.rectval")))
        return u.decodeRect(QStringLiteral("NS.rectval"));
    if (u.containsValueForKey(QStringLiteral("NS.pointval")))
        return u.decodePoint(QStringLiteral("NS.pointval"));
    if (u.containsValueForKey(QStringLiteral("NS.sizeval")))
        return u.decodeSize(QStringLiteral("NS.sizeval"));
    return damaged(u, QStringLiteral("it holds no point, size or rectangle"));
}

QVariant decodeDate(KeyedUnarchiver& u)
{
    const std::optional<QDateTime> date = dateFromReferenceSeconds(u.decodeDouble(QStringLiteral("NS.time")));
    if (!date)
        return damaged(u, QStringLiteral("the time is out of range"));
    return *date;
}

QVariant decodeUrl(KeyedUnarchiver& u)
{
    const QString relative = u.decodeValueOfType<QString>(QStringLiteral("NS.relative"));
    const QVariant base = u.decodeObject(QStringLiteral("NS.base"));
    if (u.failed())
        return {};
    const QUrl url(relative);
    if (base.metaType().id() == QMetaType::QUrl)
        return base.toUrl().resolved(url);
    return url;
}

std::optional<QList<double>> componentsOf(const QByteArray& data)
{
    QList<double> values;
    const char* p = data.constData();
    const char* end = p + data.size();
    while (p < end) {
        if (*p == ' ' || *p == '\0' || *p == '\n' || *p == '\t') {
            ++p;
            continue;
        }
        double v = 0.0;
        const auto result = std::from_chars(p, end, v);
        if (result.ec != std::errc() || !std::isfinite(v))
            return std::nullopt;
        values.append(v);
        p = result.ptr;
    }
    return values;
}

QVariant decodeColor(KeyedUnarchiver& u)
{
    if (!u.containsValueForKey(QStringLiteral("NSColorSpace"))) {
        // The mobile edition's colours carry their components as reals.
        if (u.containsValueForKey(QStringLiteral("UIWhite")))
            return QVariant::fromValue(Color::deviceWhite(u.decodeDouble(QStringLiteral("UIWhite")),
                                                          u.decodeDouble(QStringLiteral("UIAlpha"))));
        if (u.containsValueForKey(QStringLiteral("UIRed")))
            return QVariant::fromValue(Color::deviceRgb(u.decodeDouble(QStringLiteral("UIRed")), u.decodeDouble(QStringLiteral("UIGreen")),
                                                        u.decodeDouble(QStringLiteral("UIBlue")), u.decodeDouble(QStringLiteral("UIAlpha"))));
        return damaged(u, QStringLiteral("it names no colour space"));
    }
    const auto space = ArchivedColorSpace(u.decodeInt32(QStringLiteral("NSColorSpace")));
    if (space == ArchivedColorSpace::Named) {
        // A catalogue colour carries its plain equivalent.
        const QVariant fallback = u.decodeObject(QStringLiteral("NSColor"));
        if (fallback.metaType() == QMetaType::fromType<Color>())
            return fallback;
        return damaged(u, QStringLiteral("a named colour has no plain equivalent"));
    }
    QString key;
    int count = 0;
    switch (space) {
    case ArchivedColorSpace::CalibratedRGB:
    case ArchivedColorSpace::DeviceRGB:
        key = QStringLiteral("NSRGB");
        count = 3;
        break;
    case ArchivedColorSpace::CalibratedWhite:
    case ArchivedColorSpace::DeviceWhite:
        key = QStringLiteral("NSWhite");
        count = 1;
        break;
    case ArchivedColorSpace::DeviceCMYK:
        key = QStringLiteral("NSCMYK");
        count = 4;
        break;
    default:
        return damaged(u, QStringLiteral("colour space %1 is unknown").arg(int(space)));
    }
    const std::optional<QList<double>> c = componentsOf(u.decodeBytes(key));
    if (u.failed())
        return {};
    if (!c || c->size() < count || c->size() > count + 1)
        return damaged(u, QStringLiteral("its components are unreadable"));
    const double alpha = c->size() > count ? c->at(count) : 1.0;
    switch (space) {
    case ArchivedColorSpace::CalibratedRGB: return QVariant::fromValue(Color::calibratedRgb(c->at(0), c->at(1), c->at(2), alpha));
    case ArchivedColorSpace::DeviceRGB: return QVariant::fromValue(Color::deviceRgb(c->at(0), c->at(1), c->at(2), alpha));
    case ArchivedColorSpace::CalibratedWhite: return QVariant::fromValue(Color::calibratedWhite(c->at(0), alpha));
    case ArchivedColorSpace::DeviceWhite: return QVariant::fromValue(Color::deviceWhite(c->at(0), alpha));
    default: return QVariant::fromValue(Color::deviceCmyk(c->at(0), c->at(1), c->at(2), c->at(3), alpha));
    }
}

QVariant decodeFont(KeyedUnarchiver& u)
{
    const bool mobile = u.containsValueForKey(QStringLiteral("UIFontName"));
    const QString name = u.decodeValueOfType<QString>(mobile ? QStringLiteral("UIFontName") : QStringLiteral("NSName"));
    const double size = u.decodeDouble(mobile ? QStringLiteral("UIFontPointSize") : QStringLiteral("NSSize"));
    if (u.failed())
        return {};
    if (name.isEmpty() || !std::isfinite(size) || size < 0.0)
        return damaged(u, QStringLiteral("it has no usable name or size"));
    return QVariant::fromValue(Font(name, size));
}

QVariant decodeTextTab(KeyedUnarchiver& u)
{
    return u.decodeDouble(QStringLiteral("NSLocation"));
}

QVariant decodeParagraphStyle(KeyedUnarchiver& u)
{
    ParagraphStyle style;
    if (u.containsValueForKey(QStringLiteral("NSAlignment"))) {
        const qint32 alignment = u.decodeInt32(QStringLiteral("NSAlignment"));
        style.alignment = alignment >= 0 && alignment <= 4 ? ParagraphStyle::Alignment(alignment) : ParagraphStyle::Alignment::Natural;
    }
    style.lineSpacing = u.decodeDouble(QStringLiteral("NSLineSpacing"));
    style.paragraphSpacing = u.decodeDouble(QStringLiteral("NSParagraphSpacing"));
    style.paragraphSpacingBefore = u.decodeDouble(QStringLiteral("NSParagraphSpacingBefore"));
    style.headIndent = u.decodeDouble(QStringLiteral("NSHeadIndent"));
    style.firstLineHeadIndent = u.decodeDouble(QStringLiteral("NSFirstLineHeadIndent"));
    style.tailIndent = u.decodeDouble(QStringLiteral("NSTailIndent"));
    style.lineHeightMultiple = u.decodeDouble(QStringLiteral("NSLineHeightMultiple"));
    style.minimumLineHeight = u.decodeDouble(QStringLiteral("NSMinLineHeight"));
    style.maximumLineHeight = u.decodeDouble(QStringLiteral("NSMaxLineHeight"));
    style.hyphenationFactor = u.decodeDouble(QStringLiteral("NSHyphenationFactor"));
    if (u.containsValueForKey(QStringLiteral("NSTabStops"))) {
        const QVariant tabs = u.decodeObject(QStringLiteral("NSTabStops"));
        if (tabs.isValid()) {
            QList<double> stops;
            for (const QVariant& tab : tabs.toList()) {
                if (tab.metaType().id() != QMetaType::Double)
                    return damaged(u, QStringLiteral("a tab stop is not a text tab"));
                stops.append(tab.toDouble());
            }
            if (tabs.metaType().id() != QMetaType::QVariantList)
                return damaged(u, QStringLiteral("the tab stops are not a list"));
            style.tabStops = stops;
        }
    }
    if (u.failed())
        return {};
    return QVariant::fromValue(style);
}

std::optional<quint64> readVarint(const QByteArray& data, qsizetype& at)
{
    quint64 value = 0;
    for (int shift = 0; shift < 64 && at < data.size(); shift += 7) {
        const auto byte = quint8(data[at++]);
        value |= quint64(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return value;
    }
    return std::nullopt;
}

QVariant decodeAttributedString(KeyedUnarchiver& u)
{
    const QString text = u.decodeValueOfType<QString>(QStringLiteral("NSString"));
    const QVariant attributes = u.decodeObject(QStringLiteral("NSAttributes"));
    if (u.failed())
        return {};
    AttributedString result(text);
    if (!attributes.isValid() || text.isEmpty())
        return QVariant::fromValue(result);

    if (attributes.metaType().id() == QMetaType::QVariantMap) {
        if (u.containsValueForKey(QStringLiteral("NSAttributeInfo")))
            return damaged(u, QStringLiteral("run information comes with a single attribute set"));
        result.setAttributes(attributes.toMap(), 0, text.size());
        return QVariant::fromValue(result);
    }
    if (attributes.metaType().id() != QMetaType::QVariantList)
        return damaged(u, QStringLiteral("the attributes are neither a dictionary nor a list"));
    const QVariantList sets = attributes.toList();
    const QVariant infoValue = u.decodeObject(QStringLiteral("NSAttributeInfo"));
    if (u.failed())
        return {};
    if (infoValue.metaType().id() != QMetaType::QByteArray)
        return damaged(u, QStringLiteral("the run information is missing"));
    const QByteArray info = infoValue.toByteArray();
    AttributedString runs;
    qsizetype at = 0;
    qsizetype start = 0;
    while (at < info.size()) {
        const std::optional<quint64> length = readVarint(info, at);
        const std::optional<quint64> index = length ? readVarint(info, at) : std::nullopt;
        if (!index || *index >= quint64(sets.size()) || *length > quint64(text.size() - start))
            return damaged(u, QStringLiteral("the attribute runs do not fit the text"));
        if (sets[qsizetype(*index)].metaType().id() != QMetaType::QVariantMap)
            return damaged(u, QStringLiteral("an attribute set is not a dictionary"));
        runs.append(text.mid(start, qsizetype(*length)), sets[qsizetype(*index)].toMap());
        start += qsizetype(*length);
    }
    if (start != text.size())
        return damaged(u, QStringLiteral("the attribute runs do not cover the text"));
    return QVariant::fromValue(runs);
}

QVariant decodeImage(KeyedUnarchiver& u)
{
    const QVariant reps = u.decodeObject(QStringLiteral("NSReps"));
    const QSizeF size = u.decodeSize(QStringLiteral("NSSize"));
    if (u.failed())
        return {};
    if (reps.metaType().id() != QMetaType::QVariantList)
        return damaged(u, QStringLiteral("it has no representations"));
    Image image;
    for (const QVariant& rep : reps.toList()) {
        if (rep.metaType().id() != QMetaType::QByteArray)
            return damaged(u, QStringLiteral("a representation is not data"));
        // A representation that does not decode keeps its bytes for the next save.
        const Image decoded = Image::fromStoredData(rep.toByteArray());
        for (const ImageRep& r : decoded.representations())
            image.addRepresentation(r);
    }
    // The size is kept only where it says more than the first representation.
    if (size.isValid() && !size.isEmpty() && size != image.size())
        image.setSize(size);
    return QVariant::fromValue(image);
}

QVariant decodeMobileImage(KeyedUnarchiver& u)
{
    // A mobile image without data becomes nil, as the mobile edition does;
    // data that does not decode is kept, to be saved with the document.
    const Image image = Image::fromStoredData(u.decodeBytes(QStringLiteral("PNGRepresentation")));
    if (u.failed() || image.isNull())
        return {};
    return QVariant::fromValue(image);
}

std::optional<QPointF> readPoint(const QByteArray& data, qsizetype& at)
{
    if (data.size() - at < 16)
        return std::nullopt;
    const double x = qFromLittleEndian<double>(data.constData() + at);
    const double y = qFromLittleEndian<double>(data.constData() + at + 8);
    at += 16;
    if (!std::isfinite(x) || !std::isfinite(y))
        return std::nullopt;
    return QPointF(x, y);
}

QVariant decodeBezierPath(KeyedUnarchiver& u)
{
    const QByteArray elements = u.decodeBytes(QStringLiteral("elements"));
    BezierPath path;
    qsizetype at = 0;
    while (at < elements.size()) {
        const auto type = ArchivedPathElement(quint8(elements[at++]));
        const int count = type == ArchivedPathElement::CurveTo ? 3 : type == ArchivedPathElement::ClosePath ? 0 : 1;
        if (quint8(type) > quint8(ArchivedPathElement::ClosePath))
            return damaged(u, QStringLiteral("a path element is of unknown kind"));
        std::array<QPointF, 3> points {};
        for (int i = 0; i < count; ++i) {
            const std::optional<QPointF> p = readPoint(elements, at);
            if (!p)
                return damaged(u, QStringLiteral("a path element is cut short"));
            points[std::size_t(i)] = *p;
        }
        switch (type) {
        case ArchivedPathElement::MoveTo: path.moveTo(points[0]); break;
        case ArchivedPathElement::LineTo: path.lineTo(points[0]); break;
        case ArchivedPathElement::CurveTo: path.curveTo(points[2], points[0], points[1]); break;
        case ArchivedPathElement::ClosePath: path.closePath(); break;
        }
    }
    path.setWindingRule(u.decodeInt32(QStringLiteral("windingRule")) == 1 ? BezierPath::WindingRule::EvenOdd : BezierPath::WindingRule::NonZero);
    if (u.containsValueForKey(QStringLiteral("lineWidth")))
        path.setLineWidth(u.decodeDouble(QStringLiteral("lineWidth")));
    if (u.containsValueForKey(QStringLiteral("miterLimit")))
        path.setMiterLimit(u.decodeDouble(QStringLiteral("miterLimit")));
    const qint32 cap = u.decodeInt32(QStringLiteral("lineCapStyle"));
    const qint32 join = u.decodeInt32(QStringLiteral("lineJoinStyle"));
    path.setLineCap(cap >= 0 && cap <= 2 ? BezierPath::LineCap(cap) : BezierPath::LineCap::Butt);
    path.setLineJoin(join >= 0 && join <= 2 ? BezierPath::LineJoin(join) : BezierPath::LineJoin::Miter);
    const QVariantList dashes = u.decodeValueOfType<QVariantList>(QStringLiteral("dashPattern"));
    QList<double> pattern;
    for (const QVariant& d : dashes) {
        if (d.metaType().id() != QMetaType::Double && d.metaType().id() != QMetaType::LongLong && d.metaType().id() != QMetaType::Float)
            return damaged(u, QStringLiteral("a dash length is not a number"));
        pattern.append(d.toDouble());
    }
    path.setDash(pattern, u.decodeDouble(QStringLiteral("dashPhase")));
    if (u.failed())
        return {};
    return QVariant::fromValue(path);
}

QVariant decodeGradient(KeyedUnarchiver& u)
{
    const QVariantList colors = u.decodeValueOfType<QVariantList>(QStringLiteral("NSColors"));
    const QVariantList locations = u.decodeValueOfType<QVariantList>(QStringLiteral("NSLocations"));
    if (u.failed())
        return {};
    if (colors.size() != locations.size())
        return damaged(u, QStringLiteral("it has %1 colours for %2 locations").arg(colors.size()).arg(locations.size()));
    QList<Gradient::Stop> stops;
    for (qsizetype i = 0; i < colors.size(); ++i) {
        const int locationType = locations[i].metaType().id();
        if (colors[i].metaType() != QMetaType::fromType<Color>()
            || (locationType != QMetaType::Double && locationType != QMetaType::Float && locationType != QMetaType::LongLong))
            return damaged(u, QStringLiteral("a stop is not a colour and a location"));
        stops.append(Gradient::Stop {colors[i].value<Color>(), locations[i].toDouble()});
    }
    return QVariant::fromValue(Gradient(stops));
}

QVariant decodeRulerMarker(KeyedUnarchiver& u)
{
    RulerMarker marker;
    marker.location = u.decodeDouble(QStringLiteral("NSLocation"));
    marker.imageName = u.decodeValueOfType<QString>(QStringLiteral("NSImageName"));
    marker.imageOrigin = u.decodePoint(QStringLiteral("NSImageOrigin"));
    marker.movable = u.decodeBool(QStringLiteral("NSMovable"));
    marker.removable = u.decodeBool(QStringLiteral("NSRemovable"));
    if (u.failed())
        return {};
    return QVariant::fromValue(marker);
}

void registerAll(ClassRegistry& registry, std::initializer_list<const char*> names, const ClassRegistry::ValueDecoder& decoder)
{
    for (const char* name : names)
        registry.registerValueClass(QString::fromLatin1(name), decoder);
}

} // namespace

std::optional<AttributedString> decodeAttributedStringKeys(KeyedUnarchiver& unarchiver)
{
    const QVariant text = decodeAttributedString(unarchiver);
    if (unarchiver.failed() || text.metaType() != QMetaType::fromType<AttributedString>())
        return std::nullopt;
    return text.value<AttributedString>();
}

void registerPlatformValueDecoders(ClassRegistry& registry)
{
    registerAll(registry, {"NSArray", "NSMutableArray"}, decodeArray);
    registerAll(registry, {"NSDictionary", "NSMutableDictionary"}, decodeDictionary);
    registerAll(registry, {"NSSet", "NSMutableSet"}, [](KeyedUnarchiver& u) -> QVariant {
        const QVariantList members = u.decodeArrayOfObjects(QStringLiteral("NS.objects"));
        return u.failed() ? QVariant() : QVariant::fromValue(ArchivedSet {members});
    });
    registerAll(registry, {"NSString", "NSMutableString"}, decodeString);
    registerAll(registry, {"NSData", "NSMutableData"}, decodeData);
    registerAll(registry, {"NSNull"}, [](KeyedUnarchiver&) { return QVariant::fromValue(nullptr); });
    registerAll(registry, {"NSValue"}, decodeValue);
    registerAll(registry, {"NSDate"}, decodeDate);
    registerAll(registry, {"NSURL"}, decodeUrl);
    registerAll(registry, {"NSColor"}, decodeColor);
    registerAll(registry, {"NSFont"}, decodeFont);
    registerAll(registry, {"NSParagraphStyle", "NSMutableParagraphStyle"}, decodeParagraphStyle);
    registerAll(registry, {"NSTextTab"}, decodeTextTab);
    registerAll(registry, {"NSAttributedString", "NSMutableAttributedString"}, decodeAttributedString);
    registerAll(registry, {"NSImage"}, decodeImage);
    registerAll(registry, {"NSBezierPath"}, decodeBezierPath);
    registerAll(registry, {"NSGradient"}, decodeGradient);
    registerAll(registry, {"NSRulerMarker"}, decodeRulerMarker);
}

void registerMobileEditionValueDecoders(ClassRegistry& registry)
{
    registerAll(registry, {"UIImage"}, decodeMobileImage);
    registry.substitute(QStringLiteral("UIColor"), QStringLiteral("NSColor"));
    registry.substitute(QStringLiteral("UIFont"), QStringLiteral("NSFont"));
}

} // namespace ql
