#include "platform/archive/KeyedUnarchiver.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistReader.h"
#include "platform/archive/Codable.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/archive/ReferenceDate.h"

#include <QDateTime>
#include <cmath>
#include <limits>

namespace ql {

KeyedUnarchiver::KeyedUnarchiver(const ClassRegistry& registry, ArchiveLimits limits)
    : m_registry(registry), m_limits(limits)
{
}

KeyedUnarchiver::~KeyedUnarchiver()
{
    if (!m_finished)
        destroyAll();
}

Status KeyedUnarchiver::open(QByteArrayView data)
{
    Result<PlistValue> plist = readBinaryPlist(data, m_limits);
    if (!plist)
        return plist.error();
    m_root = std::move(*plist);
    const Error notAnArchive = archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("The file is not a keyed archive."));
    if (m_root.type() != PlistValue::Type::Dictionary)
        return notAnArchive;
    const PlistValue* archiver = m_root.find(QStringLiteral("$archiver"));
    const PlistValue* version = m_root.find(QStringLiteral("$version"));
    const PlistValue* top = m_root.find(QStringLiteral("$top"));
    const PlistValue* objects = m_root.find(QStringLiteral("$objects"));
    if (!archiver || archiver->toString() != QStringLiteral("NSKeyedArchiver") || !top
        || top->type() != PlistValue::Type::Dictionary || !objects || objects->type() != PlistValue::Type::Array
        || objects->toArray().empty())
        return notAnArchive;
    if (version && version->type() != PlistValue::Type::Integer)
        return notAnArchive;
    const PlistValue& first = objects->toArray().front();
    if (first.type() != PlistValue::Type::String || first.toString() != QStringLiteral("$null"))
        return archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("The archive's object table does not start with \"$null\"."));
    m_objects = &objects->toArray();
    m_state.assign(m_objects->size(), SlotState::Unread);
    m_values.assign(m_objects->size(), QVariant());
    m_frames.clear();
    m_frames.push_back(Frame {&top->toDictionary(), QString()});
    return {};
}

const PlistValue* KeyedUnarchiver::find(const QString& key) const
{
    if (m_frames.empty())
        return nullptr;
    const Frame& frame = m_frames.back();
    const PlistValue::Dictionary& entries = *frame.entries;
    const std::size_t n = entries.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t at = (frame.hint + i) % n;
        if (entries[at].first == key) {
            frame.hint = at + 1;
            return &entries[at].second;
        }
    }
    return nullptr;
}

bool KeyedUnarchiver::containsValueForKey(const QString& key) const
{
    return find(key) != nullptr;
}

QStringList KeyedUnarchiver::allKeys() const
{
    QStringList keys;
    if (m_frames.empty())
        return keys;
    for (const auto& entry : *m_frames.back().entries)
        if (entry.first != QStringLiteral("$class"))
            keys.append(entry.first);
    return keys;
}

QString KeyedUnarchiver::currentClassName() const
{
    return m_frames.empty() ? QString() : m_frames.back().className;
}

void KeyedUnarchiver::fail(const Error& error)
{
    if (!m_error)
        m_error = error;
}

void KeyedUnarchiver::typeError(const QString& what)
{
    fail(archiveError(ArchiveErrorCode::WrongType, what));
}

QVariant KeyedUnarchiver::wrongType(const QString& key, const char* expected)
{
    const QString owner = currentClassName().isEmpty() ? QStringLiteral("the archive") : currentClassName();
    typeError(QStringLiteral("The value for “%1” in %2 is not %3.").arg(key, owner, QLatin1String(expected)));
    return {};
}

bool KeyedUnarchiver::checkType(const QVariant& value, QMetaType type, const QString& key)
{
    if (value.metaType() == type)
        return true;
    wrongType(key, type.name());
    return false;
}

QVariant KeyedUnarchiver::decodeObject(const QString& key)
{
    if (failed())
        return {};
    const PlistValue* value = find(key);
    if (!value)
        return {};
    if (value->type() != PlistValue::Type::Uid)
        return wrongType(key, "an object reference");
    return objectForUid(value->toUid());
}

