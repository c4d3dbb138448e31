// Reads a bucket listing (an XML document of Contents records with Key, ETag
// and Size) into storage records, in document order. Element names are
// compared as written, prefix included; text is every character run since the
// last start tag, whitespace too, and CDATA sections do not count. The first
// error ends the reading with the records finished before it.
#pragma once

#include "net/S3Object.h"

#include <QByteArray>
#include <QList>
#include <optional>

class QXmlStreamReader;

namespace ql {

class ListObjectsParser {
public:
    // Records beyond this are not read.
    static constexpr int kMaximumObjects = 10000;

    static ListObjectsParser parse(const QByteArray& listing);

    const QList<S3Object>& objects() const { return m_objects; }
    bool isTruncated() const { return m_isTruncated; }
    void setIsTruncated(bool truncated) { m_isTruncated = truncated; }
    // Why the reading stopped early; empty when the document was read whole.
    const QString& errorString() const { return m_errorString; }

    // A number as the platform's string-to-integer reading takes it: leading
    // whitespace, an optional sign, the digits that follow, the rest ignored;
    // 0 without digits; saturated at the 64-bit limits.
    static qint64 longLongValue(const QString& text);

private:
    void didStartElement(const QString& name);
    void foundCharacters(const QString& text);
    void didEndElement(const QString& name);

    QList<S3Object> m_objects;
    bool m_isTruncated = false;
    bool m_inContents = false;
    S3Object m_current;
    std::optional<QString> m_text;
    QString m_errorString;
};

} // namespace ql
