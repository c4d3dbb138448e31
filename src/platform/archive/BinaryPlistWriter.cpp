#include "platform/archive/BinaryPlistWriter.h"

#include "platform/Unicode.h"
#include "platform/archive/ArchiveError.h"

#include <QHash>
#include <QLocale>
#include <QObject>
#include <cstring>
#include <limits>

namespace ql {

namespace {

int bytesFor(std::uint64_t value)
{
    if (value <= 0xFF)
        return 1;
    if (value <= 0xFFFF)
        return 2;
    if (value <= 0xFFFFFFFFu)
        return 4;
    return 8;
}

// The bytes written while they stay within a bound; past it, only how many
// they would be: a file too large to be read again is measured, never held.
class Output {
public:
    explicit Output(qint64 largest) : m_largest(largest) {}

    void append(char byte) { append(&byte, 1); }
    void append(const QByteArray& bytes) { append(bytes.constData(), bytes.size()); }
    void append(const char* bytes, qint64 count)
    {
        m_size += count;
        if (m_size > m_largest)
            m_bytes = QByteArray();
        else
            m_bytes.append(bytes, count);
    }
    qint64 size() const { return m_size; }
    bool fits() const { return m_size <= m_largest; }
    QByteArray bytes() const { return m_bytes; }

private:
    const qint64 m_largest;
    qint64 m_size = 0;
    QByteArray m_bytes;
};

void appendBigEndian(Output& out, std::uint64_t value, int bytes)
{
    char buffer[8] = {};
    for (int i = 0; i < bytes; ++i)
        buffer[i] = char((value >> (8 * (bytes - 1 - i))) & 0xFF);
    out.append(buffer, bytes);
}

class Writer {
public:
    explicit Writer(qint64 largest) : m_out(largest) {}
    // The objects written, and the output (whole unless it passed its bound).
    qsizetype run(const PlistValue& root);
    const Output& output() const { return m_out; }

private:
    struct Container {
        std::uint32_t index;
        bool dictionary;
        std::size_t firstChild; // into m_children
        std::size_t childCount; // entries (a dictionary's keys and values count twice)
    };

    std::uint32_t add(const PlistValue& value);
    std::uint32_t newLeaf();
    std::uint32_t addString(const QString& s);
    void writeMarker(int high, std::uint64_t count);
    void writeInteger(std::int64_t value);

