#include "platform/archive/BinaryPlistDocument.h"

#include "platform/Unicode.h"
#include "platform/archive/ArchiveError.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace ql {

namespace {

constexpr std::uint64_t headerSize = 8;
constexpr std::uint64_t trailerSize = 32;

} // namespace

Result<BinaryPlistDocument> BinaryPlistDocument::open(QByteArrayView data, const ArchiveLimits& limits)
{
    if (std::uint64_t(data.size()) < headerSize + trailerSize || std::memcmp(data.data(), "bplist00", 8) != 0)
        return archiveError(ArchiveErrorCode::NotAPropertyList, QStringLiteral("The file is not a binary property list."));
    if (data.size() > limits.maxBytes)
        return archiveError(ArchiveErrorCode::TooLarge, QStringLiteral("The file is larger than %1 bytes.").arg(limits.maxBytes));

    BinaryPlistDocument doc;
    doc.m_bytes = data.toByteArray();
    doc.m_data = reinterpret_cast<const uchar*>(doc.m_bytes.constData());
    doc.m_size = std::uint64_t(doc.m_bytes.size());
    doc.m_limits = limits;
    const uchar* trailer = doc.m_data + doc.m_size - trailerSize;
    doc.m_offsetSize = trailer[6];
    doc.m_refSize = trailer[7];
    doc.m_count = readBigEndian(trailer + 8, 8);
    doc.m_top = readBigEndian(trailer + 16, 8);
    doc.m_tableOffset = readBigEndian(trailer + 24, 8);
    const std::uint64_t objectsEnd = doc.m_size - trailerSize;

    if (doc.m_offsetSize < 1 || doc.m_offsetSize > 8 || doc.m_refSize < 1 || doc.m_refSize > 8)
        return archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The property list has invalid offset or reference sizes."));
    if (doc.m_count == 0 || doc.m_top >= doc.m_count)
        return archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The property list's top object is out of range."));
    if (doc.m_count > std::uint64_t(limits.maxObjects))
        return archiveError(ArchiveErrorCode::TooLarge, QStringLiteral("The property list holds more than %1 objects.").arg(limits.maxObjects));
    if (doc.m_tableOffset < headerSize || doc.m_tableOffset > objectsEnd
        || doc.m_count > (objectsEnd - doc.m_tableOffset) / std::uint64_t(doc.m_offsetSize))
        return archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The property list's offset table lies outside the file."));
    return doc;
}

Error BinaryPlistDocument::damaged(const QString& message) const
{
    return archiveError(ArchiveErrorCode::Damaged, message);
}

Result<std::uint64_t> BinaryPlistDocument::length(std::uint64_t& cursor, int low) const
{
    if (low != 0xF)
        return std::uint64_t(low);
    if (!fits(cursor, 1))
        return damaged(QStringLiteral("An object of the property list runs past the end of its data."));
    const uchar marker = m_data[cursor];
    if ((marker >> 4) != 0x1 || (marker & 0xF) > 3)
        return damaged(QStringLiteral("A length in the property list is not an integer."));
    const int bytes = 1 << (marker & 0xF);
    if (!fits(cursor + 1, std::uint64_t(bytes)))
        return damaged(QStringLiteral("An object of the property list runs past the end of its data."));
    const std::uint64_t value = readBigEndian(m_data + cursor + 1, bytes);
    cursor += 1 + std::uint64_t(bytes);
    return value;
}

Error BinaryPlistDocument::badReference(Ref ref) const
{
    return damaged(QStringLiteral("The property list refers to object %1 of %2.").arg(ref).arg(m_count));
}

QString BinaryPlistDocument::string(const Object& o) const
{
    if (o.type != PlistValue::Type::String)
        return {};
    const char* p = reinterpret_cast<const char*>(m_data + o.at);
    if (o.encoding == 0x5)
        return QString::fromLatin1(p, qsizetype(o.count));
    if (o.encoding == 0x7)
        return QString::fromUtf8(p, qsizetype(o.count));
    QString s(qsizetype(o.count), Qt::Uninitialized);
    QChar* out = s.data();
    for (std::uint64_t i = 0; i < o.count; ++i)
        out[i] = QChar(char16_t(readBigEndian(m_data + o.at + 2 * i, 2)));
    replaceLoneSurrogates(s);
    return s;
}

