#include "codes/barcodes/BCFacingIdentificationMarkCode.h"

namespace ql {

Result<std::unique_ptr<BCFacingIdentificationMarkCode>> BCFacingIdentificationMarkCode::create(const QString& content)
{
    const BCFIMType type = fimTypeFromContent(content);
    if (type == BCFIMType::None)
        return BCLocalizedError("'%@' is not a supported FIM type for %@", {content, barcodeDescription()});
    return createWithFIMType(type);
}

Result<std::unique_ptr<BCFacingIdentificationMarkCode>> BCFacingIdentificationMarkCode::createWithFIMType(BCFIMType type)
{
    return initWithContent<BCFacingIdentificationMarkCode>(contentForFimType(type));
}

Status BCFacingIdentificationMarkCode::canEncodeContent(const QString& content)
{
    const BCFIMType type = fimTypeFromContent(content);
    if (type == BCFIMType::None)
        return BCLocalizedError("%d is not a supported FIM type for %@", {QString::number(int(type)), barcodeDescription()});
    return {};
}

BCFIMType BCFacingIdentificationMarkCode::fimTypeFromContent(const QString& content)
{
    const QString lower = content.toLower();
    const QString digits[] = {"1", "2", "3", "4", "5"};
    const QString letters[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < 5; ++i) {
        if (content == digits[i] || lower == letters[i])
            return BCFIMType(i + 1);
    }
    return BCFIMType::None;
}

QString BCFacingIdentificationMarkCode::contentForFimType(BCFIMType type)
{
    const int index = int(type);
    return index >= 1 && index <= 5 ? QString(QChar(u'A' + index - 1)) : QString();
}

BCCodeCharacterPtr BCFacingIdentificationMarkCode::facingIdentificationMarkCode(BCFIMType type)
{
    // Nine positions, each a one-module bar or space and a one-module space.
    static const char16_t* const marks[] = {
        u"101000001000001010", u"100010100010100010", u"101000100010001010", u"101010001000101010", u"100010000000100010",
    };
    const int index = int(type);
    if (index < 1 || index > 5)
        return nullptr;
    return BCMakeCodeCharacter(marks[index - 1], false);
}

BCCodeCharacters BCFacingIdentificationMarkCode::makeCodeCharacters() const
{
    return {facingIdentificationMarkCode(m_fimType)};
}

} // namespace ql
