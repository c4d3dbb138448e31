#include "codes/barcodes/BCMSICode.h"

#include "codes/barcodes/BCMSICodeCharacter.h"
#include "codes/barcodes/BCStandardNumberRules.h"

namespace ql {

Result<std::unique_ptr<BCMSICode>> BCMSICode::create(const QString& content, BCMSICodeCheckDigitScheme scheme)
{
    Result<std::unique_ptr<BCMSICode>> code = initWithContent<BCMSICode>(content, scheme);
    if (code && checkDigits(content, scheme).isNull())
        return BCLocalizedError("%@ cannot encode '%@': the modulo 11 check digit would be 10", {barcodeDescription(), content});
    return code;
}

Status BCMSICode::canEncodeContent(const QString& content)
{
    return everyCharacter(content, BCIsDecimalDigit, barcodeDescription());
}

int BCMSICode::luhnCheckValue(QStringView digits)
{
    int sum = 0;
    int position = 0;
    for (qsizetype i = digits.size() - 1; i >= 0; --i, ++position) {
        int value = digits[i].unicode() - u'0';
        if (position % 2 == 0) {
            value *= 2;
            if (value >= 10)
                value = value % 10 + 1;
        }
        sum += value;
    }
    return (sum * 9) % 10;
}

int BCMSICode::reverseModulo11CheckValue(QStringView digits)
{
    int sum = 0;
    int weight = 2;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        sum += (digits[i].unicode() - u'0') * weight;
        weight = weight == 7 ? 2 : weight + 1;
    }
    return (11 - sum % 11) % 11;
}

QString BCMSICode::checkDigits(QStringView digits, BCMSICodeCheckDigitScheme scheme)
{
    const auto luhn = [](QStringView text) { return QString::number(luhnCheckValue(text)); };
    switch (scheme) {
    case BCMSICodeCheckDigitScheme::Mod10:
        return luhn(digits);
    case BCMSICodeCheckDigitScheme::Mod1010: {
        const QString first = luhn(digits);
        return first + luhn(digits.toString() + first);
    }
    case BCMSICodeCheckDigitScheme::Mod11:
    case BCMSICodeCheckDigitScheme::Mod1110: {
        const int value = reverseModulo11CheckValue(digits);
        if (value == 10)
            return {};
        const QString first = QString::number(value);
        return scheme == BCMSICodeCheckDigitScheme::Mod11 ? first : first + luhn(digits.toString() + first);
    }
    default:
        return QStringLiteral("");
    }
}

QString BCMSICode::captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const
{
    if (zone != BCCaptionZone::BelowBars)
        return {};
    return shouldShowCheckDigitsFromOptions(options) ? content() + checkDigits(content(), m_checkDigitScheme) : content();
}

BCCodeCharacters BCMSICode::makeCodeCharacters() const
{
    BCCodeCharacters characters{BCMSICodeCharacter::startMarkerCodeCharacter()};
    const QString checks = checkDigits(content(), m_checkDigitScheme);
    const QString all = content() + checks;
    for (qsizetype i = 0; i < all.size(); ++i) {
        if (auto digit = BCTableCodeCharacter::codeCharacterForValue(BCMSICodeCharacter::table(), all[i].unicode() - u'0',
                                                                      i >= content().size()))
            characters.push_back(std::move(digit));
    }
    characters.push_back(BCMSICodeCharacter::stopMarkerCodeCharacter());
    return characters;
}

} // namespace ql