QByteArray BinaryPlistDocument::data(const Object& o) const
{
    if (o.type != PlistValue::Type::Data)
        return {};
    // Pictures are stored once and read by every element showing them.
    constexpr std::uint64_t kShared = 4096;
    if (o.count < kShared)
        return QByteArray(reinterpret_cast<const char*>(m_data + o.at), qsizetype(o.count));
    QByteArray& kept = m_largeData[o.at];
    if (kept.size() != qsizetype(o.count))
        kept = QByteArray(reinterpret_cast<const char*>(m_data + o.at), qsizetype(o.count));
    return kept;
}

QByteArrayView BinaryPlistDocument::asciiBytes(const Object& o) const
{
    if (o.type != PlistValue::Type::String || o.encoding != 0x5)
        return {};
    return QByteArrayView(reinterpret_cast<const char*>(m_data + o.at), qsizetype(o.count));
}

PlistValue BinaryPlistDocument::value(const Object& o) const
{
    switch (o.type) {
    case PlistValue::Type::Bool: return PlistValue::boolean(o.bits != 0);
    case PlistValue::Type::Integer: return o.flag ? PlistValue::unsignedInteger(o.bits) : PlistValue::integer(o.integer());
    case PlistValue::Type::Real: return o.flag ? PlistValue::float32(float(o.real)) : PlistValue::real(o.real);
    case PlistValue::Type::Date: return PlistValue::date(o.real);
    case PlistValue::Type::Data: return PlistValue::data(data(o));
    case PlistValue::Type::String: return PlistValue::string(string(o));
    case PlistValue::Type::Uid: return PlistValue::uid(o.bits);
    default: return PlistValue();
    }
}

Result<BinaryPlistDocument::Object> BinaryPlistDocument::object(Ref ref) const
{
    if (ref >= m_count)
        return damaged(QStringLiteral("The property list refers to object %1 of %2.").arg(ref).arg(m_count));
    const std::uint64_t offset = readBigEndian(m_data + m_tableOffset + ref * std::uint64_t(m_offsetSize), m_offsetSize);
    // Made only on failure: reading objects is the hot path of every load.
    const auto overrun = [this] { return damaged(QStringLiteral("An object of the property list runs past the end of its data.")); };
    if (!fits(offset, 1))
        return overrun();
    const uchar marker = m_data[offset];
    const int high = marker >> 4;
    const int low = marker & 0xF;
    std::uint64_t cursor = offset + 1;
    Object o;

    switch (high) {
    case 0x0:
        if (marker == 0x00)
            return o;
        if (marker == 0x08 || marker == 0x09) {
            o.type = PlistValue::Type::Bool;
            o.bits = marker == 0x09 ? 1 : 0;
            return o;
        }
        break;
    case 0x1: {
        if (low > 4)
            break;
        const int bytes = 1 << low;
        if (!fits(cursor, std::uint64_t(bytes)))
            return overrun();
        o.type = PlistValue::Type::Integer;
        if (bytes <= 8) {
            o.bits = readBigEndian(m_data + cursor, bytes);
            return o;
        }
        // 128-bit: what fits in 64 bits is read, the rest is out of range.
        const std::uint64_t upper = readBigEndian(m_data + cursor, 8);
        const std::uint64_t lower = readBigEndian(m_data + cursor + 8, 8);
        if (upper == 0) {
            o.bits = lower;
            o.flag = lower > std::uint64_t(INT64_MAX);
        } else if (upper == ~std::uint64_t(0) && std::int64_t(lower) < 0) {
            o.bits = lower;
        } else
            return damaged(QStringLiteral("An integer of the property list does not fit in 64 bits."));
        return o;
    }
    case 0x2:
    case 0x3: {
        const int bytes = marker == 0x22 ? 4 : marker == 0x23 || marker == 0x33 ? 8 : 0;
        if (bytes == 0)
            break;
        if (!fits(cursor, std::uint64_t(bytes)))
            return overrun();
        const std::uint64_t bits = readBigEndian(m_data + cursor, bytes);
        if (bytes == 4) {
            float f;
            const std::uint32_t b32 = std::uint32_t(bits);
            std::memcpy(&f, &b32, 4);
            o.type = PlistValue::Type::Real;
            o.flag = true;
            o.real = double(f);
            return o;
        }
        double d;
        std::memcpy(&d, &bits, 8);
        o.type = high == 0x2 ? PlistValue::Type::Real : PlistValue::Type::Date;
        o.real = d;
        return o;
    }
    case 0x4:
    case 0x5:
    case 0x6:
    case 0x7: {
        const Result<std::uint64_t> n = length(cursor, low);
        if (!n)
            return n.error();
        const std::uint64_t unit = high == 0x6 ? 2 : 1;
        if (*n > m_size || !fits(cursor, *n * unit))
            return overrun();
        o.type = high == 0x4 ? PlistValue::Type::Data : PlistValue::Type::String;
        o.encoding = high;
        o.count = *n;
        o.at = cursor;
        return o;
    }
    case 0x8:
        if (low > 7)
            break;
        if (!fits(cursor, std::uint64_t(low) + 1))
            return overrun();
        o.type = PlistValue::Type::Uid;
        o.bits = readBigEndian(m_data + cursor, low + 1);
        return o;
    case 0xA:
    case 0xC:
    case 0xD: {
        const Result<std::uint64_t> n = length(cursor, low);
        if (!n)
            return n.error();
        if (*n > std::uint64_t(m_limits.maxCollectionCount))
            return archiveError(ArchiveErrorCode::TooLarge,
                                QStringLiteral("A container of the property list holds more than %1 entries.").arg(m_limits.maxCollectionCount));
        const std::uint64_t refs = high == 0xD ? *n * 2 : *n;
        if (!fits(cursor, refs * std::uint64_t(m_refSize)))
            return overrun();
        o.type = high == 0xD ? PlistValue::Type::Dictionary : PlistValue::Type::Array;
        o.count = *n;
        o.at = cursor;
        return o;
    }
    default:
        break;
    }
    return damaged(QStringLiteral("The property list holds an object of unknown kind 0x%1.").arg(int(marker), 2, 16, QLatin1Char('0')));
}

