#include "platform/archive/KeyedArchiver.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistWriter.h"
#include "platform/archive/Codable.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/archive/PlatformValueEncoding.h"
#include "platform/archive/ReferenceDate.h"

#include <bit>
#include <cstring>

namespace ql {

KeyedArchiver::KeyedArchiver(ArchiveLimits limits) : m_limits(limits)
{
    m_objects.push_back(PlistValue::string(QStringLiteral("$null")));
    m_frames.emplace_back();
}

void KeyedArchiver::fail(const Error& error)
{
    if (!m_error)
        m_error = error;
}

void KeyedArchiver::put(const QString& key, PlistValue value)
{
    m_frames.back().entries.emplace_back(key, std::move(value));
}

std::uint64_t KeyedArchiver::reserve()
{
    m_objects.emplace_back();
    return m_objects.size() - 1;
}

void KeyedArchiver::encodeObject(const QString& key, const QVariant& value)
{
    put(key, reference(value));
}

void KeyedArchiver::encodeObject(const QString& key, const QObject* object)
{
    put(key, referenceToObject(object));
}

void KeyedArchiver::encodeBool(const QString& key, bool value)
{
    put(key, PlistValue::boolean(value));
}

void KeyedArchiver::encodeInt32(const QString& key, qint32 value)
{
    put(key, PlistValue::integer(value));
}

void KeyedArchiver::encodeInt64(const QString& key, qint64 value)
{
    put(key, PlistValue::integer(value));
}

void KeyedArchiver::encodeFloat(const QString& key, double value)
{
    put(key, PlistValue::float32(narrowToFloat(value)));
}

void KeyedArchiver::encodeDouble(const QString& key, double value)
{
    put(key, PlistValue::real(value));
}

void KeyedArchiver::encodeRect(const QString& key, const QRectF& rect)
{
    put(key, PlistValue::string(rectToString(rect)));
}

void KeyedArchiver::encodePoint(const QString& key, const QPointF& point)
{
    put(key, PlistValue::string(pointToString(point)));
}

void KeyedArchiver::encodeSize(const QString& key, const QSizeF& size)
{
    put(key, PlistValue::string(sizeToString(size)));
}

void KeyedArchiver::encodeBytes(const QString& key, const QByteArray& bytes)
{
    put(key, PlistValue::data(bytes));
}

void KeyedArchiver::encodePrimitive(const QString& key, const QVariant& value)
{
    const std::optional<PlistValue> primitive = primitiveFromVariant(value);
    if (!primitive) {
        fail(archiveError(ArchiveErrorCode::Unencodable,
                          QStringLiteral("The value for “%1” cannot be stored in place.").arg(key)));
        return;
    }
    put(key, *primitive);
}

void KeyedArchiver::encodeArrayOfObjects(const QString& key, const QVariantList& values)
{
    PlistValue::Array refs;
    refs.reserve(std::size_t(values.size()));
    for (const QVariant& v : values)
        refs.push_back(reference(v));
    encodeReferences(key, refs);
}

void KeyedArchiver::encodeReference(const QString& key, const PlistValue& reference)
{
    put(key, reference);
}

void KeyedArchiver::encodeReferences(const QString& key, const PlistValue::Array& references)
{
    put(key, PlistValue::array(references));
}

PlistValue KeyedArchiver::store(const PlistValue& primitive)
{
    // Equal strings and numbers are one object, as the platform's constant
    // strings and shared numbers are: smaller files, and each is read once.
    if (primitive.type() == PlistValue::Type::String) {
        if (auto it = m_stringUids.constFind(primitive.toString()); it != m_stringUids.constEnd())
            return PlistValue::uid(*it);
        const std::uint64_t uid = reserve();
        m_objects[uid] = primitive;
        m_stringUids.insert(primitive.toString(), uid);
        return PlistValue::uid(uid);
    }
    if (primitive.type() != PlistValue::Type::Data) {
        QByteArray key(10, '\0');
        key[0] = char(primitive.type());
        key[1] = char(primitive.isFloat32() || primitive.isBigUnsigned());
        const std::uint64_t bits = primitive.type() == PlistValue::Type::Real ? std::bit_cast<std::uint64_t>(primitive.toReal())
                                                                              : primitive.toUnsigned();
        std::memcpy(key.data() + 2, &bits, 8);
        if (auto it = m_valueUids.constFind(key); it != m_valueUids.constEnd())
            return PlistValue::uid(*it);
        const std::uint64_t uid = reserve();
        m_objects[uid] = primitive;
        m_valueUids.insert(key, uid);
        return PlistValue::uid(uid);
    }
    const std::uint64_t uid = reserve();
    m_objects[uid] = primitive;
    return PlistValue::uid(uid);
}

PlistValue KeyedArchiver::classReference(const QStringList& chain)
{
    const QString& name = chain.first();
    if (auto it = m_classUids.constFind(name); it != m_classUids.constEnd())
        return PlistValue::uid(*it);
    PlistValue::Array classes;
    for (const QString& c : chain)
        classes.push_back(PlistValue::string(c));
    const std::uint64_t uid = reserve();
    m_objects[uid] = PlistValue::dictionary({
        {QStringLiteral("$classes"), PlistValue::array(std::move(classes))},
        {QStringLiteral("$classname"), PlistValue::string(name)},
    });
    m_classUids.insert(name, uid);
    return PlistValue::uid(uid);
}

PlistValue KeyedArchiver::encodeRecord(const QStringList& classChain, const std::function<void(KeyedArchiver&)>& body)
{
    return fillRecord(reserve(), classChain, body);
}

PlistValue KeyedArchiver::fillRecord(std::uint64_t uid, const QStringList& classChain,
                                     const std::function<void(KeyedArchiver&)>& body)
{
    m_frames.emplace_back();
    m_frames.back().entries.reserve(16);
    body(*this);
    PlistValue::Dictionary entries = std::move(m_frames.back().entries);
    m_frames.pop_back();
    // "$class" goes last, after the keys, as the platform writes it.
    entries.emplace_back(QStringLiteral("$class"), classReference(classChain));
    // Kept until the archive is written: a text's runs make hundreds of
    // thousands of small records, each with room for sixteen keys.
    entries.shrink_to_fit();
    m_objects[uid] = PlistValue::dictionary(std::move(entries));
    return PlistValue::uid(uid);
}

PlistValue KeyedArchiver::referenceToObject(const QObject* object)
{
    if (!object)
        return PlistValue::uid(0);
    if (auto it = m_objectUids.constFind(object); it != m_objectUids.constEnd())
        return PlistValue::uid(*it);
    const auto* codable = dynamic_cast<const Codable*>(object);
    if (!codable) {
        fail(archiveError(ArchiveErrorCode::Unencodable,
                          QStringLiteral("An object of a kind that cannot be saved was met.")));
        return PlistValue::uid(0);
    }
    const QStringList chain = codable->archiveClassChain();
    if (chain.isEmpty()) {
        fail(archiveError(ArchiveErrorCode::Unencodable, QStringLiteral("An archived class has no class name.")));
        return PlistValue::uid(0);
    }
    // Registered before its keys are written, so that cycles refer back to it.
    const std::uint64_t uid = reserve();
    m_objectUids.insert(object, uid);
    return fillRecord(uid, chain, [codable](KeyedArchiver& coder) { codable->encodeWithCoder(coder); });
}

PlistValue KeyedArchiver::reference(const QVariant& value)
{
    if (!value.isValid())
        return PlistValue::uid(0);
    if (value.metaType().flags().testFlag(QMetaType::PointerToQObject))
        return referenceToObject(value.value<QObject*>());
    if (const std::optional<PlistValue> primitive = primitiveFromVariant(value))
        return store(*primitive);
    // Immutable values with equal contents are written once.
    const QByteArray fingerprint = valueFingerprint(value);
    if (!fingerprint.isEmpty())
        if (auto it = m_valueUids.constFind(fingerprint); it != m_valueUids.constEnd())
            return PlistValue::uid(*it);
    std::optional<PlistValue> record = encodePlatformValue(*this, value);
    if (record && !fingerprint.isEmpty())
        m_valueUids.insert(fingerprint, record->toUid());
    if (!record) {
        fail(archiveError(ArchiveErrorCode::Unencodable,
                          QStringLiteral("A value of a kind that cannot be saved was met.")));
        return PlistValue::uid(0);
    }
    return *record;
}

Result<QByteArray> KeyedArchiver::finish()
{
    if (m_finished)
        return archiveError(ArchiveErrorCode::Unencodable, QStringLiteral("The archive was already finished."));
    m_finished = true;
    if (m_error)
        return *m_error;
    PlistValue top = PlistValue::dictionary(std::move(m_frames.front().entries));
    const PlistValue root = PlistValue::dictionary({
        {QStringLiteral("$version"), PlistValue::integer(100000)},
        {QStringLiteral("$archiver"), PlistValue::string(QStringLiteral("NSKeyedArchiver"))},
        {QStringLiteral("$top"), std::move(top)},
        {QStringLiteral("$objects"), PlistValue::array(std::move(m_objects))},
    });
    return writeBinaryPlist(root, m_limits);
}

} // namespace ql
