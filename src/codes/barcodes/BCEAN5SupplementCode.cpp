#include "codes/barcodes/BCEAN5SupplementCode.h"

#include "codes/barcodes/BCGTINSupplementCodeCharacter.h"

namespace ql {

Status BCEAN5SupplementCode::canEncodeContent(const QString& content)
{
    if (content.size() != 5)
        return BCLocalizedError("%@ requires content strings with exactly 5 characters", {barcodeDescription()});
    if (QStringLiteral("2789").contains(content[0]))
        return BCLocalizedError("%@ requires the first digit to be a 0, 1, 3, 4, 5 or 6", {barcodeDescription()});
    for (QChar c : content) {
        if (c < u'0' || c > u'9')
            return BCLocalizedError("%@ does not support alpha-numeric characters", {barcodeDescription()});
    }
    return {};
}

unsigned BCEAN5SupplementCode::checksumDigitForContent(QStringView content)
{
    unsigned sum = 0;
    for (qsizetype i = 0; i < content.size(); ++i) {
        const char16_t c = content[i].unicode();
        sum += (c >= u'0' && c <= u'9' ? unsigned(c - u'0') : 0u) * (i % 2 == 0 ? 3u : 9u);
    }
    return sum % 10;
}

QString BCEAN5SupplementCode::parityPatternForChecksumDigit(unsigned digit)
{
    static const char* const patterns[10] = {"GGLLL", "GLGLL", "GLLGL", "GLLLG", "LGGLL",
                                             "LLGGL", "LLLGG", "LGLGL", "LGLLG", "LLGLG"};
    return digit > 9 ? QString() : QString::fromLatin1(patterns[digit]);
}

BCEANEncoding BCEAN5SupplementCode::encodingAtIndex(qsizetype index, const QString& pattern)
{
    return pattern.at(index) == u'G' ? BCEANEncoding::G : BCEANEncoding::L;
}

BCCodeCharacters BCEAN5SupplementCode::makeCodeCharacters() const
{
    const QString pattern = parityPatternForChecksumDigit(checksumDigitForContent(content()));
    BCCodeCharacters characters{BCGTINSupplementCodeCharacter::startCodeCharacter()};
    for (qsizetype i = 0; i < 5; ++i) {
        if (i > 0)
            characters.push_back(BCGTINSupplementCodeCharacter::separatorCodeCharacter());
        characters.push_back(BCGTINSupplementCodeCharacter::codeCharacterForDigit(unsigned(content()[i].unicode() - u'0'),
                                                                                  encodingAtIndex(i, pattern)));
    }
    return characters;
}

} // namespace ql
