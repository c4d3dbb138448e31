// Reads a keyed archive written in the original platform's layout.
//
// Usage: open() the data, read the top-level keys (documents) or
// decodeRootObject() (everything else), then finish(). Inside
// Codable::initWithCoder the same decode calls read that object's keys.
//
// Only classes of the ClassRegistry are made; every value's kind is checked;
// depth, counts and size are bounded; an object met again while it is being
// read (a cycle) is answered with the same instance, never by recursing.
//
// Ownership: every object made while decoding belongs to the unarchiver until
// finish(). On success finish() returns a DecodedObjects that holds those no
// decoded object adopted as a QObject child. On failure (or when the
// unarchiver is destroyed without finish()) every object it made is deleted:
// pointers taken from decode calls must not be used unless finish() succeeded.
//
// Missing keys answer as the platform does: nil, NO, 0, the zero rectangle.
// A value of the wrong kind records an error and answers the same way; after
// the first error every decode call answers that way at once.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ArchiveLimits.h"
#include "platform/archive/BinaryPlistDocument.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/DecodedObjects.h"

#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QSet>
#include <QVariant>
#include <optional>

namespace ql {

class KeyedUnarchiver {
public:
    explicit KeyedUnarchiver(const ClassRegistry& registry, ArchiveLimits limits = {});
    ~KeyedUnarchiver();
    KeyedUnarchiver(const KeyedUnarchiver&) = delete;
    KeyedUnarchiver& operator=(const KeyedUnarchiver&) = delete;

    Status open(QByteArrayView data);

    bool containsValueForKey(const QString& key) const;
    // Keys of the current object (or the top level), without "$class".
    QStringList allKeys() const;
    // The archived class name of the record being read (for value decoders
    // that serve several names).
    QString currentClassName() const;

    QVariant decodeObject(const QString& key);
    QVariant decodeRootObject() { return decodeObject(QStringLiteral("root")); }
    // nullptr when missing or nil; an error when the object is of another class.
    template <class T>
    T* decodeObjectOfClass(const QString& key);
    // A list of objects of one class; an error for any other entry.
    template <class T>
    QList<T*> decodeListOfClass(const QString& key);
    // A value of one type (QString, QVariantList, Color, Image, ...); the
    // type's default when missing or nil, an error for another type.
    template <class T>
    T decodeValueOfType(const QString& key);
    // A number object with its kind: bool, qlonglong (or qulonglong above the
    // signed range), float or double; an empty QVariant when missing or nil.
    QVariant decodeNumber(const QString& key);

    bool decodeBool(const QString& key);
    qint32 decodeInt32(const QString& key);
    qint64 decodeInt64(const QString& key);
    qint64 decodeInteger(const QString& key) { return decodeInt64(key); }
    float decodeFloat(const QString& key);
    double decodeDouble(const QString& key);
    QRectF decodeRect(const QString& key);
    QPointF decodePoint(const QString& key);
    QSizeF decodeSize(const QString& key);
    QByteArray decodeBytes(const QString& key);
    // A value stored in place, as its kind: bool, qlonglong, float, double,
    // QString or QByteArray; an empty QVariant when missing.
    QVariant decodePrimitive(const QString& key);
    // Whether the key holds an object reference rather than a value in place.
    bool holdsObjectReference(const QString& key) const;
    // The object for a reference, else the value in place; `present` (when
    // given) tells a missing key from an archived nil.
    QVariant decodeAny(const QString& key, bool* present = nullptr);
    // An in-place array of object references (collections use it).
    QVariantList decodeArrayOfObjects(const QString& key);
    // The object a decoded value refers to; null for other values and for an
    // object of this reading that a reader has let go of since (a part it
    // replaced): a value decoded earlier may still name it.
    QObject* liveObject(const QVariant& value) const;

    // How many records of the opened archive are of the class, counted
    // before anything is made: a reader may refuse an archive that would
    // make more objects than it can hold. Damaged records are not counted
    // (reading them fails where they are used).
    qsizetype countRecordsOfClass(const QString& className) const;

    void fail(const Error& error);
    bool failed() const { return m_error.has_value(); }
    const Error& error() const { return *m_error; }

    // Ends decoding: the objects' owner on success, the first error otherwise.
    Result<DecodedObjects> finish();

private:
    enum class SlotState : std::uint8_t { Unread, Reading, Done };
    using Object = BinaryPlistDocument::Object;
    struct Frame {
        Object record;
        QString className;
        mutable BinaryPlistDocument::KeyCursor keys;
    };

    std::optional<Object> find(const QString& key) const;
    std::optional<Object> findIn(const Object& dictionary, const QString& key) const;
    std::optional<Object> lookUp(const Object& dictionary, const QString& key, BinaryPlistDocument::KeyCursor& cursor) const;
    QVariant objectForUid(std::uint64_t uid);
    QVariant decodeRecord(std::uint64_t uid, const Object& record);
    // What a class record names and how that class is read; made once per
    // class record of the archive.
    struct ClassInfo {
        QString name;
        const ClassRegistry::ObjectFactory* factory = nullptr;
        const ClassRegistry::ValueDecoder* decoder = nullptr;
    };
    const ClassInfo* classOf(const Object& record, BinaryPlistDocument::KeyCursor& keys);
    // `expected` in the user's words: "a number", "a list", ...
    QVariant wrongType(const QString& key, const QString& expected);
    QVariant primitiveValue(const QString& key, const Object& value);
    template <class T>
    T decodeGeometry(const QString& key, std::optional<T> (*parse)(const QString&), const char* expected, T zero);
    void typeError(const QString& what);
    bool checkType(const QVariant& value, QMetaType type, const QString& key);
    void recordError(const Error& error) const;
    void destroyAll();

    const ClassRegistry& m_registry;
    ArchiveLimits m_limits;
    std::optional<BinaryPlistDocument> m_doc;
    Object m_objects; // the "$objects" array
    std::vector<Frame> m_frames;
    std::vector<SlotState> m_state;
    std::vector<QVariant> m_values;
    QHash<std::uint64_t, ClassInfo> m_classes;
    std::vector<QPointer<QObject>> m_made;
    QHash<const QObject*, std::size_t> m_madeAt; // index in m_made
    // Objects read a second time, after a reader let the first go.
    std::vector<bool> m_readAgain;
    mutable std::optional<Error> m_error;
    bool m_finished = false;
};

template <class T>
T* KeyedUnarchiver::decodeObjectOfClass(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (!value.isValid() || failed())
        return nullptr;
    T* object = dynamic_cast<T*>(liveObject(value));
    if (!object)
        typeError(QStringLiteral("The value for “%1” is not an object of the expected class.").arg(key));
    return object;
}

template <class T>
QList<T*> KeyedUnarchiver::decodeListOfClass(const QString& key)
{
    QList<T*> result;
    const QVariant value = decodeObject(key);
    if (!value.isValid() || failed())
        return result;
    if (!checkType(value, QMetaType::fromType<QVariantList>(), key))
        return result;
    for (const QVariant& item : value.toList()) {
        T* object = dynamic_cast<T*>(liveObject(item));
        if (!object) {
            typeError(QStringLiteral("The list for “%1” holds an entry of another class.").arg(key));
            return {};
        }
        result.append(object);
    }
    return result;
}

template <class T>
T KeyedUnarchiver::decodeValueOfType(const QString& key)
{
    const QVariant value = decodeObject(key);
    if (!value.isValid() || failed() || !checkType(value, QMetaType::fromType<T>(), key))
        return T();
    return value.value<T>();
}

} // namespace ql
