#include "codes/barcodes/BCCode39Code.h"

#include "codes/barcodes/BCCode39CodeCharacter.h"
#include "codes/barcodes/BCCode39CodeModulo43.h"
#include "codes/barcodes/BCCode39FullASCII.h"
#include "codes/barcodes/BCCode39FullASCIIModulo43.h"

namespace ql {

namespace {

template <class Code>
Result<std::unique_ptr<BCCode39Code>> asCode39(const QString& content)
{
    auto code = Code::create(content);
    if (!code)
        return code.error();
    return std::unique_ptr<BCCode39Code>(std::move(code).value());
}

} // namespace

Result<std::unique_ptr<BCCode39Code>> BCCode39Code::code93WithContent(const QString& content, bool modulo43)
{
    if (canEncodeContent(content))
        return modulo43 ? asCode39<BCCode39CodeModulo43>(content) : asCode39<BCCode39Code>(content);
    if (BCCode39FullASCII::canEncodeContent(content))
        return modulo43 ? asCode39<BCCode39FullASCIIModulo43>(content) : asCode39<BCCode39FullASCII>(content);
    return BCLocalizedError("Content contains characters that cannot be encoded by Code39");
}

Status BCCode39Code::canEncodeBasic(const QString& content, const QString& className)
{
    return everyCharacter(content, [](QChar c) { return BCCode39CodeCharacter::table().valueOf(QStringView(&c, 1)) >= 0; },
                          className, false);
}

BCTableCodeCharacterPtr BCCode39Code::generateModulo43ForContentCodeCharacter(const std::vector<BCTableCodeCharacterPtr>& characters)
{
    qsizetype sum = 0;
    for (const BCTableCodeCharacterPtr& character : characters)
        sum += character->characterValue();
    return BCCode39CodeCharacter::codeCharacterForValue(sum % 43);
}

BCCodeCharacters BCCode39Code::makeCodeCharacters() const
{
    const QString basic = basicCharacters();
    std::vector<BCTableCodeCharacterPtr> contentCharacters;
    BCCodeCharacters characters{BCCode39CodeCharacter::endMarkerCodeCharacter()};
    for (qsizetype i = 0; i < basic.size(); ++i) {
        BCTableCodeCharacterPtr character = BCCode39CodeCharacter::codeCharacterForCharacter(QStringView(basic).mid(i, 1));
        if (!character) // validated content never gets here
            continue;
        characters.push_back(BCCode39CodeCharacter::spacingCodeCharacter());
        characters.push_back(character);
        contentCharacters.push_back(std::move(character));
    }
    characters.push_back(BCCode39CodeCharacter::spacingCodeCharacter());
    if (hasCheckCharacter()) {
        characters.push_back(generateModulo43ForContentCodeCharacter(contentCharacters));
        characters.push_back(BCCode39CodeCharacter::spacingCodeCharacter());
    }
    characters.push_back(BCCode39CodeCharacter::endMarkerCodeCharacter());
    return characters;
}

} // namespace ql