QVariant KeyedUnarchiver::objectForUid(std::uint64_t uid)
{
    if (failed() || uid == 0)
        return {};
    if (!m_objects || uid >= m_objects->size()) {
        fail(archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The archive refers to object %1, beyond its %2 objects.").arg(uid).arg(m_objects ? m_objects->size() : 0)));
        return {};
    }
    switch (m_state[uid]) {
    case SlotState::Done:
        return m_values[uid];
    case SlotState::Reading:
        // An object being read is answered as itself; a value cannot be.
        if (m_values[uid].isValid())
            return m_values[uid];
        fail(archiveError(ArchiveErrorCode::Cycle, QStringLiteral("A value of the archive contains itself.")));
        return {};
    case SlotState::Unread:
        break;
    }

    const PlistValue& stored = (*m_objects)[uid];
    QVariant result;
    switch (stored.type()) {
    case PlistValue::Type::String:
        result = stored.toString();
        break;
    case PlistValue::Type::Integer:
        result = stored.isBigUnsigned() ? QVariant(qulonglong(stored.toUnsigned())) : QVariant(qlonglong(stored.toInteger()));
        break;
    case PlistValue::Type::Real:
        result = stored.isFloat32() ? QVariant(float(stored.toReal())) : QVariant(stored.toReal());
        break;
    case PlistValue::Type::Bool:
        result = stored.toBool();
        break;
    case PlistValue::Type::Data:
        result = stored.toData();
        break;
    case PlistValue::Type::Date: {
        const std::optional<QDateTime> date = dateFromReferenceSeconds(stored.toDate());
        if (!date) {
            fail(archiveError(ArchiveErrorCode::WrongType, QStringLiteral("Object %1 of the archive is a date out of range.").arg(uid)));
            return {};
        }
        result = *date;
        break;
    }
    case PlistValue::Type::Dictionary:
        return decodeRecord(uid, stored);
    case PlistValue::Type::Null:
    case PlistValue::Type::Uid:
    case PlistValue::Type::Array:
        fail(archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("Object %1 of the archive is not an archived value.").arg(uid)));
        return {};
    }
    m_state[uid] = SlotState::Done;
    m_values[uid] = result;
    return result;
}

QVariant KeyedUnarchiver::decodeRecord(std::uint64_t uid, const PlistValue& record)
{
    const PlistValue* classRef = record.find(QStringLiteral("$class"));
    const PlistValue* classRecord = classRef && classRef->type() == PlistValue::Type::Uid && classRef->toUid() < m_objects->size()
                                        ? &(*m_objects)[classRef->toUid()]
                                        : nullptr;
    const PlistValue* className = classRecord ? classRecord->find(QStringLiteral("$classname")) : nullptr;
    if (!className || className->type() != PlistValue::Type::String) {
        fail(archiveError(ArchiveErrorCode::Damaged, QStringLiteral("Object %1 of the archive has no valid class record.").arg(uid)));
        return {};
    }
    const QString name = className->toString();
    if (int(m_frames.size()) > m_limits.maxDepth) {
        fail(archiveError(ArchiveErrorCode::TooDeep, QStringLiteral("The archive's objects are nested more than %1 levels deep.").arg(m_limits.maxDepth)));
        return {};
    }

    if (const ClassRegistry::ObjectFactory* factory = m_registry.factory(name)) {
        QObject* object = (*factory)();
        m_made.emplace_back(object);
        Codable* codable = dynamic_cast<Codable*>(object);
        m_values[uid] = QVariant::fromValue(object);
        m_state[uid] = SlotState::Reading;
        m_frames.push_back(Frame {&record.toDictionary(), name});
        codable->initWithCoder(*this);
        m_frames.pop_back();
        m_state[uid] = SlotState::Done;
        return failed() ? QVariant() : m_values[uid];
    }
    if (const ClassRegistry::ValueDecoder* decoder = m_registry.valueDecoder(name)) {
        m_state[uid] = SlotState::Reading;
        m_frames.push_back(Frame {&record.toDictionary(), name});
        QVariant value = (*decoder)(*this);
        m_frames.pop_back();
        if (failed())
            return {};
        m_state[uid] = SlotState::Done;
        m_values[uid] = value;
        return value;
    }
    fail(archiveError(ArchiveErrorCode::ClassNotAllowed,
                      QStringLiteral("The archive holds an object of class “%1”, which this kind of file cannot contain.").arg(name)));
    return {};
}

QVariant KeyedUnarchiver::decodeNumber(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (!value.isValid())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::Bool:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Float:
    case QMetaType::Double:
        return value;
    default:
        return wrongType(key, "a number");
    }
}

bool KeyedUnarchiver::decodeBool(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return false;
    if (value->type() == PlistValue::Type::Bool || value->type() == PlistValue::Type::Integer)
        return value->toInteger() != 0;
    wrongType(key, "a boolean");
    return false;
}

qint64 KeyedUnarchiver::decodeInt64(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return 0;
    switch (value->type()) {
    case PlistValue::Type::Bool:
        return value->toBool() ? 1 : 0;
    case PlistValue::Type::Integer:
        if (!value->isBigUnsigned())
            return value->toInteger();
        break;
    case PlistValue::Type::Real: {
        // Reals are accepted where integers are asked for, as the platform
        // converts them, but only when they fit.
        const double d = value->toReal();
        if (std::isfinite(d) && d >= -9.2233720368547758e18 && d < 9.2233720368547758e18)
            return qint64(d);
        break;
    }
    default:
        wrongType(key, "an integer");
        return 0;
    }
    typeError(QStringLiteral("The value for “%1” does not fit in a 64-bit integer.").arg(key));
    return 0;
}

