#include "codes/barcodes/BCISSNCode.h"

#include "codes/barcodes/BCStandardNumberRules.h"

namespace ql {

namespace {

constexpr const char* ISSNPattern = "\\d{4}-\\d{3}[0-9Xx]{1}";

// A variant digit: null means "0"; otherwise one decimal digit.
Status checkVariant(const QString& variant, const char* lengthMessage, const char* digitMessage)
{
    if (variant.isNull())
        return {};
    if (variant.size() != 1)
        return BCLocalizedError(lengthMessage);
    if (!BCIsDecimalDigit(variant[0]))
        return BCLocalizedError(digitMessage);
    return {};
}

} // namespace

QString BCISSNCode::generateISSNCheckDigit(QStringView digits)
{
    return BCModulus11CheckCharacter(digits, 8);
}

Result<std::unique_ptr<BCISSNCode>> BCISSNCode::create(const QString& text)
{
    const Error notAnISSN = BCLocalizedError("The string is not a valid ISSN string supported by %@", {barcodeDescription()});
    Result<bool> found = BCPatternOccurs(ISSNPattern, text);
    if (!found)
        return found.error();
    const QStringList parts = text.split(u'-');
    // The pattern may occur inside a longer text whose parts are shorter
    // than an ISSN's; those are refused rather than read past their end.
    if (!*found || parts.size() < 2 || parts[0].size() < 4 || parts[1].size() < 4)
        return notAnISSN;
    return createWithISSNString(parts[0].left(4) + parts[1].left(3), parts[1].mid(3, 1), QString(), QString());
}

Result<std::unique_ptr<BCISSNCode>> BCISSNCode::createWithISSNString(const QString& issn, const QString& checkDigit,
                                                                      const QString& variantOne, const QString& variantTwo)
{
    if (issn.size() != 7)
        return BCLocalizedError("%@ only supports 7 character ISSN strings, excluding the check digit", {barcodeDescription()});
    if (!std::all_of(issn.begin(), issn.end(), BCIsDecimalDigit))
        return BCLocalizedError("%@ does not support alpha-numeric characters", {barcodeDescription()});
    if (checkDigit.toUpper() != generateISSNCheckDigit(issn))
        return BCLocalizedError("Check digit '%@' is not correct for this ISSN string", {checkDigit});
    if (Status status = checkVariant(variantOne, "Variant one must be identical to one numeric character",
                                     "Variant one must be a numeric character"); !status)
        return status.error();
    if (Status status = checkVariant(variantTwo, "Variant two must be identical to one alphanumeric character",
                                     "Variant two must be a numeric character"); !status)
        return status.error();
    const QString twelve = QStringLiteral("977") + issn + (variantOne.isNull() ? QStringLiteral("0") : variantOne)
        + (variantTwo.isNull() ? QStringLiteral("0") : variantTwo);
    return initWithContentAndTitle<BCISSNCode>(twelve + generateEAN13CheckDigit(twelve), QStringLiteral("ISSN %1-%2%3").arg(issn.left(4), issn.mid(4), checkDigit));
}

} // namespace ql
