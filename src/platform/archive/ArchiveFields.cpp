#include "platform/archive/ArchiveFields.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ImageArchiveData.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/object/ValueKind.h"

#include <cmath>
#include <limits>

namespace ql::fields {

namespace {

// A finite number from a numeric value, else nothing.
std::optional<double> finiteNumber(const QVariant& value)
{
    if (!isNumeric(value))
        return std::nullopt;
    const double number = value.toDouble();
    return std::isfinite(number) ? std::optional<double>(number) : std::nullopt;
}

bool finiteRect(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
           && std::isfinite(rect.height());
}

} // namespace

QVariant readRaw(KeyedUnarchiver& coder, const QString& key)
{
    // A missing key answers null, like an archived nil.
    return coder.decodeAny(key);
}

bool readBool(KeyedUnarchiver& coder, const QString& key, bool& field)
{
    const QVariant value = readRaw(coder, key);
    if (!isNumeric(value))
        return false;
    field = value.toBool();
    return true;
}

bool readInt(KeyedUnarchiver& coder, const QString& key, int& field)
{
    const std::optional<double> number = finiteNumber(readRaw(coder, key));
    if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max())
        return false;
    field = int(*number);
    return true;
}

bool readInt(KeyedUnarchiver& coder, const QString& key, qint64& field)
{
    // 2^63 is the first double beyond the range; the maximum itself rounds to it.
    constexpr double beyond = 9223372036854775808.0;
    const QVariant value = readRaw(coder, key);
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) {
        field = value.toLongLong();
        return true;
    }
    const std::optional<double> number = finiteNumber(value);
    if (!number || *number < -beyond || *number >= beyond)
        return false;
    field = qint64(*number);
    return true;
}

bool readFloat(KeyedUnarchiver& coder, const QString& key, double& field)
{
    const std::optional<double> number = finiteNumber(readRaw(coder, key));
    if (!number || std::abs(*number) > std::numeric_limits<float>::max())
        return false;
    field = double(float(*number));
    return true;
}

bool readFloat(KeyedUnarchiver& coder, const QString& key, float& field)
{
    double wide = field;
    if (!readFloat(coder, key, wide))
        return false;
    field = float(wide);
    return true;
}

bool readNumber(KeyedUnarchiver& coder, const QString& key, QVariant& field)
{
    bool present = false;
    const QVariant value = coder.decodeAny(key, &present);
    if (!present)
        return false;
    if (!value.isValid()) {
        // An archived nil is a value of its own: the setting was unset.
        field = QVariant();
        return true;
    }
    if (!finiteNumber(value))
        return false;
    const qlonglong integer = value.toLongLong();
    const bool smallInteger = value.typeId() == QMetaType::LongLong && integer >= std::numeric_limits<int>::min()
                              && integer <= std::numeric_limits<int>::max();
    field = smallInteger ? QVariant(int(integer)) : value;
    return true;
}

bool readString(KeyedUnarchiver& coder, const QString& key, QString& field)
{
    const QVariant value = readRaw(coder, key);
    if (value.typeId() != QMetaType::QString)
        return false;
    field = value.toString();
    return true;
}

bool readStrings(KeyedUnarchiver& coder, const QString& key, QStringList& field)
{
    const QVariant value = readRaw(coder, key);
    if (value.typeId() != QMetaType::QVariantList)
        return false;
    QStringList strings;
    for (const QVariant& item : value.toList()) {
        if (item.typeId() == QMetaType::QString)
            strings.append(item.toString());
    }
    field = strings;
    return true;
}

bool readRect(KeyedUnarchiver& coder, const QString& key, QRectF& field)
{
    const QVariant value = readRaw(coder, key);
    if (value.typeId() != QMetaType::QString)
        return false;
    const std::optional<QRectF> rect = rectFromString(value.toString());
    if (!rect || !finiteRect(*rect))
        return false;
    field = *rect;
    return true;
}

bool readPoint(KeyedUnarchiver& coder, const QString& key, QPointF& field)
{
    const QVariant value = readRaw(coder, key);
    if (value.typeId() != QMetaType::QString)
        return false;
    const std::optional<QPointF> point = pointFromString(value.toString());
    if (!point || !std::isfinite(point->x()) || !std::isfinite(point->y()))
        return false;
    field = *point;
    return true;
}

ql::Image readImageData(KeyedUnarchiver& coder, const QString& key)
{
    const QVariant value = readRaw(coder, key);
    if (value.typeId() != QMetaType::QByteArray)
        return {};
    return ql::Image::fromStoredData(value.toByteArray());
}

void writeImageData(KeyedArchiver& coder, const QString& key, const ql::Image& image)
{
    if (image.isNull())
        return;
    writeEncodedImage(coder, key, imageArchiveData(image));
}

void writeEncodedImage(KeyedArchiver& coder, const QString& key, const Result<QByteArray>& data)
{
    if (data)
        coder.encodeObject(key, QVariant(*data));
    else
        coder.fail(archiveError(ArchiveErrorCode::Unencodable, data.error().message));
}

} // namespace ql::fields
