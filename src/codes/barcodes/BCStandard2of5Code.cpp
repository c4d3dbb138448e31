#include "codes/barcodes/BCStandard2of5Code.h"

#include "codes/barcodes/BCStandard2of5CodeCharacter.h"
#include "codes/barcodes/BCStandardNumberRules.h"

namespace ql {

Status BCStandard2of5Code::canEncodeContent(const QString& content)
{
    return everyCharacter(content, BCIsDecimalDigit, barcodeDescription());
}

BCTableCodeCharacterPtr BCStandard2of5Code::generateModulo10(const std::vector<BCTableCodeCharacterPtr>& digits)
{
    // The last digit and every second one before it weigh 3, the others 1.
    qsizetype total = 0;
    qsizetype position = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, ++position)
        total += (*it)->characterValue() * (position % 2 == 0 ? 3 : 1);
    return BCTableCodeCharacter::codeCharacterForValue(BCStandard2of5CodeCharacter::table(), (10 - total % 10) % 10, true);
}

BCCodeCharacters BCStandard2of5Code::makeCodeCharacters() const
{
    const BCCodeCharacterPtr gap = BCStandard2of5CodeCharacter::spacingCodeCharacter();
    std::vector<BCTableCodeCharacterPtr> digits;
    BCCodeCharacters characters{BCStandard2of5CodeCharacter::startMarkerCodeCharacter()};
    for (qsizetype i = 0; i < content().size(); ++i) {
        if (BCTableCodeCharacterPtr digit = BCTableCodeCharacter::codeCharacterForCharacter(BCStandard2of5CodeCharacter::table(), QStringView(content()).mid(i, 1))) {
            characters.push_back(gap);
            characters.push_back(digit);
            digits.push_back(std::move(digit));
        }
    }
    if (m_isModulo10) {
        characters.push_back(gap);
        characters.push_back(generateModulo10(digits));
    }
    characters.push_back(gap);
    characters.push_back(BCStandard2of5CodeCharacter::stopMarkerCodeCharacter());
    return characters;
}

} // namespace ql
