#include "shapes/df/DFArchiving.h"

#include "platform/archive/ArchiveFields.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/archive/PlatformValueEncoding.h"
#include "platform/object/ValueKind.h"
#include "shapes/df/DFArrowStroke.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFStyle.h"

#include <cmath>

namespace ql::df {

namespace {

const QStringList gradientChain {QStringLiteral("DFGradient"), QStringLiteral("NSObject")};
const QStringList colorStopChain {QStringLiteral("DFColorStop"), QStringLiteral("NSObject")};
const QStringList dashChain {QStringLiteral("DFStrokeDash"), QStringLiteral("NSObject")};

// Gradients with more stops than this are damaged.
constexpr qsizetype maximumStops = 256;

std::optional<double> finiteWithin(const QVariant& value, double limit)
{
    if (!isNumeric(value))
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::abs(number) > limit)
        return std::nullopt;
    return number;
}

QVariant decodeColorStop(KeyedUnarchiver& coder)
{
    DFColorStop stop;
    Color color;
    if (readValue(coder, QStringLiteral("colour"), color))
        stop.setColor(color);
    double position = 0.0;
    if (readDouble(coder, QStringLiteral("position"), position, 1.0e3))
        stop.setPosition(position);
    return QVariant::fromValue(stop);
}

QVariant decodeGradient(KeyedUnarchiver& coder)
{
    DFGradient gradient;
    const QVariant stops = fields::readRaw(coder, QStringLiteral("stops"));
    if (stops.typeId() == QMetaType::QVariantList && stops.toList().size() <= maximumStops) {
        for (const QVariant& stop : stops.toList())
            if (stop.metaType() == QMetaType::fromType<DFColorStop>())
                gradient.addColorStop(stop.value<DFColorStop>());
    }
    int type = DFGradient::Linear;
    fields::readInt(coder, QStringLiteral("type"), type);
    gradient.setGradientType(type == DFGradient::Radial ? DFGradient::Radial : DFGradient::Linear);
    double angle = 0.0;
    if (readDouble(coder, QStringLiteral("angle"), angle, 1.0e4))
        gradient.setAngle(angle);
    return QVariant::fromValue(gradient);
}

QVariant decodeDash(KeyedUnarchiver& coder)
{
    const QVariant pattern = fields::readRaw(coder, QStringLiteral("pattern"));
    if (pattern.typeId() != QMetaType::QVariantList || pattern.toList().size() > DFStrokeDash::maximumCount)
        return QVariant::fromValue(DFStrokeDash());
    QList<double> lengths;
    for (const QVariant& length : pattern.toList()) {
        const std::optional<double> number = finiteWithin(length, largestCoordinate);
        if (!number)
            return QVariant::fromValue(DFStrokeDash());
        lengths.append(*number);
    }
    double phase = 0.0;
    readDouble(coder, QStringLiteral("phase"), phase);
    // The constructor refuses what cannot draw and leaves the dash solid.
    return QVariant::fromValue(DFStrokeDash(lengths, phase));
}

} // namespace

bool readDouble(KeyedUnarchiver& coder, const QString& key, double& field, double limit)
{
    const std::optional<double> number = finiteWithin(fields::readRaw(coder, key), limit);
    if (!number)
        return false;
    field = *number;
    return true;
}

bool readSize(KeyedUnarchiver& coder, const QString& key, QSizeF& field)
{
    const QVariant value = fields::readRaw(coder, key);
    if (value.typeId() != QMetaType::QString)
        return false;
    const std::optional<QSizeF> size = sizeFromString(value.toString());
    if (!size || !std::isfinite(size->width()) || !std::isfinite(size->height())
        || std::abs(size->width()) > largestCoordinate || std::abs(size->height()) > largestCoordinate)
        return false;
    field = *size;
    return true;
}

bool readPointWithin(KeyedUnarchiver& coder, const QString& key, QPointF& field)
{
    QPointF point;
    if (!fields::readPoint(coder, key, point) || std::abs(point.x()) > largestCoordinate
        || std::abs(point.y()) > largestCoordinate)
        return false;
    field = point;
    return true;
}

void encodeGradient(KeyedArchiver& coder, const QString& key, const DFGradient& gradient)
{
    PlistValue::Array stops;
    for (const DFColorStop& stop : gradient.colorStops()) {
        stops.push_back(coder.encodeRecord(colorStopChain, [&stop](KeyedArchiver& record) {
            record.encodeObject(QStringLiteral("colour"), QVariant::fromValue(stop.color()));
            record.encodeDouble(QStringLiteral("position"), stop.position());
        }));
    }
    coder.encodeReference(key, coder.encodeRecord(gradientChain, [&](KeyedArchiver& record) {
        record.encodeReference(QStringLiteral("stops"), record.encodeRecord(ArchivedClass::array,
                                                                            [&](KeyedArchiver& list) {
                                                                                list.encodeReferences(QStringLiteral("NS.objects"), stops);
                                                                            }));
        record.encodeInt32(QStringLiteral("type"), gradient.gradientType());
        record.encodeDouble(QStringLiteral("angle"), gradient.angle());
    }));
}

void encodeDash(KeyedArchiver& coder, const QString& key, const DFStrokeDash& dash)
{
    coder.encodeReference(key, coder.encodeRecord(dashChain, [&dash](KeyedArchiver& record) {
        QVariantList lengths;
        for (double length : dash.pattern())
            lengths.append(length);
        record.encodeObject(QStringLiteral("pattern"), lengths);
        record.encodeDouble(QStringLiteral("phase"), dash.phase());
    }));
}

bool canAdopt(const QObject* owner, const QObject* part)
{
    if (!part || part->parent())
        return false;
    for (const QObject* o = owner; o; o = o->parent())
        if (o == part)
            return false;
    return true;
}

DFDrawable* readDrawable(KeyedUnarchiver& coder, const QString& key, QObject* owner)
{
    const QVariant value = fields::readRaw(coder, key);
    if (value.metaType() == QMetaType::fromType<BezierPath>()) {
        const BezierPath outline = value.value<BezierPath>();
        if (outline.isEmpty())
            return nullptr;
        auto* shape = new DFImageShape(outline);
        shape->setParent(owner);
        return shape;
    }
    auto* drawable = qobject_cast<DFDrawable*>(coder.liveObject(value));
    if (!canAdopt(owner, drawable))
        return nullptr;
    drawable->setParent(owner);
    return drawable;
}

void registerDrawingClasses(ClassRegistry& registry)
{
    registry.registerClass<DFDrawableShape>(QStringLiteral("DFDrawableShape"));
    registry.registerClass<DFImageShape>(QStringLiteral("DFImageShape"));
    registry.registerClass<DFDrawablePath>(QStringLiteral("DFDrawablePath"));
    registry.registerClass<DFRendererGroup>(QStringLiteral("DFRendererGroup"));
    registry.registerClass<DFStyle>(QStringLiteral("DFStyle"));
    registry.registerClass<DFFill>(QStringLiteral("DFFill"));
    registry.registerClass<DFStroke>(QStringLiteral("DFStroke"));
    registry.registerClass<DFArrowStroke>(QStringLiteral("DFArrowStroke"));
    registry.registerValueClass(QStringLiteral("DFGradient"), decodeGradient);
    registry.registerValueClass(QStringLiteral("DFColorStop"), decodeColorStop);
    registry.registerValueClass(QStringLiteral("DFStrokeDash"), decodeDash);
}

} // namespace ql::df
