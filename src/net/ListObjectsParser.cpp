#include "net/ListObjectsParser.h"

#include <QXmlStreamReader>
#include <limits>

namespace ql {

ListObjectsParser ListObjectsParser::parse(const QByteArray& listing)
{
    ListObjectsParser parser;
    QXmlStreamReader reader(listing);
    while (!reader.atEnd() && parser.m_objects.size() < kMaximumObjects) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: parser.didStartElement(reader.qualifiedName().toString()); break;
        case QXmlStreamReader::EndElement: parser.didEndElement(reader.qualifiedName().toString()); break;
        case QXmlStreamReader::Characters:
            if (!reader.isCDATA())
                parser.foundCharacters(reader.text().toString());
            break;
        default: break;
        }
    }
    if (reader.hasError())
        parser.m_errorString = reader.errorString();
    else if (parser.m_objects.size() >= kMaximumObjects && !reader.atEnd())
        parser.m_errorString = QStringLiteral("more than %1 objects").arg(kMaximumObjects);
    return parser;
}

void ListObjectsParser::didStartElement(const QString& name)
{
    if (name == QLatin1String("Contents")) {
        m_inContents = true;
        m_current = S3Object();
    }
    m_text.reset();
}

void ListObjectsParser::foundCharacters(const QString& text)
{
    if (m_text)
        m_text->append(text);
    else
        m_text = text;
}

void ListObjectsParser::didEndElement(const QString& name)
{
    if (m_inContents) {
        if (name == QLatin1String("Key")) {
            m_current.key = m_text.value_or(QString());
        } else if (name == QLatin1String("ETag")) {
            QString tag = m_text.value_or(QString());
            qsizetype start = 0;
            qsizetype end = tag.size();
            while (start < end && tag.at(start) == u'"')
                ++start;
            while (end > start && tag.at(end - 1) == u'"')
                --end;
            m_current.etag = m_text ? tag.mid(start, end - start) : QString();
        } else if (name == QLatin1String("Size")) {
            m_current.size = m_text ? longLongValue(*m_text) : 0;
        } else if (name == QLatin1String("Contents")) {
            m_objects.append(m_current);
            m_current = S3Object();
            m_inContents = false;
        }
    } else if (name == QLatin1String("IsTruncated")) {
        m_isTruncated = m_text && *m_text == QLatin1String("true");
    }
}

qint64 ListObjectsParser::longLongValue(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    // Gathered as a negative number, whose range reaches the lower limit.
    constexpr qint64 lowest = std::numeric_limits<qint64>::min();
    qint64 value = 0;
    bool saturated = false;
    for (; i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        const int digit = text.at(i).unicode() - u'0';
        if (value < (lowest + digit) / 10) {
            saturated = true;
            break;
        }
        value = value * 10 - digit;
    }
    if (saturated)
        return negative ? lowest : std::numeric_limits<qint64>::max();
    if (negative)
        return value;
    return value == lowest ? std::numeric_limits<qint64>::max() : -value;
}

} // namespace ql
