#include "platform/archive/KeyedUnarchiver.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistReader.h"
#include "platform/archive/Codable.h"
#include "platform/archive/GeometryStrings.h"
#include "platform/archive/ReferenceDate.h"
#include "platform/object/ValueKind.h"

#include <QDateTime>
#include <QSet>
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
    Result<BinaryPlistDocument> doc = BinaryPlistDocument::open(data, m_limits);
    if (!doc)
        return doc.error();
    m_doc.emplace(std::move(*doc));
    const Error notAnArchive = archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("The file is not a keyed archive."));
    const Result<Object> root = m_doc->object(m_doc->top());
    if (!root)
        return root.error();
    if (root->type != PlistValue::Type::Dictionary)
        return notAnArchive;
    const std::optional<Object> archiver = findIn(*root, QStringLiteral("$archiver"));
    const std::optional<Object> version = findIn(*root, QStringLiteral("$version"));
    const std::optional<Object> top = findIn(*root, QStringLiteral("$top"));
    const std::optional<Object> objects = findIn(*root, QStringLiteral("$objects"));
    if (m_error)
        return *std::exchange(m_error, std::nullopt);
    if (!archiver || m_doc->string(*archiver) != QStringLiteral("NSKeyedArchiver") || !top
        || top->type != PlistValue::Type::Dictionary || !objects || objects->type != PlistValue::Type::Array || objects->count == 0)
        return notAnArchive;
    if (version && version->type != PlistValue::Type::Integer)
        return notAnArchive;
    const Result<BinaryPlistDocument::Ref> firstRef = m_doc->reference(*objects, 0);
    const Result<Object> first = firstRef ? m_doc->object(*firstRef) : Result<Object>(firstRef.error());
    if (!first)
        return first.error();
    if (first->type != PlistValue::Type::String || m_doc->string(*first) != QStringLiteral("$null"))
        return archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("The archive's object table does not start with \"$null\"."));
    m_objects = *objects;
    m_state.assign(objects->count, SlotState::Unread);
    m_values.assign(objects->count, QVariant());
    m_readAgain.assign(objects->count, false);
    m_frames.clear();
    m_frames.push_back(Frame {*top, QString()});
    return {};
}

qsizetype KeyedUnarchiver::countRecordsOfClass(const QString& className) const
{
    if (!m_doc)
        return 0;
    const BinaryPlistDocument& doc = *m_doc;
    const auto objectAt = [&](std::uint64_t index) -> std::optional<Object> {
        const Result<BinaryPlistDocument::Ref> ref = doc.reference(m_objects, index);
        const Result<Object> object = ref ? doc.object(*ref) : Result<Object>(ref.error());
        return object ? std::optional<Object>(*object) : std::nullopt;
    };
    const auto valueOf = [&](const Object& dictionary, const QString& key) -> std::optional<Object> {
        BinaryPlistDocument::KeyCursor cursor;
        const Result<std::optional<BinaryPlistDocument::Ref>> ref = doc.find(dictionary, key, cursor);
        if (!ref || !*ref)
            return std::nullopt;
        const Result<Object> value = doc.object(**ref);
        return value ? std::optional<Object>(*value) : std::nullopt;
    };
    const QString classKey = QStringLiteral("$class");
    const QString nameKey = QStringLiteral("$classname");
    // Whether each class record met names the class.
    QHash<std::uint64_t, bool> named;
    qsizetype count = 0;
    for (std::uint64_t index = 1; index < m_objects.count; ++index) {
        const std::optional<Object> record = objectAt(index);
        if (!record || record->type != PlistValue::Type::Dictionary)
            continue;
        const std::optional<Object> classRef = valueOf(*record, classKey);
        if (!classRef || classRef->type != PlistValue::Type::Uid || classRef->uid() >= m_objects.count)
            continue;
        auto known = named.constFind(classRef->uid());
        if (known == named.constEnd()) {
            const std::optional<Object> classRecord = objectAt(classRef->uid());
            const std::optional<Object> name = classRecord && classRecord->type == PlistValue::Type::Dictionary
                                                   ? valueOf(*classRecord, nameKey)
                                                   : std::nullopt;
            known = named.insert(classRef->uid(),
                                 name && name->type == PlistValue::Type::String && doc.string(*name) == className);
        }
        count += *known ? 1 : 0;
    }
    return count;
}

void KeyedUnarchiver::recordError(const Error& error) const
{
    if (!m_error)
        m_error = error;
}

std::optional<KeyedUnarchiver::Object> KeyedUnarchiver::lookUp(const Object& dictionary, const QString& key,
                                                               BinaryPlistDocument::KeyCursor& cursor) const
{
    const Result<std::optional<BinaryPlistDocument::Ref>> ref = m_doc->find(dictionary, key, cursor);
    if (!ref) {
        recordError(ref.error());
        return std::nullopt;
    }
    if (!*ref)
        return std::nullopt;
    Result<Object> object = m_doc->object(**ref);
    if (!object) {
        recordError(object.error());
        return std::nullopt;
    }
    return std::move(*object);
}

