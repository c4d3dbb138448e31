#include "platform/archive/XmlPlistReader.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/BinaryPlistReader.h"
#include "platform/archive/ReferenceDate.h"

#include <QDateTime>
#include <QHash>
#include <QTimeZone>
#include <QXmlStreamReader>
#include <cmath>
#include <limits>

namespace ql {

namespace {

Error damaged(const QString& message)
{
    return archiveError(ArchiveErrorCode::Damaged, message);
}

std::optional<double> parseReal(const QString& text)
{
    const QString t = text.trimmed().toLower();
    if (t == u"nan")
        return std::numeric_limits<double>::quiet_NaN();
    if (t == u"inf" || t == u"+inf" || t == u"infinity" || t == u"+infinity")
        return std::numeric_limits<double>::infinity();
    if (t == u"-inf" || t == u"-infinity")
        return -std::numeric_limits<double>::infinity();
    bool ok = false;
    const double value = t.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<PlistValue> parseInteger(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    const qint64 value = t.toLongLong(&ok, 10);
    if (ok)
        return PlistValue::integer(value);
    const quint64 big = t.startsWith(u'+') ? t.mid(1).toULongLong(&ok, 10) : t.toULongLong(&ok, 10);
    if (ok)
        return PlistValue::unsignedInteger(big);
    return std::nullopt;
}

// Walks the element tree with one reader; each value is one call.
class XmlTreeReader {
public:
    XmlTreeReader(QByteArrayView data, const ArchiveLimits& limits)
        : m_reader(QByteArray::fromRawData(data.data(), data.size())), m_limits(limits)
    {
    }

    Result<PlistValue> readDocument();

private:
    Result<PlistValue> readValue(int depth);
    Result<PlistValue> readArray(int depth);
    Result<PlistValue> readDictionary(int depth);
    Result<QString> readText();
    // Moves to the next start or end element; text other than white space
    // between elements is damage.
    bool nextElement();
    Error readerError() const;

    QXmlStreamReader m_reader;
    const ArchiveLimits& m_limits;
    qsizetype m_values = 0;
    std::optional<Error> m_error;
};

Error XmlTreeReader::readerError() const
{
    if (m_error)
        return *m_error;
    if (m_reader.hasError())
        return damaged(QStringLiteral("The property list is not well-formed XML: %1 (line %2).")
                           .arg(m_reader.errorString())
                           .arg(m_reader.lineNumber()));
    return damaged(QStringLiteral("The property list ends too early."));
}

bool XmlTreeReader::nextElement()
{
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
        case QXmlStreamReader::EndElement:
            return true;
        case QXmlStreamReader::Characters:
            if (!m_reader.isWhitespace()) {
                m_error = damaged(QStringLiteral("The property list has text outside of its values (line %1).")
                                      .arg(m_reader.lineNumber()));
                return false;
            }
            break;
        case QXmlStreamReader::DTD:
            // Declared entities would let a small file expand without bound.
            if (!m_reader.entityDeclarations().isEmpty()) {
                m_error = damaged(QStringLiteral("The property list declares entities."));
                return false;
            }
            break;
        case QXmlStreamReader::EntityReference:
            m_error = damaged(QStringLiteral("The property list refers to an unknown entity."));
            return false;
        case QXmlStreamReader::Invalid:
            return false;
        default:
            break;
        }
    }
    return false;
}

Result<QString> XmlTreeReader::readText()
{
    QString text;
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::Characters:
            text += m_reader.text();
            break;
        case QXmlStreamReader::EndElement:
            return text;
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            break;
        case QXmlStreamReader::StartElement:
            return damaged(QStringLiteral("The property list has an element inside a <%1> (line %2).")
                               .arg(m_reader.name().toString())
                               .arg(m_reader.lineNumber()));
        default:
            return readerError();
        }
    }
    return readerError();
}

Result<PlistValue> XmlTreeReader::readDocument()
{
    if (!nextElement() || !m_reader.isStartElement())
        return readerError();
    if (m_reader.name() != u"plist")
        return damaged(QStringLiteral("The document is not a property list."));
    if (!nextElement())
        return readerError();
    if (m_reader.isEndElement())
        return damaged(QStringLiteral("The property list is empty."));
    Result<PlistValue> value = readValue(0);
    if (!value)
        return value;
    if (!nextElement() || !m_reader.isEndElement())
        return m_error || m_reader.hasError() ? readerError()
                                              : damaged(QStringLiteral("The property list holds more than one value."));
    // Nothing but comments and white space may follow.
    while (!m_reader.atEnd()) {
        const QXmlStreamReader::TokenType token = m_reader.readNext();
        if (token == QXmlStreamReader::StartElement || token == QXmlStreamReader::Invalid
            || (token == QXmlStreamReader::Characters && !m_reader.isWhitespace()))
            return m_reader.hasError() ? readerError() : damaged(QStringLiteral("The property list has content after its end."));
    }
    return value;
}