qint32 KeyedUnarchiver::decodeInt32(const QString& key)
{
    const qint64 value = decodeInt64(key);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max()) {
        typeError(QStringLiteral("The value for “%1” does not fit in a 32-bit integer.").arg(key));
        return 0;
    }
    return qint32(value);
}

double KeyedUnarchiver::decodeDouble(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return 0.0;
    switch (value->type()) {
    case PlistValue::Type::Real:
        return value->toReal();
    case PlistValue::Type::Integer:
        return value->isBigUnsigned() ? double(value->toUnsigned()) : double(value->toInteger());
    case PlistValue::Type::Bool:
        return value->toBool() ? 1.0 : 0.0;
    default:
        wrongType(key, "a number");
        return 0.0;
    }
}

float KeyedUnarchiver::decodeFloat(const QString& key)
{
    return narrowToFloat(decodeDouble(key));
}

QRectF KeyedUnarchiver::decodeRect(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return {};
    if (value->type() == PlistValue::Type::String)
        if (const std::optional<QRectF> rect = rectFromString(value->toString()))
            return *rect;
    wrongType(key, "a rectangle");
    return {};
}

QPointF KeyedUnarchiver::decodePoint(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return {};
    if (value->type() == PlistValue::Type::String)
        if (const std::optional<QPointF> point = pointFromString(value->toString()))
            return *point;
    wrongType(key, "a point");
    return {};
}

QSizeF KeyedUnarchiver::decodeSize(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return QSizeF(0, 0);
    if (value->type() == PlistValue::Type::String)
        if (const std::optional<QSizeF> size = sizeFromString(value->toString()))
            return *size;
    wrongType(key, "a size");
    return QSizeF(0, 0);
}

QByteArray KeyedUnarchiver::decodeBytes(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return {};
    if (value->type() == PlistValue::Type::Data)
        return value->toData();
    wrongType(key, "data");
    return {};
}

QVariant KeyedUnarchiver::decodePrimitive(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return {};
    switch (value->type()) {
    case PlistValue::Type::Bool:
        return value->toBool();
    case PlistValue::Type::Integer:
        return value->isBigUnsigned() ? QVariant(qulonglong(value->toUnsigned())) : QVariant(qlonglong(value->toInteger()));
    case PlistValue::Type::Real:
        return value->isFloat32() ? QVariant(float(value->toReal())) : QVariant(value->toReal());
    case PlistValue::Type::String:
        return value->toString();
    case PlistValue::Type::Data:
        return value->toData();
    default:
        return wrongType(key, "a value stored in place");
    }
}

bool KeyedUnarchiver::holdsObjectReference(const QString& key) const
{
    const PlistValue* value = find(key);
    return value && value->type() == PlistValue::Type::Uid;
}

QVariant KeyedUnarchiver::decodeAny(const QString& key)
{
    return holdsObjectReference(key) ? decodeObject(key) : decodePrimitive(key);
}

QVariantList KeyedUnarchiver::decodeArrayOfObjects(const QString& key)
{
    const PlistValue* value = failed() ? nullptr : find(key);
    if (!value)
        return {};
    if (value->type() != PlistValue::Type::Array) {
        wrongType(key, "an array of references");
        return {};
    }
    // Copied first: decoding may push frames, but the archive itself never moves.
    const PlistValue::Array& refs = value->toArray();
    QVariantList result;
    result.reserve(qsizetype(refs.size()));
    for (const PlistValue& ref : refs) {
        if (ref.type() != PlistValue::Type::Uid) {
            wrongType(key, "an array of references");
            return {};
        }
        result.append(objectForUid(ref.toUid()));
        if (failed())
            return {};
    }
    return result;
}

void KeyedUnarchiver::destroyAll()
{
    QSet<QObject*> made;
    for (const QPointer<QObject>& object : m_made)
        if (object)
            made.insert(object.data());
    // Delete every object that no other made object owns; owned ones go with
    // their owner. Guarded pointers skip what an earlier delete took along.
    std::vector<QPointer<QObject>> roots;
    for (const QPointer<QObject>& object : m_made)
        if (object && !made.contains(object->parent()))
            roots.push_back(object);
    for (const QPointer<QObject>& object : roots)
        if (object)
            delete object.data();
    m_made.clear();
    m_values.clear();
}

Result<DecodedObjects> KeyedUnarchiver::finish()
{
    if (m_finished)
        return archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("The archive was already finished."));
    if (!m_objects && !m_error)
        fail(archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("No archive was opened.")));
    m_finished = true;
    if (m_error) {
        destroyAll();
        return *m_error;
    }
    m_values.clear();
    return DecodedObjects(std::exchange(m_made, {}));
}

} // namespace ql