std::optional<KeyedUnarchiver::Object> KeyedUnarchiver::findIn(const Object& dictionary, const QString& key) const
{
    BinaryPlistDocument::KeyCursor cursor;
    return lookUp(dictionary, key, cursor);
}

std::optional<KeyedUnarchiver::Object> KeyedUnarchiver::find(const QString& key) const
{
    if (m_frames.empty() || m_error)
        return std::nullopt;
    const Frame& frame = m_frames.back();
    return lookUp(frame.record, key, frame.keys);
}

bool KeyedUnarchiver::containsValueForKey(const QString& key) const
{
    return find(key).has_value();
}

QStringList KeyedUnarchiver::allKeys() const
{
    QStringList keys;
    if (m_frames.empty() || m_error)
        return keys;
    QSet<QString> seen;
    const Object& record = m_frames.back().record;
    for (std::uint64_t i = 0; i < record.count; ++i) {
        const Result<BinaryPlistDocument::Ref> ref = m_doc->reference(record, i);
        const Result<Object> key = ref ? m_doc->object(*ref) : Result<Object>(ref.error());
        if (!key) {
            recordError(key.error());
            return {};
        }
        if (key->type != PlistValue::Type::String) {
            recordError(archiveError(ArchiveErrorCode::Damaged, QStringLiteral("A dictionary key of the archive is not a string.")));
            return {};
        }
        // A key listed twice is one key.
        const QString name = m_doc->string(*key);
        if (name != QStringLiteral("$class") && !seen.contains(name)) {
            seen.insert(name);
            keys.append(name);
        }
    }
    return keys;
}

QString KeyedUnarchiver::currentClassName() const
{
    return m_frames.empty() ? QString() : m_frames.back().className;
}

void KeyedUnarchiver::fail(const Error& error)
{
    recordError(error);
}

void KeyedUnarchiver::typeError(const QString& what)
{
    fail(archiveError(ArchiveErrorCode::WrongType, what));
}

QVariant KeyedUnarchiver::wrongType(const QString& key, const QString& expected)
{
    const QString owner = currentClassName().isEmpty() ? QStringLiteral("the archive") : currentClassName();
    typeError(QStringLiteral("The value for “%1” in %2 is not %3.").arg(key, owner, expected));
    return {};
}

bool KeyedUnarchiver::checkType(const QVariant& value, QMetaType type, const QString& key)
{
    if (value.metaType() == type)
        return true;
    wrongType(key, valueKindInWords(type));
    return false;
}

QVariant KeyedUnarchiver::decodeObject(const QString& key)
{
    const std::optional<Object> value = find(key);
    if (!value)
        return {};
    if (value->type != PlistValue::Type::Uid)
        return wrongType(key, "an object reference");
    return objectForUid(value->uid());
}

