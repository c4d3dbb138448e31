#include "prompts/JsonScanner.h"

namespace ql {

namespace {

// The leading hexadecimal digits of `digits` as a number; none give 0.
char16_t hexPrefixValue(QStringView digits)
{
    char16_t value = 0;
    for (QChar c : digits) {
        const int digit = c.isDigit() ? c.unicode() - u'0'
                        : (c >= u'a' && c <= u'f') ? c.unicode() - u'a' + 10
                        : (c >= u'A' && c <= u'F') ? c.unicode() - u'A' + 10
                                                   : -1;
        if (digit < 0)
            break;
        value = char16_t(value * 16 + digit);
    }
    return value;
}

void trimQuotes(QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text[start] == u'"')
        ++start;
    while (end > start && text[end - 1] == u'"')
        --end;
    text = text.mid(start, end - start);
}

} // namespace

std::optional<QString> scanJsonValue(const QString& key, const QString& json)
{
    const QString quotedKey = u'"' + key + u'"';
    const qsizetype keyAt = json.indexOf(quotedKey);
    if (keyAt < 0)
        return std::nullopt;
    const qsizetype colon = json.indexOf(u':', keyAt + quotedKey.size());
    if (colon < 0)
        return std::nullopt;
    qsizetype comma = json.indexOf(u',', colon + 1);
    if (comma < 0)
        return std::nullopt;
    QString value = json.mid(colon + 1, comma - colon - 1).trimmed();
    // A quoted text may hold commas: extend to the comma after its closing quote.
    if (value.startsWith(u'"')) {
        while (!value.endsWith(u'"')) {
            comma = json.indexOf(u',', comma + 1);
            if (comma < 0)
                break;
            value = json.mid(colon + 1, comma - colon - 1).trimmed();
        }
    }
    trimQuotes(value);
    value.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    value.replace(QStringLiteral("\\/"), QStringLiteral("/"));
    value.replace(QStringLiteral("\\\""), QStringLiteral("\""));
    value.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    value.replace(QStringLiteral("\\r"), QStringLiteral("\r"));
    value.replace(QStringLiteral("\\t"), QStringLiteral("\t"));
    value.replace(QStringLiteral("\\f"), QString(QChar(0x0C)));
    value.replace(QStringLiteral("\\b"), QString(QChar(0x08)));
    // Each pass shortens the text, so a "\u" that makes another one ends too.
    for (qsizetype at = value.indexOf(QStringLiteral("\\u")); at >= 0; at = value.indexOf(QStringLiteral("\\u"))) {
        const QStringView digits = QStringView(value).mid(at + 2, 4);
        const QChar unit(hexPrefixValue(digits));
        value.replace(at, 2 + digits.size(), unit);
    }
    return value;
}

QVariant valueForKeyInJson(const QString& key, const QVariant& entry)
{
    if (entry.typeId() == QMetaType::QString) {
        const std::optional<QString> value = scanJsonValue(key, entry.toString());
        return value ? QVariant(*value) : QVariant();
    }
    if (entry.typeId() == QMetaType::QVariantMap)
        return entry.toMap().value(key);
    return QVariant();
}

} // namespace ql
