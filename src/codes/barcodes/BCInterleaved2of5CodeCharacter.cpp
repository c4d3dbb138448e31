#include "codes/barcodes/BCInterleaved2of5CodeCharacter.h"

#include "codes/barcodes/BCStandardNumberRules.h"
#include "codes/barcodes/BCSymbologyTable.h"
#include "codes/barcodes/BCTwoOfFiveElements.h"

namespace ql {

BCInterleaved2of5CodeCharacter::BCInterleaved2of5CodeCharacter(QChar digit1, QChar digit2)
    : m_digit1(digit1)
    , m_digit2(digit2)
{
}

BCCodeCharacterPtr BCInterleaved2of5CodeCharacter::startMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"1010", true);
    return marker;
}

BCCodeCharacterPtr BCInterleaved2of5CodeCharacter::endMarkerCodeCharacter()
{
    static const BCCodeCharacterPtr marker = BCMakeCodeCharacter(u"1101", true);
    return marker;
}

BCCodeCharacterPtr BCInterleaved2of5CodeCharacter::codeCharacterForDigitCharacters(QChar digit1, QChar digit2)
{
    if (!BCIsDecimalDigit(digit1) || !BCIsDecimalDigit(digit2))
        return nullptr;
    return std::make_shared<BCInterleaved2of5CodeCharacter>(digit1, digit2);
}

QString BCInterleaved2of5CodeCharacter::encodingForDigits(QChar digit1, QChar digit2)
{
    if (!BCIsDecimalDigit(digit1) || !BCIsDecimalDigit(digit2))
        return {};
    const char* bars = BCTwoOfFiveElements[digit1.unicode() - u'0'];
    const char* spaces = BCTwoOfFiveElements[digit2.unicode() - u'0'];
    QString encoding;
    for (int i = 0; i < 5; ++i) {
        encoding.append(bars[i] == 'W' ? u'B' : u'b');
        encoding.append(spaces[i] == 'W' ? u'W' : u'w');
    }
    return encoding;
}

BCBarString BCInterleaved2of5CodeCharacter::barString() const
{
    return BCBarsFromNarrowWideEncoding(encodingForDigits(m_digit1, m_digit2));
}

} // namespace ql
