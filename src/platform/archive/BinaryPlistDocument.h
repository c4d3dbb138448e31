// Random access to the objects of a binary property list ("bplist00")
// without building a tree: an object is read when asked for, and containers
// hand out the references of their entries. Every offset, length and
// reference is checked against the file. Keyed archives are read this way,
// so that a large document costs little more than one pass over its bytes.
#pragma once

#include "platform/Error.h"
#include "platform/archive/ArchiveLimits.h"
#include "platform/archive/PlistValue.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QStringView>
#include <QtEndian>
#include <vector>

namespace ql {

class BinaryPlistDocument {
public:
    using Ref = std::uint64_t;

    // One object as stored, read without allocating: containers are not
    // followed and strings and data stay in the file until asked for.
    struct Object {
        PlistValue::Type type = PlistValue::Type::Null;
        bool flag = false;        // a 4-byte real, or an integer above the signed range
        int encoding = 0;         // strings: 0x5 ASCII, 0x6 UTF-16, 0x7 UTF-8
        std::uint64_t bits = 0;   // booleans, integers and UIDs
        double real = 0.0;        // reals and dates
        std::uint64_t count = 0;  // container entries (dictionary pairs), characters or bytes
        std::uint64_t at = 0;     // offset of a container's references, or of the bytes

        std::uint64_t uid() const { return bits; }
        std::int64_t integer() const { return std::int64_t(bits); }
    };

    static Result<BinaryPlistDocument> open(QByteArrayView data, const ArchiveLimits& limits = {});

    Ref top() const { return m_top; }
    std::uint64_t objectCount() const { return m_count; }

    Result<Object> object(Ref ref) const;
    // The contents of strings and data objects. A large data object is
    // copied out once: every reader of it shares that copy.
    QString string(const Object& o) const;
    QByteArray data(const Object& o) const;
    // An ASCII string's bytes in place; empty for other encodings.
    QByteArrayView asciiBytes(const Object& o) const;
    // Any object but a container as a value.
    PlistValue value(const Object& o) const;
    // Entry i of an array; for a dictionary, key i, and value i at count + i.
    Result<Ref> reference(const Object& container, std::uint64_t index) const
    {
        // The container's extent was checked when it was read.
        const Ref ref = readBigEndian(m_data + container.at + index * std::uint64_t(m_refSize), m_refSize);
        if (ref >= m_count)
            return badReference(ref);
        return ref;
    }
    // Whether the object is a string equal to text (without making a QString).
    Result<bool> stringEquals(Ref ref, QStringView text) const;
    // Where look-ups in one dictionary stand: keys are mostly read in the
    // order written, and a dictionary is checked once for repeated keys.
    // A key is often asked for twice in a row (is it there, then its
    // value), so the last one found is tried first.
    struct KeyCursor {
        enum class Keys : std::uint8_t { Unchecked, Distinct, Repeated };
        std::uint64_t hint = 0;
        std::uint64_t last = 0; // one past the entry last found; 0 for none
        Keys keys = Keys::Unchecked;
    };
    // The value of a dictionary's key; nullopt when the key is absent. A key
    // listed twice answers its last entry, as other readers of the format do.
    Result<std::optional<Ref>> find(const Object& dictionary, const QString& key, KeyCursor& cursor) const;
    // Whether a dictionary lists a key more than once.
    Result<bool> repeatsKeys(const Object& dictionary) const;

    static std::uint64_t readBigEndian(const uchar* p, int bytes)
    {
        switch (bytes) {
        case 1:
            return p[0];
        case 2:
            return qFromBigEndian<quint16>(p);
        case 4:
            return qFromBigEndian<quint32>(p);
        case 8:
            return qFromBigEndian<quint64>(p);
        default: {
            std::uint64_t v = 0;
            for (int i = 0; i < bytes; ++i)
                v = (v << 8) | p[i];
            return v;
        }
        }
    }

private:
    BinaryPlistDocument() = default;
    Error badReference(Ref ref) const;
    Error damaged(const QString& message) const;
    // Objects live between the header and the offset table.
    bool fits(std::uint64_t offset, std::uint64_t bytes) const
    {
        return offset >= 8 && offset <= m_tableOffset && bytes <= m_tableOffset - offset;
    }
    Result<std::uint64_t> length(std::uint64_t& cursor, int low) const;
    // Key texts are interned: every key object gets the number of its text
    // (the same for any encoding), made once however many records repeat
    // it; checks for repeated keys then compare numbers, and look-ups
    // compare the text made once with the key asked for.
    static constexpr std::uint32_t kNotAString = 1;
    std::uint32_t internedKey(const QString& text) const;
    Result<std::uint32_t> keyId(Ref ref) const;
    // The number of a key text asked for, 0 when no key of the file read
    // so far has that text. Look-ups name their keys with strings that
    // outlive them (literals, record tables), so the answer is also kept by
    // the string's address: most look-ups then neither hash nor compare
    // text. An entry holds a copy of its string, so that the address cannot
    // be reused for other text while the entry remembers it; a "none" holds
    // only until more key texts are met.
    std::uint32_t textId(const QString& key) const;
    struct KeySlot {
        QString text;
        std::uint32_t id = 0;
        std::size_t textsMet = 0;
    };
    // Strings made for one look-up each would fill the table: it starts
    // again when it grows this large.
    static constexpr qsizetype kMaxKeySlots = 4096;

    QByteArray m_bytes;
    const uchar* m_data = nullptr;
    std::uint64_t m_size = 0;
    ArchiveLimits m_limits;
    int m_offsetSize = 0;
    int m_refSize = 0;
    std::uint64_t m_count = 0;
    std::uint64_t m_top = 0;
    std::uint64_t m_tableOffset = 0;
    // Caches filled while reading (a document is read by one thread at a time).
    mutable QHash<QString, std::uint32_t> m_keyTexts;
    mutable std::vector<QString> m_keyTextOf;     // by key number
    // By key number: the string the key was last found with. Held, so that
    // its address stands for its text while it is kept.
    mutable std::vector<QString> m_keyAskedAs;
    mutable std::vector<std::uint32_t> m_keyIds;  // by object; 0 until known
    mutable std::vector<std::uint32_t> m_keySeen; // by key number: the check that last met it
    mutable std::uint32_t m_keyCheck = 0;
    mutable QHash<const QChar*, KeySlot> m_keySlots;
    mutable QHash<std::uint64_t, QByteArray> m_largeData; // by offset
};

} // namespace ql