// Called with the reader on the value's start element; leaves it on the end.
Result<PlistValue> XmlTreeReader::readValue(int depth)
{
    if (depth > m_limits.maxDepth)
        return archiveError(ArchiveErrorCode::TooDeep,
                            QStringLiteral("The property list is nested more than %1 levels deep.").arg(m_limits.maxDepth));
    if (++m_values > m_limits.maxObjects)
        return archiveError(ArchiveErrorCode::TooLarge,
                            QStringLiteral("The property list holds more than %1 objects.").arg(m_limits.maxObjects));
    const QString name = m_reader.name().toString();
    if (name == u"dict")
        return readDictionary(depth);
    if (name == u"array")
        return readArray(depth);
    if (name == u"true" || name == u"false") {
        Result<QString> text = readText();
        if (!text)
            return text.error();
        if (!text->trimmed().isEmpty())
            return damaged(QStringLiteral("A <%1/> of the property list holds text.").arg(name));
        return PlistValue::boolean(name == u"true");
    }
    Result<QString> text = readText();
    if (!text)
        return text.error();
    if (name == u"string")
        return PlistValue::string(std::move(*text));
    if (name == u"integer") {
        if (std::optional<PlistValue> value = parseInteger(*text))
            return *value;
        return damaged(QStringLiteral("\"%1\" is no integer.").arg(text->left(40)));
    }
    if (name == u"real") {
        if (std::optional<double> value = parseReal(*text))
            return PlistValue::real(*value);
        return damaged(QStringLiteral("\"%1\" is no real number.").arg(text->left(40)));
    }
    if (name == u"date") {
        const QDateTime date = QDateTime::fromString(text->trimmed(), Qt::ISODate);
        if (!date.isValid())
            return damaged(QStringLiteral("\"%1\" is no date.").arg(text->left(40)));
        return PlistValue::date(referenceSecondsFromDate(date.toTimeZone(QTimeZone::utc())));
    }
    if (name == u"data") {
        QByteArray compact = text->toLatin1();
        compact.removeIf([](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
        QByteArray::FromBase64Result decoded =
            QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return damaged(QStringLiteral("A <data> of the property list is not Base64."));
        return PlistValue::data(std::move(decoded.decoded));
    }
    return damaged(QStringLiteral("The property list has an unknown element <%1> (line %2).")
                       .arg(name.left(40))
                       .arg(m_reader.lineNumber()));
}

Result<PlistValue> XmlTreeReader::readArray(int depth)
{
    PlistValue::Array items;
    while (nextElement()) {
        if (m_reader.isEndElement())
            return PlistValue::array(std::move(items));
        if (qsizetype(items.size()) >= m_limits.maxCollectionCount)
            return archiveError(ArchiveErrorCode::TooLarge,
                                QStringLiteral("A container of the property list holds more than %1 entries.")
                                    .arg(m_limits.maxCollectionCount));
        Result<PlistValue> item = readValue(depth + 1);
        if (!item)
            return item;
        items.push_back(std::move(*item));
    }
    return readerError();
}

Result<PlistValue> XmlTreeReader::readDictionary(int depth)
{
    PlistValue::Dictionary entries;
    QHash<QString, qsizetype> positions; // a repeated key keeps its last value
    while (nextElement()) {
        if (m_reader.isEndElement())
            return PlistValue::dictionary(std::move(entries));
        if (m_reader.name() != u"key")
            return damaged(QStringLiteral("A <dict> of the property list has a <%1> where a <key> belongs (line %2).")
                               .arg(m_reader.name().toString().left(40))
                               .arg(m_reader.lineNumber()));
        Result<QString> key = readText();
        if (!key)
            return key.error();
        if (!nextElement() || !m_reader.isStartElement())
            return m_error || m_reader.hasError() ? readerError()
                                                  : damaged(QStringLiteral("The key \"%1\" has no value.").arg(key->left(40)));
        Result<PlistValue> value = readValue(depth + 1);
        if (!value)
            return value;
        if (auto at = positions.constFind(*key); at != positions.constEnd()) {
            entries[std::size_t(*at)].second = std::move(*value);
            continue;
        }
        if (qsizetype(entries.size()) >= m_limits.maxCollectionCount)
            return archiveError(ArchiveErrorCode::TooLarge,
                                QStringLiteral("A container of the property list holds more than %1 entries.")
                                    .arg(m_limits.maxCollectionCount));
        positions.insert(*key, qsizetype(entries.size()));
        entries.emplace_back(std::move(*key), std::move(*value));
    }
    return readerError();
}

} // namespace

Result<PlistValue> readXmlPlist(QByteArrayView data, const ArchiveLimits& limits)
{
    if (data.size() > limits.maxBytes)
        return archiveError(ArchiveErrorCode::TooLarge,
                            QStringLiteral("The file is larger than %1 bytes.").arg(limits.maxBytes));
    XmlTreeReader reader(data, limits);
    return reader.readDocument();
}

Result<PlistValue> readPropertyList(QByteArrayView data, const ArchiveLimits& limits)
{
    if (looksLikeBinaryPlist(data))
        return readBinaryPlist(data, limits);
    if (data.isEmpty())
        return archiveError(ArchiveErrorCode::NotAPropertyList, QStringLiteral("The property list is empty."));
    return readXmlPlist(data, limits);
}

} // namespace ql
