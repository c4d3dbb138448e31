#include "codes/barcodes/BCISMNCode.h"

#include "codes/barcodes/BCStandardNumberRules.h"

namespace ql {

namespace {

constexpr const char* ISMNPattern = "979-0-\\d{3,7}-\\d{2,6}-[0-9]{1}";

} // namespace

Result<std::unique_ptr<BCISMNCode>> BCISMNCode::create(const QString& text)
{
    Result<bool> found = BCPatternOccurs(ISMNPattern, text);
    if (!found)
        return found.error();
    const QStringList parts = text.split(u'-');
    if (!*found || parts.size() < 5)
        return BCCodeErrorWithMessage(BCFormat(QStringLiteral("The string is not a valid ISMN string supported by %@"), {QStringLiteral("BCISMNCode")}));
    return createWithIssuer(parts[2], parts[3], parts[4]);
}

Result<std::unique_ptr<BCISMNCode>> BCISMNCode::createWithIssuer(const QString& issuer, const QString& item,
                                                                  const QString& checkDigit)
{
    if (issuer.size() + item.size() != 8)
        return BCCodeErrorWithMessage(BCFormat(QStringLiteral("Issuer element '%@' and item element '%@' combined must consist of 8 digits in total"), {issuer, item}));
    const quint64 issuerValue = BCLeadingIntegerValue(issuer);
    if (issuer.size() < 3 || issuer.size() > 8 || (issuerValue > 99 && issuerValue < 1000))
        return BCCodeErrorWithMessage(BCFormat(QStringLiteral("Issuer element '%@' is invalid, must be <= 099 and >= 1000 and between 3 and 8 digits in length"), {issuer}));
    if (item.size() < 2 || item.size() > 6)
        return BCCodeErrorWithMessage(BCFormat(QStringLiteral("Item ID '%@' is invalid, must be between 2 and 6 digits in length"), {item}));
    const QString twelve = QStringLiteral("9790") + issuer + item;
    if (checkDigit != generateEAN13CheckDigit(twelve))
        return BCCodeErrorWithMessage(BCFormat(QStringLiteral("The check digit '%@' is not correct for this ISMN string"), {checkDigit}));
    return initWithContentAndTitle<BCISMNCode>(twelve + checkDigit, QStringLiteral("ISMN 979-0-%1-%2-%3").arg(issuer, item, checkDigit));
}

} // namespace ql
