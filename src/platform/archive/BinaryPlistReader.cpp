#include "platform/archive/BinaryPlistReader.h"

#include "platform/archive/ArchiveError.h"

#include <cstring>
#include <optional>

namespace ql {

namespace {

constexpr qsizetype headerSize = 8;
constexpr qsizetype trailerSize = 32;

std::uint64_t readBigEndian(const uchar* p, int bytes)
{
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | p[i];
    return v;
}

class Parser {
public:
    Parser(QByteArrayView data, const ArchiveLimits& limits)
        : m_data(reinterpret_cast<const uchar*>(data.data())), m_size(std::uint64_t(data.size())), m_limits(limits)
    {
    }

    Result<PlistValue> run();

private:
    enum class State : std::uint8_t { Unread, Reading, Done };

    std::optional<PlistValue> object(std::uint64_t ref, int depth);
    std::optional<PlistValue> parseAt(std::uint64_t offset, int depth);
    std::optional<std::uint64_t> length(std::uint64_t& cursor, int low);
    bool need(std::uint64_t offset, std::uint64_t bytes);
    std::optional<std::uint64_t> readRef(std::uint64_t at);
    std::nullopt_t fail(ArchiveErrorCode code, const QString& message);

    const uchar* m_data;
    std::uint64_t m_size;
    const ArchiveLimits& m_limits;
    int m_offsetSize = 0;
    int m_refSize = 0;
    std::uint64_t m_count = 0;
    std::uint64_t m_tableOffset = 0;
    std::vector<State> m_state;
    std::vector<PlistValue> m_memo;
    std::optional<Error> m_error;
};

std::nullopt_t Parser::fail(ArchiveErrorCode code, const QString& message)
{
    if (!m_error)
        m_error = archiveError(code, message);
    return std::nullopt;
}

Result<PlistValue> Parser::run()
{
    if (m_size < std::uint64_t(headerSize + trailerSize) || std::memcmp(m_data, "bplist00", 8) != 0)
        return archiveError(ArchiveErrorCode::NotAPropertyList, QStringLiteral("The file is not a binary property list."));
    if (m_size > std::uint64_t(m_limits.maxBytes))
        return archiveError(ArchiveErrorCode::TooLarge, QStringLiteral("The file is larger than %1 bytes.").arg(m_limits.maxBytes));

    const uchar* trailer = m_data + m_size - trailerSize;
    m_offsetSize = trailer[6];
    m_refSize = trailer[7];
    m_count = readBigEndian(trailer + 8, 8);
    const std::uint64_t top = readBigEndian(trailer + 16, 8);
    m_tableOffset = readBigEndian(trailer + 24, 8);
    const std::uint64_t objectsEnd = m_size - trailerSize;

    if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8)
        return archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The property list has invalid offset or reference sizes."));
    if (m_count == 0 || top >= m_count)
        return archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The property list's top object is out of range."));
    if (m_count > std::uint64_t(m_limits.maxObjects))
        return archiveError(ArchiveErrorCode::TooLarge, QStringLiteral("The property list holds more than %1 objects.").arg(m_limits.maxObjects));
    if (m_tableOffset < std::uint64_t(headerSize) || m_tableOffset > objectsEnd
        || m_count > (objectsEnd - m_tableOffset) / std::uint64_t(m_offsetSize))
        return archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The property list's offset table lies outside the file."));
    // References of fewer bytes than the count needs would make some objects unreachable;
    // that is harmless, so only the reverse is checked where references are read.

