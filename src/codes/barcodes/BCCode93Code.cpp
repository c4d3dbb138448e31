#include "codes/barcodes/BCCode93Code.h"

#include "codes/barcodes/BCCode39FullASCII.h"
#include "codes/barcodes/BCCode93CodeCharacter.h"

namespace ql {

QString BCCode93Code::fullASCIIEncoding(QChar character)
{
    // The full-ASCII table of Code 39, each shift written as Code 93's own.
    const QString encoding = BCCode39FullASCII::fullASCIIEncoding(character);
    if (encoding.size() < 2)
        return encoding;
    return u'(' + encoding.left(1) + u')' + encoding.mid(1);
}

Status BCCode93Code::canEncodeContent(const QString& content)
{
    return everyCharacter(content, [](QChar c) { return !fullASCIIEncoding(c).isNull(); }, barcodeDescription());
}

BCTableCodeCharacterPtr BCCode93Code::generateModulo47(const QString& kind, const std::vector<BCTableCodeCharacterPtr>& characters)
{
    int maxWeight = 0;
    if (kind == BCCode93Modulo47CheckCharacterFirst)
        maxWeight = 20;
    else if (kind == BCCode93Modulo47CheckCharacterSecond)
        maxWeight = 15;
    else
        return nullptr;
    return BCTableCodeCharacter::codeCharacterForValue(BCCode93CodeCharacter::table(), BCWeightedCheckValue(characters, maxWeight, 47));
}

BCCodeCharacters BCCode93Code::makeCodeCharacters() const
{
    const BCSymbologyTable& table = BCCode93CodeCharacter::table();
    std::vector<BCTableCodeCharacterPtr> list;
    for (QChar c : content()) {
        const QString encoding = fullASCIIEncoding(c);
        for (const QString& part : encoding.size() == 1 ? QStringList{encoding} : QStringList{encoding.left(3), encoding.mid(3)}) {
            if (BCTableCodeCharacterPtr character = BCTableCodeCharacter::codeCharacterForCharacter(table, part))
                list.push_back(std::move(character));
        }
    }
    list.push_back(generateModulo47(BCCode93Modulo47CheckCharacterFirst, list));
    list.push_back(generateModulo47(BCCode93Modulo47CheckCharacterSecond, list));
    BCCodeCharacters characters{BCCode93CodeCharacter::startStopCodeCharacter()};
    characters.insert(characters.end(), list.begin(), list.end());
    characters.push_back(BCCode93CodeCharacter::startStopCodeCharacter());
    characters.push_back(BCCode93CodeCharacter::terminationBarCodeCharacter());
    return characters;
}

} // namespace ql