    Output m_out;
    std::vector<std::uint64_t> m_offsets;
    std::vector<Container> m_containers;
    std::vector<std::uint32_t> m_children;
    QHash<QString, std::uint32_t> m_strings;
    QHash<QByteArray, std::uint32_t> m_data;
    QHash<std::int64_t, std::uint32_t> m_integers;
    QHash<std::uint64_t, std::uint32_t> m_bigIntegers;
    QHash<std::uint64_t, std::uint32_t> m_doubles;
    QHash<std::uint64_t, std::uint32_t> m_floats;
    QHash<std::uint64_t, std::uint32_t> m_dates;
    std::vector<std::int64_t> m_uids; // UIDs are small and dense: indexed directly
    QHash<const void*, std::uint32_t> m_shared;
    std::int64_t m_null = -1;
    std::int64_t m_bools[2] = {-1, -1};
};

std::uint32_t Writer::newLeaf()
{
    m_offsets.push_back(std::uint64_t(m_out.size()));
    return std::uint32_t(m_offsets.size() - 1);
}

void Writer::writeMarker(int high, std::uint64_t count)
{
    if (count < 15) {
        m_out.append(char((high << 4) | int(count)));
        return;
    }
    m_out.append(char((high << 4) | 0xF));
    const int bytes = bytesFor(count);
    m_out.append(char(0x10 | (bytes == 1 ? 0 : bytes == 2 ? 1 : bytes == 4 ? 2 : 3)));
    appendBigEndian(m_out, count, bytes);
}

void Writer::writeInteger(std::int64_t value)
{
    // Negative numbers always take eight bytes, as readers expect.
    const int bytes = value < 0 ? 8 : bytesFor(std::uint64_t(value));
    m_out.append(char(0x10 | (bytes == 1 ? 0 : bytes == 2 ? 1 : bytes == 4 ? 2 : 3)));
    appendBigEndian(m_out, std::uint64_t(value), bytes);
}

std::uint32_t Writer::addString(const QString& s)
{
    if (auto it = m_strings.constFind(s); it != m_strings.constEnd())
        return *it;
    const std::uint32_t index = newLeaf();
    bool ascii = true;
    for (QChar c : s) {
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        writeMarker(0x5, std::uint64_t(s.size()));
        m_out.append(s.toLatin1());
    } else {
        // A text that came in some way we did not clean is still saved in
        // a form every reader takes.
        QString text = s;
        replaceLoneSurrogates(text);
        writeMarker(0x6, std::uint64_t(text.size()));
        for (QChar c : std::as_const(text)) {
            m_out.append(char(c.unicode() >> 8));
            m_out.append(char(c.unicode() & 0xFF));
        }
    }
    m_strings.insert(s, index);
    return index;
}

template <class Key, class Fn>
std::uint32_t once(QHash<Key, std::uint32_t>& seen, const Key& key, Fn&& write)
{
    if (auto it = seen.constFind(key); it != seen.constEnd())
        return *it;
    const std::uint32_t index = write();
    seen.insert(key, index);
    return index;
}

std::uint32_t Writer::add(const PlistValue& value)
{
    using Type = PlistValue::Type;
    switch (value.type()) {
    case Type::Null:
        if (m_null < 0) {
            m_null = newLeaf();
            m_out.append(char(0x00));
        }
        return std::uint32_t(m_null);
    case Type::Bool: {
        std::int64_t& slot = m_bools[value.toBool() ? 1 : 0];
        if (slot < 0) {
            slot = newLeaf();
            m_out.append(char(value.toBool() ? 0x09 : 0x08));
        }
        return std::uint32_t(slot);
    }
    case Type::Integer:
        if (value.isBigUnsigned()) {
            return once(m_bigIntegers, value.toUnsigned(), [&] {
                const std::uint32_t index = newLeaf();
                m_out.append(char(0x14));
                appendBigEndian(m_out, 0, 8);
                appendBigEndian(m_out, value.toUnsigned(), 8);
                return index;
            });
        }
        return once(m_integers, value.toInteger(), [&] {
            const std::uint32_t index = newLeaf();
            writeInteger(value.toInteger());
            return index;
        });
    case Type::Real: {
        const double d = value.toReal();
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        if (value.isFloat32()) {
            return once(m_floats, bits, [&] {
                const std::uint32_t index = newLeaf();
                const float f = float(d);
                std::uint32_t fbits;
                std::memcpy(&fbits, &f, 4);
                m_out.append(char(0x22));
                appendBigEndian(m_out, fbits, 4);
                return index;
            });
        }
        return once(m_doubles, bits, [&] {
            const std::uint32_t index = newLeaf();
            m_out.append(char(0x23));
            appendBigEndian(m_out, bits, 8);
            return index;
        });
    }
    case Type::Date: {
        const double d = value.toDate();
        std::uint64_t bits;
        std::memcpy(&bits, &d, 8);
        return once(m_dates, bits, [&] {
            const std::uint32_t index = newLeaf();
            m_out.append(char(0x33));
            appendBigEndian(m_out, bits, 8);
            return index;
        });
    }
    case Type::Data:
        return once(m_data, value.toData(), [&] {
            const std::uint32_t index = newLeaf();
            writeMarker(0x4, std::uint64_t(value.toData().size()));
            m_out.append(value.toData());
            return index;
        });
    case Type::String:
        return addString(value.toString());
    case Type::Uid: {
        const std::uint64_t uid = value.toUid();
        if (uid < m_uids.size() && m_uids[uid] >= 0)
            return std::uint32_t(m_uids[uid]);
        const std::uint32_t index = newLeaf();
        const int bytes = bytesFor(uid);
        m_out.append(char(0x80 | (bytes - 1)));
        appendBigEndian(m_out, uid, bytes);
        if (uid < (std::uint64_t(1) << 26)) {
            if (uid >= m_uids.size())
                m_uids.resize(std::size_t(uid) * 2 + 16, -1);
            m_uids[uid] = index;
        }
        return index;
    }
    case Type::Array:
    case Type::Dictionary:
        break;
    }

    const void* identity = value.containerIdentity();
    if (identity) {
        if (auto it = m_shared.constFind(identity); it != m_shared.constEnd())
            return *it;
    }
    // Containers are written last, once the reference size is known.
    m_offsets.push_back(0);
    const std::uint32_t index = std::uint32_t(m_offsets.size() - 1);
    if (identity)
        m_shared.insert(identity, index);
    const bool dictionary = value.type() == Type::Dictionary;
    std::vector<std::uint32_t> children;
    if (dictionary) {
        const PlistValue::Dictionary& entries = value.toDictionary();
        children.resize(entries.size() * 2);
        for (std::size_t i = 0; i < entries.size(); ++i)
            children[i] = addString(entries[i].first);
        for (std::size_t i = 0; i < entries.size(); ++i)
            children[entries.size() + i] = add(entries[i].second);
    } else {
        const PlistValue::Array& items = value.toArray();
        children.reserve(items.size());
        for (const PlistValue& item : items)
            children.push_back(add(item));
    }
    m_containers.push_back(Container {index, dictionary, m_children.size(), children.size()});
    m_children.insert(m_children.end(), children.begin(), children.end());
    return index;
}

qsizetype Writer::run(const PlistValue& root)
{
    m_out.append(QByteArrayLiteral("bplist00"));
    const std::uint32_t top = add(root);
    const int refSize = bytesFor(m_offsets.empty() ? 0 : m_offsets.size() - 1);
    for (const Container& c : m_containers) {
        m_offsets[c.index] = std::uint64_t(m_out.size());
        writeMarker(c.dictionary ? 0xD : 0xA, c.dictionary ? c.childCount / 2 : c.childCount);
        for (std::size_t i = 0; i < c.childCount; ++i)
            appendBigEndian(m_out, m_children[c.firstChild + i], refSize);
    }
    const std::uint64_t tableOffset = std::uint64_t(m_out.size());
    const int offsetSize = bytesFor(tableOffset);
    for (std::uint64_t offset : m_offsets)
        appendBigEndian(m_out, offset, offsetSize);
    m_out.append(QByteArray(6, '\0'));
    m_out.append(char(offsetSize));
    m_out.append(char(refSize));
    appendBigEndian(m_out, m_offsets.size(), 8);
    appendBigEndian(m_out, top, 8);
    appendBigEndian(m_out, tableOffset, 8);
    return qsizetype(m_offsets.size());
}

} // namespace

QByteArray writeBinaryPlist(const PlistValue& root)
{
    Writer writer(std::numeric_limits<qint64>::max());
    writer.run(root);
    return writer.output().bytes();
}

Result<QByteArray> writeBinaryPlist(const PlistValue& root, const ArchiveLimits& limits)
{
    Writer writer(limits.maxBytes);
    const qsizetype objects = writer.run(root);
    const QLocale locale;
    if (!writer.output().fits()) {
        // In whole megabytes, rounded up: a file one byte too large is not
        // said to be the size of the limit.
        constexpr qint64 megabyte = qint64(1) << 20;
        return archiveError(ArchiveErrorCode::TooLarge,
                            QObject::tr("It would take %1 MB, and no file of more than %2 MB can be opened.")
                                .arg(locale.toString((writer.output().size() + megabyte - 1) / megabyte),
                                     locale.toString(qint64(limits.maxBytes) / megabyte)));
    }
    if (objects > limits.maxObjects)
        return archiveError(ArchiveErrorCode::TooLarge,
                            QObject::tr("It would hold %1 objects, and no file of more than %2 can be opened.")
                                .arg(locale.toString(qint64(objects)), locale.toString(qint64(limits.maxObjects))));
    return writer.output().bytes();
}

} // namespace ql
