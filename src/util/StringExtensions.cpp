#include "util/StringExtensions.h"

namespace ql {

QString urlencode(const QString& text)
{
    static const char digits[] = "0123456789ABCDEF";
    const QByteArray bytes = text.toUtf8();
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ') {
            out += QStringLiteral("%20");
        } else if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')
                   || byte == '-' || byte == '.' || byte == '_' || byte == '~') {
            out += QLatin1Char(char(byte));
        } else {
            out += QLatin1Char('%');
            out += QLatin1Char(digits[byte >> 4]);
            out += QLatin1Char(digits[byte & 0xF]);
        }
    }
    return out;
}

} // namespace ql