Result<bool> BinaryPlistDocument::stringEquals(Ref ref, QStringView text) const
{
    if (ref >= m_count)
        return damaged(QStringLiteral("The property list refers to object %1 of %2.").arg(ref).arg(m_count));
    const std::uint64_t offset = readBigEndian(m_data + m_tableOffset + ref * std::uint64_t(m_offsetSize), m_offsetSize);
    if (!fits(offset, 1))
        return damaged(QStringLiteral("An object of the property list runs past the end of its data."));
    const uchar marker = m_data[offset];
    const int high = marker >> 4;
    if (high == 0x5 || high == 0x6) {
        // Fast path for keys: compare in place.
        std::uint64_t cursor = offset + 1;
        const Result<std::uint64_t> n = length(cursor, marker & 0xF);
        if (!n)
            return n.error();
        const std::uint64_t unit = high == 0x6 ? 2 : 1;
        if (*n > m_size || !fits(cursor, *n * unit))
            return damaged(QStringLiteral("An object of the property list runs past the end of its data."));
        if (*n != std::uint64_t(text.size()))
            return false;
        if (high == 0x5)
            return QLatin1StringView(reinterpret_cast<const char*>(m_data + cursor), qsizetype(*n)) == text;
        for (std::uint64_t i = 0; i < *n; ++i)
            if (char16_t(readBigEndian(m_data + cursor + 2 * i, 2)) != text[qsizetype(i)].unicode())
                return false;
        return true;
    }
    const Result<Object> o = object(ref);
    if (!o)
        return o.error();
    return o->type == PlistValue::Type::String && string(*o) == text;
}

std::uint32_t BinaryPlistDocument::internedKey(const QString& text) const
{
    const auto found = m_keyTexts.constFind(text);
    if (found != m_keyTexts.constEnd())
        return *found;
    if (m_keyTextOf.empty())
        m_keyTextOf.resize(kNotAString + 1);
    const std::uint32_t id = std::uint32_t(m_keyTextOf.size());
    m_keyTexts.insert(text, id);
    m_keyTextOf.push_back(text);
    m_keyAskedAs.resize(m_keyTextOf.size());
    return id;
}

std::uint32_t BinaryPlistDocument::textId(const QString& key) const
{
    const auto kept = m_keySlots.constFind(key.constData());
    if (kept != m_keySlots.constEnd() && kept->text.size() == key.size()
        && (kept->id != 0 || kept->textsMet == m_keyTextOf.size()))
        return kept->id;
    const auto known = m_keyTexts.constFind(key);
    const std::uint32_t id = known == m_keyTexts.constEnd() ? 0 : *known;
    if (m_keySlots.size() >= kMaxKeySlots)
        m_keySlots.clear();
    m_keySlots.insert(key.constData(), KeySlot {key, id, m_keyTextOf.size()});
    return id;
}

