// Writes a keyed archive in the original platform's layout: a binary plist
// with "$archiver" "NSKeyedArchiver", "$version" 100000, "$top" and
// "$objects" ("$null" first), objects referenced by UID and class records
// {"$classname", "$classes"} written once per class.
//
// Outside any object the encode calls write top-level entries (documents
// have no root object); encodeRootObject writes the single "root" entry that
// every other kind of archive uses. Inside Codable::encodeWithCoder they
// write the keys of that object. An object reachable from several owners is
// written once; objects may refer to each other in cycles.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ArchiveLimits.h"
#include "platform/archive/PlistValue.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>

namespace ql {

class KeyedArchiver {
public:
    // What it writes, a reader held to the same limits reads again: an
    // archive past them is refused when finished.
    explicit KeyedArchiver(ArchiveLimits limits = {});

    // Archived objects: nil (an empty QVariant), Codable QObjects, and the
    // platform values (see docs/file-format.md): strings, numbers keeping
    // their kind (bool, integer, 32-bit float, double), data, lists, maps,
    // sets, null, geometry, dates, URLs, colours, fonts, paragraph styles,
    // attributed strings, images, Bézier paths, gradients, ruler markers.
    void encodeObject(const QString& key, const QVariant& value);
    void encodeObject(const QString& key, const QObject* object);
    void encodeRootObject(const QVariant& root) { encodeObject(QStringLiteral("root"), root); }

    // Values stored in place.
    void encodeBool(const QString& key, bool value);
    void encodeInt32(const QString& key, qint32 value);
    void encodeInt64(const QString& key, qint64 value);
    void encodeInteger(const QString& key, qint64 value) { encodeInt64(key, value); }
    // Narrowed to a 4-byte real: 36.123456789 reads back as 36.12345504760742.
    void encodeFloat(const QString& key, double value);
    void encodeDouble(const QString& key, double value);
    // As the platform's "{{x, y}, {w, h}}", "{x, y}" and "{w, h}" strings.
    void encodeRect(const QString& key, const QRectF& rect);
    void encodePoint(const QString& key, const QPointF& point);
    void encodeSize(const QString& key, const QSizeF& size);
    void encodeBytes(const QString& key, const QByteArray& bytes);
    // A bool, integer, float, double, string or data stored in place with its kind.
    void encodePrimitive(const QString& key, const QVariant& value);
    // An array of object references stored in place (collections use it).
    void encodeArrayOfObjects(const QString& key, const QVariantList& values);

    // For value encoders: stores references that encodeRecord returned.
    void encodeReference(const QString& key, const PlistValue& reference);
    void encodeReferences(const QString& key, const PlistValue::Array& references);

    // For value encoders: writes a record of the given class chain whose keys
    // body encodes, and returns its reference.
    PlistValue encodeRecord(const QStringList& classChain, const std::function<void(KeyedArchiver&)>& body);

    // The first failure (an unsupported value) sticks and is reported here.
    void fail(const Error& error);
    bool failed() const { return m_error.has_value(); }

    // The finished archive, or the first error met while encoding, or why
    // it could not be read again.
    Result<QByteArray> finish();

private:
    struct Frame {
        PlistValue::Dictionary entries;
    };

    PlistValue reference(const QVariant& value);
    PlistValue referenceToObject(const QObject* object);
    PlistValue store(const PlistValue& primitive);
    PlistValue classReference(const QStringList& chain);
    PlistValue fillRecord(std::uint64_t uid, const QStringList& classChain, const std::function<void(KeyedArchiver&)>& body);
    std::uint64_t reserve();
    void put(const QString& key, PlistValue value);

    PlistValue::Array m_objects;
    std::vector<Frame> m_frames; // m_frames.front() is "$top"
    QHash<const QObject*, std::uint64_t> m_objectUids;
    QHash<QString, std::uint64_t> m_classUids;
    QHash<QString, std::uint64_t> m_stringUids;
    QHash<QByteArray, std::uint64_t> m_valueUids; // numbers and immutable values, by content
    std::optional<Error> m_error;
    const ArchiveLimits m_limits;
    bool m_finished = false;
};

} // namespace ql
