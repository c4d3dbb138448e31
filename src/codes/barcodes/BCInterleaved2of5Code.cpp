#include "codes/barcodes/BCInterleaved2of5Code.h"

#include "codes/barcodes/BCInterleaved2of5CodeCharacter.h"

namespace ql {

Status BCInterleaved2of5Code::canEncodeContent(const QString& content)
{
    if (content.size() % 2 == 1)
        return BCLocalizedError("%@ requires content to be of even length", {barcodeDescription()});
    for (qsizetype i = 0; i + 1 < content.size(); i += 2) {
        if (!BCInterleaved2of5CodeCharacter::codeCharacterForDigitCharacters(content[i], content[i + 1]))
            return BCLocalizedError("Characters '%@' and '%@' cannot be encoded in %@",
                                    {QString(content[i]), QString(content[i + 1]), barcodeDescription()});
    }
    return {};
}

BCCodeCharacters BCInterleaved2of5Code::makeCodeCharacters() const
{
    BCCodeCharacters characters{BCInterleaved2of5CodeCharacter::startMarkerCodeCharacter()};
    for (qsizetype i = 0; i + 1 < content().size(); i += 2)
        characters.push_back(BCInterleaved2of5CodeCharacter::codeCharacterForDigitCharacters(content()[i], content()[i + 1]));
    characters.push_back(BCInterleaved2of5CodeCharacter::endMarkerCodeCharacter());
    return characters;
}

} // namespace ql
