#include "codes/barcodes/BCCode11Code.h"

#include "codes/barcodes/BCCode11CodeCharacter.h"

namespace ql {

Status BCCode11Code::canEncodeContent(const QString& content)
{
    return everyCharacter(content, [](QChar c) { return BCCode11CodeCharacter::table().valueOf(QStringView(&c, 1)) >= 0; },
                          barcodeDescription());
}

BCTableCodeCharacterPtr BCCode11Code::generateModulo11(const QString& kind, const std::vector<BCTableCodeCharacterPtr>& characters)
{
    int maxWeight = 0;
    if (kind == BCCode11Modulo11CheckCharacterFirst)
        maxWeight = 10;
    else if (kind == BCCode11Modulo11CheckCharacterSecond)
        maxWeight = 9;
    else
        return nullptr;
    return BCTableCodeCharacter::codeCharacterForValue(BCCode11CodeCharacter::table(), BCWeightedCheckValue(characters, maxWeight, 11));
}

BCCodeCharacters BCCode11Code::makeCodeCharacters() const
{
    const BCCodeCharacterPtr gap = BCCode11CodeCharacter::spacingCodeCharacter();
    std::vector<BCTableCodeCharacterPtr> list;
    BCCodeCharacters characters{BCCode11CodeCharacter::endMarkerCodeCharacter()};
    for (qsizetype i = 0; i < content().size(); ++i) {
        if (BCTableCodeCharacterPtr character = BCTableCodeCharacter::codeCharacterForCharacter(BCCode11CodeCharacter::table(), QStringView(content()).mid(i, 1))) {
            characters.push_back(gap);
            characters.push_back(character);
            list.push_back(std::move(character));
        }
    }
    characters.push_back(gap);
    const BCTableCodeCharacterPtr first = generateModulo11(BCCode11Modulo11CheckCharacterFirst, list);
    characters.push_back(first);
    characters.push_back(gap);
    if (content().size() >= 10) {
        list.push_back(first);
        characters.push_back(generateModulo11(BCCode11Modulo11CheckCharacterSecond, list));
        characters.push_back(gap);
    }
    characters.push_back(BCCode11CodeCharacter::endMarkerCodeCharacter());
    return characters;
}

} // namespace ql