    m_state.assign(m_count, State::Unread);
    m_memo.resize(m_count);
    std::optional<PlistValue> root = object(top, 0);
    if (!root)
        return m_error ? *m_error : archiveError(ArchiveErrorCode::Damaged, QStringLiteral("The property list is damaged."));
    return std::move(*root);
}

bool Parser::need(std::uint64_t offset, std::uint64_t bytes)
{
    // Objects live between the header and the offset table.
    if (offset < std::uint64_t(headerSize) || offset > m_tableOffset || bytes > m_tableOffset - offset) {
        fail(ArchiveErrorCode::Damaged, QStringLiteral("An object of the property list runs past the end of its data."));
        return false;
    }
    return true;
}

std::optional<std::uint64_t> Parser::readRef(std::uint64_t at)
{
    const std::uint64_t ref = readBigEndian(m_data + at, m_refSize);
    if (ref >= m_count)
        return fail(ArchiveErrorCode::Damaged, QStringLiteral("The property list refers to object %1 of %2.").arg(ref).arg(m_count));
    return ref;
}

std::optional<PlistValue> Parser::object(std::uint64_t ref, int depth)
{
    if (depth > m_limits.maxDepth)
        return fail(ArchiveErrorCode::TooDeep, QStringLiteral("The property list is nested more than %1 levels deep.").arg(m_limits.maxDepth));
    switch (m_state[ref]) {
    case State::Done:
        return m_memo[ref];
    case State::Reading:
        return fail(ArchiveErrorCode::Cycle, QStringLiteral("A container of the property list contains itself."));
    case State::Unread:
        break;
    }
    const std::uint64_t offset = readBigEndian(m_data + m_tableOffset + ref * std::uint64_t(m_offsetSize), m_offsetSize);
    m_state[ref] = State::Reading;
    std::optional<PlistValue> value = parseAt(offset, depth);
    if (!value)
        return std::nullopt;
    m_state[ref] = State::Done;
    m_memo[ref] = *value;
    return value;
}

std::optional<std::uint64_t> Parser::length(std::uint64_t& cursor, int low)
{
    if (low != 0xF)
        return std::uint64_t(low);
    if (!need(cursor, 1))
        return std::nullopt;
    const uchar marker = m_data[cursor];
    if ((marker >> 4) != 0x1 || (marker & 0xF) > 3)
        return fail(ArchiveErrorCode::Damaged, QStringLiteral("A length in the property list is not an integer."));
    const int bytes = 1 << (marker & 0xF);
    if (!need(cursor + 1, std::uint64_t(bytes)))
        return std::nullopt;
    const std::uint64_t value = readBigEndian(m_data + cursor + 1, bytes);
    cursor += 1 + std::uint64_t(bytes);
    return value;
}

std::optional<PlistValue> Parser::parseAt(std::uint64_t offset, int depth)
{
    if (!need(offset, 1))
        return std::nullopt;
    const uchar marker = m_data[offset];
    const int high = marker >> 4;
    const int low = marker & 0xF;
    std::uint64_t cursor = offset + 1;

    switch (high) {
    case 0x0:
        if (marker == 0x00)
            return PlistValue();
        if (marker == 0x08 || marker == 0x09)
            return PlistValue::boolean(marker == 0x09);
        break;
    case 0x1: {
        if (low > 4)
            break;
        const int bytes = 1 << low;
        if (!need(cursor, std::uint64_t(bytes)))
            return std::nullopt;
        if (bytes < 8)
            return PlistValue::integer(std::int64_t(readBigEndian(m_data + cursor, bytes)));
        if (bytes == 8)
            return PlistValue::integer(std::int64_t(readBigEndian(m_data + cursor, 8)));
        // 128-bit: what fits in 64 bits is read, the rest is out of range.
        const std::uint64_t upper = readBigEndian(m_data + cursor, 8);
        const std::uint64_t lower = readBigEndian(m_data + cursor + 8, 8);
        if (upper == 0)
            return PlistValue::unsignedInteger(lower);
        if (upper == ~std::uint64_t(0) && std::int64_t(lower) < 0)
            return PlistValue::integer(std::int64_t(lower));
        return fail(ArchiveErrorCode::Damaged, QStringLiteral("An integer of the property list does not fit in 64 bits."));
    }
    case 0x2:
        if (low == 2 && need(cursor, 4)) {
            const std::uint32_t bits = std::uint32_t(readBigEndian(m_data + cursor, 4));
            float f;
            std::memcpy(&f, &bits, 4);
            return PlistValue::float32(f);
        }
        if (low == 3 && need(cursor, 8)) {
            const std::uint64_t bits = readBigEndian(m_data + cursor, 8);
            double d;
            std::memcpy(&d, &bits, 8);
            return PlistValue::real(d);
        }
        if (m_error)
            return std::nullopt;
        break;
    case 0x3:
        if (marker == 0x33 && need(cursor, 8)) {
            const std::uint64_t bits = readBigEndian(m_data + cursor, 8);
            double d;
            std::memcpy(&d, &bits, 8);
            return PlistValue::date(d);
        }
        if (m_error)
            return std::nullopt;
        break;
    case 0x4:
    case 0x5:
    case 0x7: {
        const std::optional<std::uint64_t> n = length(cursor, low);
        if (!n || !need(cursor, *n))
            return std::nullopt;
        const char* p = reinterpret_cast<const char*>(m_data + cursor);
        if (high == 0x4)
            return PlistValue::data(QByteArray(p, qsizetype(*n)));
        if (high == 0x5)
            return PlistValue::string(QString::fromLatin1(p, qsizetype(*n)));
        return PlistValue::string(QString::fromUtf8(p, qsizetype(*n)));
    }
    case 0x6: {
        const std::optional<std::uint64_t> n = length(cursor, low);
        if (!n)
            return std::nullopt;
        if (*n > m_size)
            return fail(ArchiveErrorCode::Damaged, QStringLiteral("A string of the property list runs past the end of its data."));
        if (!need(cursor, *n * 2))
            return std::nullopt;
        QString s(qsizetype(*n), Qt::Uninitialized);
        QChar* out = s.data();
        for (std::uint64_t i = 0; i < *n; ++i)
            out[i] = QChar(char16_t(readBigEndian(m_data + cursor + 2 * i, 2)));
        return PlistValue::string(std::move(s));
    }
    case 0x8:
        if (low <= 7 && need(cursor, std::uint64_t(low) + 1))
            return PlistValue::uid(readBigEndian(m_data + cursor, low + 1));
        if (m_error)
            return std::nullopt;
        break;
    case 0xA:
    case 0xC:
    case 0xD: {
        const std::optional<std::uint64_t> n = length(cursor, low);
        if (!n)
            return std::nullopt;
        if (*n > std::uint64_t(m_limits.maxCollectionCount))
            return fail(ArchiveErrorCode::TooLarge, QStringLiteral("A container of the property list holds more than %1 entries.").arg(m_limits.maxCollectionCount));
        const std::uint64_t refs = high == 0xD ? *n * 2 : *n;
        if (!need(cursor, refs * std::uint64_t(m_refSize)))
            return std::nullopt;
        if (high != 0xD) {
            PlistValue::Array items;
            items.reserve(*n);
            for (std::uint64_t i = 0; i < *n; ++i) {
                const std::optional<std::uint64_t> ref = readRef(cursor + i * std::uint64_t(m_refSize));
                if (!ref)
                    return std::nullopt;
                std::optional<PlistValue> item = object(*ref, depth + 1);
                if (!item)
                    return std::nullopt;
                items.push_back(std::move(*item));
            }
            return PlistValue::array(std::move(items));
        }
        PlistValue::Dictionary entries;
        entries.reserve(*n);
        for (std::uint64_t i = 0; i < *n; ++i) {
            const std::optional<std::uint64_t> keyRef = readRef(cursor + i * std::uint64_t(m_refSize));
            const std::optional<std::uint64_t> valueRef = keyRef ? readRef(cursor + (*n + i) * std::uint64_t(m_refSize)) : std::nullopt;
            if (!valueRef)
                return std::nullopt;
            std::optional<PlistValue> key = object(*keyRef, depth + 1);
            if (!key)
                return std::nullopt;
            if (key->type() != PlistValue::Type::String)
                return fail(ArchiveErrorCode::Damaged, QStringLiteral("A dictionary key of the property list is not a string."));
            std::optional<PlistValue> value = object(*valueRef, depth + 1);
            if (!value)
                return std::nullopt;
            entries.emplace_back(key->toString(), std::move(*value));
        }
        return PlistValue::dictionary(std::move(entries));
    }
    default:
        break;
    }
    return fail(ArchiveErrorCode::Damaged, QStringLiteral("The property list holds an object of unknown kind 0x%1.").arg(int(marker), 2, 16, QLatin1Char('0')));
}

} // namespace

Result<PlistValue> readBinaryPlist(QByteArrayView data, const ArchiveLimits& limits)
{
    Parser parser(data, limits);
    return parser.run();
}

bool looksLikeBinaryPlist(QByteArrayView data)
{
    return data.startsWith("bplist00");
}

} // namespace ql
