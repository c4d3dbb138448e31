#include "codes/barcodes/BCStandardNumberRules.h"

#include "codes/barcodes/BCBarcodeMessages.h"

#include <limits>
#include <memory>
#include <unicode/regex.h>
#include <unicode/unistr.h>

namespace ql {

Result<bool> BCPatternOccurs(const char* pattern, const QString& text)
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(icu::UnicodeString::fromUTF8(pattern), UREGEX_CASE_INSENSITIVE, status));
    if (U_FAILURE(status) || !compiled)
        return BCCodeErrorWithMessage(QStringLiteral("The pattern '%1' cannot be used: %2").arg(QLatin1String(pattern), QLatin1String(u_errorName(status))));
    const icu::UnicodeString subject(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    const std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(subject, status));
    if (U_FAILURE(status) || !matcher)
        return BCCodeErrorWithMessage(QStringLiteral("The pattern '%1' cannot be used: %2").arg(QLatin1String(pattern), QLatin1String(u_errorName(status))));
    const bool found = matcher->find(status);
    return bool(found && U_SUCCESS(status));
}

bool BCIsDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString BCModulus11CheckCharacter(QStringView digits, int firstWeight)
{
    long sum = 0;
    int weight = firstWeight;
    for (QChar c : digits) {
        sum += (BCIsDecimalDigit(c) ? c.unicode() - u'0' : 0) * weight;
        --weight;
    }
    const long check = 11 - ((sum % 11) + 11) % 11;
    if (check == 11)
        return QStringLiteral("0");
    if (check == 10)
        return QStringLiteral("X");
    return QString::number(check);
}

quint64 BCLeadingIntegerValue(QStringView text)
{
    quint64 value = 0;
    for (QChar c : text) {
        if (!BCIsDecimalDigit(c))
            break;
        const quint64 digit = c.unicode() - u'0';
        if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
            return std::numeric_limits<quint64>::max();
        value = value * 10 + digit;
    }
    return value;
}

} // namespace ql