QVariant KeyedUnarchiver::objectForUid(std::uint64_t uid)
{
    if (failed() || uid == 0)
        return {};
    if (!m_doc || uid >= m_objects.count) {
        fail(archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The archive refers to object %1, beyond its %2 objects.").arg(uid).arg(m_objects.count)));
        return {};
    }
    // A reader may have let the object go (a part it replaced) while another
    // reference still names it: it is read afresh, once.
    const bool lost = !liveObject(m_values[uid]) && objectFromVariant(m_values[uid]);
    if (lost && (m_readAgain[uid] || m_state[uid] == SlotState::Reading)) {
        fail(archiveError(ArchiveErrorCode::Damaged, QStringLiteral("Object %1 of the archive is used again after it was let go.").arg(uid)));
        return {};
    }
    switch (m_state[uid]) {
    case SlotState::Done:
        if (!lost)
            return m_values[uid];
        m_readAgain[uid] = true;
        m_state[uid] = SlotState::Unread;
        break;
    case SlotState::Reading:
        // An object being read is answered as itself; a value cannot be.
        if (m_values[uid].isValid())
            return m_values[uid];
        fail(archiveError(ArchiveErrorCode::Cycle, QStringLiteral("A value of the archive contains itself.")));
        return {};
    case SlotState::Unread:
        break;
    }

    const Result<BinaryPlistDocument::Ref> ref = m_doc->reference(m_objects, uid);
    Result<Object> stored = ref ? m_doc->object(*ref) : Result<Object>(ref.error());
    if (!stored) {
        fail(stored.error());
        return {};
    }
    const Object& v = *stored;
    QVariant result;
    switch (stored->type) {
    case PlistValue::Type::String:
        result = m_doc->string(v);
        break;
    case PlistValue::Type::Integer:
        result = v.flag ? QVariant(qulonglong(v.bits)) : QVariant(qlonglong(v.integer()));
        break;
    case PlistValue::Type::Real:
        result = v.flag ? QVariant(float(v.real)) : QVariant(v.real);
        break;
    case PlistValue::Type::Bool:
        result = v.bits != 0;
        break;
    case PlistValue::Type::Data:
        result = m_doc->data(v);
        break;
    case PlistValue::Type::Date: {
        const std::optional<QDateTime> date = dateFromReferenceSeconds(v.real);
        if (!date) {
            fail(archiveError(ArchiveErrorCode::WrongType, QStringLiteral("Object %1 of the archive is a date out of range.").arg(uid)));
            return {};
        }
        result = *date;
        break;
    }
    case PlistValue::Type::Dictionary:
        return decodeRecord(uid, *stored);
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

const KeyedUnarchiver::ClassInfo* KeyedUnarchiver::classOf(const Object& record, BinaryPlistDocument::KeyCursor& keys)
{
    const std::optional<Object> classRef = lookUp(record, QStringLiteral("$class"), keys);
    // The record's own keys are read from its start.
    keys.hint = 0;
    keys.last = 0;
    if (!classRef || classRef->type != PlistValue::Type::Uid || classRef->uid() >= m_objects.count)
        return nullptr;
    const std::uint64_t classUid = classRef->uid();
    if (auto it = m_classes.constFind(classUid); it != m_classes.constEnd())
        return &*it;
    const Result<BinaryPlistDocument::Ref> ref = m_doc->reference(m_objects, classUid);
    const Result<Object> classRecord = ref ? m_doc->object(*ref) : Result<Object>(ref.error());
    if (!classRecord || classRecord->type != PlistValue::Type::Dictionary)
        return nullptr;
    const std::optional<Object> name = findIn(*classRecord, QStringLiteral("$classname"));
    if (!name || name->type != PlistValue::Type::String)
        return nullptr;
    ClassInfo info;
    info.name = m_doc->string(*name);
    if (!info.name.isEmpty()) {
        info.factory = m_registry.factory(info.name);
        info.decoder = info.factory ? nullptr : m_registry.valueDecoder(info.name);
    }
    return &*m_classes.insert(classUid, std::move(info));
}

QVariant KeyedUnarchiver::decodeRecord(std::uint64_t uid, const Object& record)
{
    BinaryPlistDocument::KeyCursor keys;
    const ClassInfo* info = classOf(record, keys);
    if (!info || info->name.isEmpty()) {
        fail(archiveError(ArchiveErrorCode::Damaged, QStringLiteral("Object %1 of the archive has no valid class record.").arg(uid)));
        return {};
    }
    const QString& name = info->name;
    if (int(m_frames.size()) > m_limits.maxDepth) {
        fail(archiveError(ArchiveErrorCode::TooDeep, QStringLiteral("The archive's objects are nested more than %1 levels deep.").arg(m_limits.maxDepth)));
        return {};
    }

    if (const ClassRegistry::ObjectFactory* factory = info->factory) {
        QObject* object = (*factory)();
        m_madeAt.insert(object, m_made.size());
        m_made.emplace_back(object);
        Codable* codable = dynamic_cast<Codable*>(object);
        m_values[uid] = QVariant::fromValue(object);
        m_state[uid] = SlotState::Reading;
        m_frames.push_back(Frame {record, name, keys});
        codable->initWithCoder(*this);
        m_frames.pop_back();
        m_state[uid] = SlotState::Done;
        return failed() || !liveObject(m_values[uid]) ? QVariant() : m_values[uid];
    }
    if (const ClassRegistry::ValueDecoder* decoder = info->decoder) {
        m_state[uid] = SlotState::Reading;
        m_frames.push_back(Frame {record, name, keys});
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
    const std::optional<Object> value = find(key);
    if (!value)
        return false;
    if (value->type == PlistValue::Type::Bool || value->type == PlistValue::Type::Integer)
        return value->integer() != 0;
    wrongType(key, "a boolean");
    return false;
}

qint64 KeyedUnarchiver::decodeInt64(const QString& key)
{
    const std::optional<Object> value = find(key);
    if (!value)
        return 0;
    switch (value->type) {
    case PlistValue::Type::Bool:
        return (value->bits != 0) ? 1 : 0;
    case PlistValue::Type::Integer:
        if (!value->flag)
            return value->integer();
        break;
    case PlistValue::Type::Real: {
        // Reals are accepted where integers are asked for, as the platform
        // converts them, but only when they fit.
        const double d = value->real;
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
    const std::optional<Object> value = find(key);
    if (!value)
        return 0.0;
    switch (value->type) {
    case PlistValue::Type::Real:
        return value->real;
    case PlistValue::Type::Integer:
        return value->flag ? double(value->bits) : double(value->integer());
    case PlistValue::Type::Bool:
        return (value->bits != 0) ? 1.0 : 0.0;
    default:
        wrongType(key, "a number");
        return 0.0;
    }
}

float KeyedUnarchiver::decodeFloat(const QString& key)
{
    return narrowToFloat(decodeDouble(key));
}

// Geometry is stored as the platform's "{{x, y}, {w, h}}" strings; a missing
// key reads as zero.
template <class T>
T KeyedUnarchiver::decodeGeometry(const QString& key, std::optional<T> (*parse)(const QString&), const char* expected,
                                   T zero)
{
    const std::optional<Object> value = find(key);
    if (!value)
        return zero;
    if (value->type == PlistValue::Type::String)
        if (const std::optional<T> geometry = parse(m_doc->string(*value)))
            return *geometry;
    wrongType(key, expected);
    return zero;
}

QRectF KeyedUnarchiver::decodeRect(const QString& key)
{
    return decodeGeometry(key, rectFromString, "a rectangle", QRectF());
}

QPointF KeyedUnarchiver::decodePoint(const QString& key)
{
    return decodeGeometry(key, pointFromString, "a point", QPointF());
}

QSizeF KeyedUnarchiver::decodeSize(const QString& key)
{
    return decodeGeometry(key, sizeFromString, "a size", QSizeF(0, 0));
}

QByteArray KeyedUnarchiver::decodeBytes(const QString& key)
{
    const std::optional<Object> value = find(key);
    if (!value)
        return {};
    if (value->type == PlistValue::Type::Data)
        return m_doc->data(*value);
    wrongType(key, "data");
    return {};
}

QVariant KeyedUnarchiver::decodePrimitive(const QString& key)
{
    const std::optional<Object> value = find(key);
    return value ? primitiveValue(key, *value) : QVariant();
}

QVariant KeyedUnarchiver::primitiveValue(const QString& key, const Object& object)
{
    switch (object.type) {
    case PlistValue::Type::Bool:
        return (object.bits != 0);
    case PlistValue::Type::Integer:
        return object.flag ? QVariant(qulonglong(object.bits)) : QVariant(qlonglong(object.integer()));
    case PlistValue::Type::Real:
        return object.flag ? QVariant(float(object.real)) : QVariant(object.real);
    case PlistValue::Type::String:
        return m_doc->string(object);
    case PlistValue::Type::Data:
        return m_doc->data(object);
    default:
        return wrongType(key, "a value stored in place");
    }
}

bool KeyedUnarchiver::holdsObjectReference(const QString& key) const
{
    const std::optional<Object> value = find(key);
    return value && value->type == PlistValue::Type::Uid;
}

QVariant KeyedUnarchiver::decodeAny(const QString& key, bool* present)
{
    // One look-up: this is the path every model key takes.
    const std::optional<Object> value = find(key);
    if (present)
        *present = value.has_value();
    if (!value)
        return {};
    return value->type == PlistValue::Type::Uid ? objectForUid(value->uid()) : primitiveValue(key, *value);
}

QVariantList KeyedUnarchiver::decodeArrayOfObjects(const QString& key)
{
    const std::optional<Object> value = find(key);
    if (!value)
        return {};
    if (value->type != PlistValue::Type::Array) {
        wrongType(key, "an array of references");
        return {};
    }
    QVariantList result;
    result.reserve(qsizetype(value->count));
    for (std::uint64_t i = 0; i < value->count; ++i) {
        const Result<BinaryPlistDocument::Ref> ref = m_doc->reference(*value, i);
        const Result<Object> entry = ref ? m_doc->object(*ref) : Result<Object>(ref.error());
        if (!entry) {
            fail(entry.error());
            return {};
        }
        if (entry->type != PlistValue::Type::Uid) {
            wrongType(key, "an array of references");
            return {};
        }
        result.append(objectForUid(entry->uid()));
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
    m_madeAt.clear();
    m_values.clear();
}

QObject* KeyedUnarchiver::liveObject(const QVariant& value) const
{
    QObject* object = objectFromVariant(value);
    if (!object)
        return nullptr;
    // A lost object's address may hold another object by now: then the
    // entry names the newer one.
    const auto made = m_madeAt.constFind(object);
    return made == m_madeAt.constEnd() || m_made[*made] ? object : nullptr;
}

Result<DecodedObjects> KeyedUnarchiver::finish()
{
    if (m_finished)
        return archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("The archive was already finished."));
    if (!m_doc && !m_error)
        fail(archiveError(ArchiveErrorCode::NotAnArchive, QStringLiteral("No archive was opened.")));
    m_finished = true;
    if (m_error) {
        destroyAll();
        return *m_error;
    }
    m_values.clear();
    m_madeAt.clear();
    return DecodedObjects(std::exchange(m_made, {}));
}

} // namespace ql
