// A model class's archive record, declared once as a list of keys: each key
// with its coding (bool, integer, 32-bit float, number or value object,
// rectangle, point) and the field it stores. Writing follows the list's
// order. Reading is forgiving: a key that is missing, or that holds another
// kind than its coding, leaves the field at its default, so that an old or
// damaged record loses that one setting and nothing else.
#pragma once

#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/Image.h"
#include "platform/object/ValueKind.h"

#include <QList>
#include <QObject>
#include <QRectF>
#include <QVariant>
#include <functional>
#include <vector>

namespace ql::fields {

// The raw value under a key (an object, or a value stored in place); null
// when the key is missing.
QVariant readRaw(KeyedUnarchiver& coder, const QString& key);

// Each reader returns whether it changed the field.
bool readBool(KeyedUnarchiver& coder, const QString& key, bool& field);
bool readInt(KeyedUnarchiver& coder, const QString& key, int& field);
bool readInt(KeyedUnarchiver& coder, const QString& key, qint64& field);
bool readFloat(KeyedUnarchiver& coder, const QString& key, double& field);
bool readFloat(KeyedUnarchiver& coder, const QString& key, float& field);
// A number object (integers within 32 bits read as int); null stays null.
bool readNumber(KeyedUnarchiver& coder, const QString& key, QVariant& field);
bool readString(KeyedUnarchiver& coder, const QString& key, QString& field);
// The strings of a list (other entries are skipped).
bool readStrings(KeyedUnarchiver& coder, const QString& key, QStringList& field);
bool readRect(KeyedUnarchiver& coder, const QString& key, QRectF& field);
bool readPoint(KeyedUnarchiver& coder, const QString& key, QPointF& field);
// A platform value object (colour, gradient, list, ...) of one type.
template <class T>
bool readValue(KeyedUnarchiver& coder, const QString& key, QVariant& field)
{
    const QVariant value = readRaw(coder, key);
    if (value.metaType() != QMetaType::fromType<T>())
        return false;
    field = value;
    return true;
}

// An image stored as data; a null image when missing or empty. Data that
// does not decode is kept as an undecodable picture, to be written back.
ql::Image readImageData(KeyedUnarchiver& coder, const QString& key);
// Writes the image's data (nothing for a null image).
void writeImageData(KeyedArchiver& coder, const QString& key, const ql::Image& image);
// Writes encoded picture data; a picture that could not be encoded fails
// the archive, saying why, rather than being left out of it.
void writeEncodedImage(KeyedArchiver& coder, const QString& key, const Result<QByteArray>& data);

// An object of class T under the key, or null.
template <class T>
T* readObject(KeyedUnarchiver& coder, const QString& key)
{
    return qobject_cast<T*>(coder.liveObject(readRaw(coder, key)));
}
// An object that is to become a part of its reader: of class T and not
// already claimed by another owner in the same archive.
template <class T>
T* readPart(KeyedUnarchiver& coder, const QString& key)
{
    T* part = readObject<T>(coder, key);
    return part && !part->parent() ? part : nullptr;
}
// The entries of a list under the key that are objects of class T.
template <class T>
QList<T*> readObjects(KeyedUnarchiver& coder, const QString& key)
{
    QList<T*> objects;
    const QVariant value = readRaw(coder, key);
    if (value.metaType() != QMetaType::fromType<QVariantList>())
        return objects;
    for (const QVariant& item : value.toList()) {
        if (T* object = qobject_cast<T*>(coder.liveObject(item)))
            objects.append(object);
    }
    return objects;
}

inline QVariant objectValue(const QObject* object)
{
    return object ? QVariant::fromValue(const_cast<QObject*>(object)) : QVariant();
}

// One key of a class's record.
template <class C>
struct Key {
    QString name;
    std::function<void(const C&, KeyedArchiver&, const QString&)> write;
    std::function<void(C&, KeyedUnarchiver&, const QString&)> read;
};

template <class C>
class Record {
public:
    Record& boolean(const char* name, bool C::*field)
    {
        return add(name, [field](const C& o, KeyedArchiver& c, const QString& k) { c.encodeBool(k, o.*field); },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readBool(c, k, o.*field); });
    }
    template <class I>
        requires(std::is_same_v<I, int> || std::is_same_v<I, qint64>)
    Record& integer(const char* name, I C::*field)
    {
        return add(name, [field](const C& o, KeyedArchiver& c, const QString& k) { c.encodeInteger(k, o.*field); },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readInt(c, k, o.*field); });
    }
    template <class F>
    Record& float32(const char* name, F C::*field)
    {
        return add(name, [field](const C& o, KeyedArchiver& c, const QString& k) { c.encodeFloat(k, o.*field); },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readFloat(c, k, o.*field); });
    }
    Record& number(const char* name, QVariant C::*field)
    {
        return add(name, [field](const C& o, KeyedArchiver& c, const QString& k) { c.encodeObject(k, o.*field); },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readNumber(c, k, o.*field); });
    }
    // A platform value object of type T held in a QVariant field.
    template <class T>
    Record& value(const char* name, QVariant C::*field)
    {
        return add(name, [field](const C& o, KeyedArchiver& c, const QString& k) { c.encodeObject(k, o.*field); },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readValue<T>(c, k, o.*field); });
    }
    Record& string(const char* name, QString C::*field)
    {
        return add(name,
                   [field](const C& o, KeyedArchiver& c, const QString& k) {
                       c.encodeObject(k, (o.*field).isNull() ? QVariant() : QVariant(o.*field));
                   },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readString(c, k, o.*field); });
    }
    Record& rect(const char* name, QRectF C::*field)
    {
        return add(name, [field](const C& o, KeyedArchiver& c, const QString& k) { c.encodeRect(k, o.*field); },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readRect(c, k, o.*field); });
    }
    Record& point(const char* name, QPointF C::*field)
    {
        return add(name, [field](const C& o, KeyedArchiver& c, const QString& k) { c.encodePoint(k, o.*field); },
                   [field](C& o, KeyedUnarchiver& c, const QString& k) { readPoint(c, k, o.*field); });
    }
    // A key with its own writing and reading (objects the record owns or
    // shares); an empty reader leaves the key to code that runs afterwards.
    Record& custom(const char* name, std::function<void(const C&, KeyedArchiver&, const QString&)> write,
                   std::function<void(C&, KeyedUnarchiver&, const QString&)> read = {})
    {
        return add(name, std::move(write), std::move(read));
    }

    void encode(const C& object, KeyedArchiver& coder) const
    {
        for (const Key<C>& key : m_keys)
            key.write(object, coder, key.name);
    }
    void decode(C& object, KeyedUnarchiver& coder) const
    {
        for (const Key<C>& key : m_keys) {
            if (key.read)
                key.read(object, coder, key.name);
        }
    }
    // Reads the named keys in the given order, for records whose readers
    // take their keys in another order than the writer puts them.
    void decode(C& object, KeyedUnarchiver& coder, const QStringList& order) const
    {
        inOrder(order).decode(object, coder);
    }
    // The named keys in the given order: a record to keep for reading, so
    // that the names are matched once rather than on every read.
    Record inOrder(const QStringList& order) const
    {
        Record ordered;
        for (const QString& name : order) {
            for (const Key<C>& key : m_keys) {
                if (key.name == name && key.read)
                    ordered.m_keys.push_back(key);
            }
        }
        return ordered;
    }
    QStringList keyNames() const
    {
        QStringList names;
        for (const Key<C>& key : m_keys)
            names.append(key.name);
        return names;
    }

private:
    Record& add(const char* name, std::function<void(const C&, KeyedArchiver&, const QString&)> write,
                std::function<void(C&, KeyedUnarchiver&, const QString&)> read)
    {
        m_keys.push_back({QString::fromLatin1(name), std::move(write), std::move(read)});
        return *this;
    }

    std::vector<Key<C>> m_keys;
};

} // namespace ql::fields