Result<std::uint32_t> BinaryPlistDocument::keyId(Ref ref) const
{
    if (ref >= m_count)
        return badReference(ref);
    if (m_keyIds.empty())
        m_keyIds.assign(m_count, 0);
    if (const std::uint32_t known = m_keyIds[ref])
        return known;
    const Result<Object> o = object(ref);
    if (!o)
        return o.error();
    const std::uint32_t id = o->type == PlistValue::Type::String ? internedKey(string(*o)) : kNotAString;
    m_keyIds[ref] = id;
    return id;
}

Result<bool> BinaryPlistDocument::repeatsKeys(const Object& dictionary) const
{
    if (++m_keyCheck == 0) {
        // The check numbers went round: forget which check met which key.
        std::fill(m_keySeen.begin(), m_keySeen.end(), 0);
        m_keyCheck = 1;
    }
    for (std::uint64_t i = 0; i < dictionary.count; ++i) {
        const Result<Ref> ref = reference(dictionary, i);
        if (!ref)
            return ref.error();
        const Result<std::uint32_t> id = keyId(*ref);
        if (!id)
            return id.error();
        if (*id == kNotAString)
            continue;
        if (*id >= m_keySeen.size())
            m_keySeen.resize(std::max<std::size_t>(*id + 1, 2 * m_keySeen.size()), 0);
        if (m_keySeen[*id] == m_keyCheck)
            return true;
        m_keySeen[*id] = m_keyCheck;
    }
    return false;
}

Result<std::optional<BinaryPlistDocument::Ref>> BinaryPlistDocument::find(const Object& dictionary, const QString& key,
                                                                          KeyCursor& cursor) const
{
    const std::uint64_t n = dictionary.count;
    if (cursor.keys == KeyCursor::Keys::Unchecked && n > 1) {
        const Result<bool> repeated = repeatsKeys(dictionary);
        if (!repeated)
            return repeated.error();
        cursor.keys = *repeated ? KeyCursor::Keys::Repeated : KeyCursor::Keys::Distinct;
    }
    const auto idAt = [&](std::uint64_t at) -> Result<std::uint32_t> {
        const Result<Ref> keyRef = reference(dictionary, at);
        if (!keyRef)
            return keyRef.error();
        return keyId(*keyRef);
    };
    const auto found = [&](std::uint64_t at) -> Result<std::optional<Ref>> {
        cursor.hint = at + 1;
        cursor.last = at + 1;
        const Result<Ref> valueRef = reference(dictionary, n + at);
        if (!valueRef)
            return valueRef.error();
        return std::optional<Ref>(*valueRef);
    };
    const bool lastWins = cursor.keys == KeyCursor::Keys::Repeated;
    // Keys are mostly asked for again (is it there, then its value) or in
    // the order written: those two places are tried first, by the string
    // the key was last asked with, else by text.
    if (!lastWins) {
        for (const std::uint64_t next : {cursor.last, cursor.hint + 1}) {
            if (next == 0 || next > n)
                continue;
            const Result<std::uint32_t> id = idAt(next - 1);
            if (!id)
                return id.error();
            if (*id == kNotAString)
                continue;
            QString& asked = m_keyAskedAs[*id];
            if (!asked.isNull() && asked.constData() == key.constData() && asked.size() == key.size())
                return found(next - 1);
            if (m_keyTextOf[*id] == key) {
                asked = key;
                return found(next - 1);
            }
        }
    }
    // Every key of a dictionary of more than one entry got its number when
    // the dictionary was checked for repeats: a text no key of the file has
    // is missing at once, and the others are found by comparing numbers.
    // A dictionary of one entry is compared by text.
    const std::uint32_t wanted = n > 1 ? textId(key) : 0;
    if (n > 1 && wanted == 0)
        return std::optional<Ref>();
    const auto matches = [&](std::uint64_t at) -> Result<bool> {
        const Result<std::uint32_t> id = idAt(at);
        if (!id)
            return id.error();
        return wanted != 0 ? *id == wanted : *id != kNotAString && m_keyTextOf[*id] == key;
    };
    for (std::uint64_t i = 0; i < n; ++i) {
        // A dictionary with repeated keys is searched from its end, so that
        // every look-up of a key answers the same, last, entry.
        const std::uint64_t at = lastWins ? n - 1 - i : (cursor.hint + i) % n;
        const Result<bool> equal = matches(at);
        if (!equal)
            return equal.error();
        if (*equal)
            return found(at);
    }
    return std::optional<Ref>();
}

} // namespace ql
