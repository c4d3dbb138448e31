#include "codes/barcodes/BCUPCACode.h"

#include "codes/barcodes/BCEANCodeCharacter.h"
#include "codes/barcodes/BCUPCCodeCharacter.h"

namespace ql {

Status BCUPCACode::canEncodeContent(const QString& content)
{
    if (Status status = validateLengthAndDigits(content, 12, "%@ requires content to be 12 digits", barcodeDescription()); !status)
        return status;
    return validateCheckDigit(QStringView(content).first(11), content[11]);
}

QString BCUPCACode::captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const
{
    if (zone == BCCaptionZone::LeftQuiet)
        return content().left(1);
    if (zone == BCCaptionZone::RightQuiet)
        return content().mid(11);
    return BCGTINCode::captionTextForZone(zone, options);
}

BCCodeCharacters BCUPCACode::makeCodeCharacters() const
{
    const auto digit = [this](qsizetype i, BCEANEncoding encoding) {
        return BCEANCodeCharacter::codeCharacterForDigit(digitAtIndex(i), encoding);
    };
    BCCodeCharacters characters{BCEANCodeCharacter::endMarkerCodeCharacter()};
    characters.push_back(BCUPCCodeCharacter::markerCharacterWithEANCharacter(*digit(0, BCEANEncoding::L)));
    for (qsizetype i = 1; i <= 5; ++i)
        characters.push_back(digit(i, BCEANEncoding::L));
    characters.push_back(BCEANCodeCharacter::middleMarkerCodeCharacter());
    for (qsizetype i = 6; i <= 10; ++i)
        characters.push_back(digit(i, BCEANEncoding::R));
    characters.push_back(BCUPCCodeCharacter::markerCharacterWithEANCharacter(*digit(11, BCEANEncoding::R)));
    characters.push_back(BCEANCodeCharacter::endMarkerCodeCharacter());
    return characters;
}

} // namespace ql
