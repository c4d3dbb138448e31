#include "codes/barcodes/BCEAN13Code.h"

#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

namespace {

// Parities of digits 2 to 13, selected by the first digit.
constexpr const char* ParityPatterns[10] = {
    "LLLLLLRRRRRR", "LLGLGGRRRRRR", "LLGGLGRRRRRR", "LLGGGLRRRRRR", "LGLLGGRRRRRR",
    "LGGLLGRRRRRR", "LGGGLLRRRRRR", "LGLGLGRRRRRR", "LGLGGLRRRRRR", "LGGLGLRRRRRR",
};

} // namespace

Status BCEAN13Code::canEncodeContent(const QString& content)
{
    if (Status status = validateLengthAndDigits(content, 13, "%@ requires content to be 13 digits", barcodeDescription()); !status)
        return status;
    return validateCheckDigit(QStringView(content).first(12), content[12]);
}

QString BCEAN13Code::captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const
{
    if (zone == BCCaptionZone::LeftQuiet)
        return content().left(1);
    return BCGTINCode::captionTextForZone(zone, options);
}

QString BCEAN13Code::generateEAN13CheckDigit(QStringView digits)
{
    unsigned sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        const char16_t c = digits[i].unicode();
        sum += (c >= u'0' && c <= u'9' ? unsigned(c - u'0') : 0u) * (i % 2 == 0 ? 1u : 3u);
    }
    return QString::number((10 - sum % 10) % 10);
}

BCEANEncoding BCEAN13Code::codeVariantIndexForDigitAtIndex(qsizetype index, const char* pattern)
{
    switch (pattern[index - 1]) {
    case 'G': return BCEANEncoding::G;
    case 'R': return BCEANEncoding::R;
    default: return BCEANEncoding::L;
    }
}

BCCodeCharacters BCEAN13Code::makeCodeCharacters() const
{
    const char* pattern = ParityPatterns[digitAtIndex(0)];
    BCCodeCharacters characters{BCEANCodeCharacter::endMarkerCodeCharacter()};
    for (qsizetype i = 1; i <= 12; ++i) {
        if (i == 7)
            characters.push_back(BCEANCodeCharacter::middleMarkerCodeCharacter());
        characters.push_back(BCEANCodeCharacter::codeCharacterForDigit(digitAtIndex(i), codeVariantIndexForDigitAtIndex(i, pattern)));
    }
    characters.push_back(BCEANCodeCharacter::endMarkerCodeCharacter());
    return characters;
}

} // namespace ql
