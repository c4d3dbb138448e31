#include "codes/barcodes/BCEAN8Code.h"

#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

Status BCEAN8Code::canEncodeContent(const QString& content)
{
    if (Status status = validateLengthAndDigits(content, 8, "%@ requires content to be 8 digits", barcodeDescription()); !status)
        return status;
    return validateCheckDigit(QStringView(content).first(7), content[7]);
}

BCCodeCharacters BCEAN8Code::makeCodeCharacters() const
{
    BCCodeCharacters characters{BCEANCodeCharacter::endMarkerCodeCharacter()};
    for (qsizetype i = 0; i < 8; ++i) {
        if (i == 4)
            characters.push_back(BCEANCodeCharacter::middleMarkerCodeCharacter());
        characters.push_back(BCEANCodeCharacter::codeCharacterForDigit(digitAtIndex(i), i < 4 ? BCEANEncoding::L : BCEANEncoding::R));
    }
    characters.push_back(BCEANCodeCharacter::endMarkerCodeCharacter());
    return characters;
}

} // namespace ql
