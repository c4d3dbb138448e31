#include "codes/barcodes/BCPOSTNETCode.h"

#include "codes/barcodes/BCPOSTNETCodeCharacter.h"
#include "codes/barcodes/BCStandardNumberRules.h"

namespace ql {

namespace {

const QString ClassName = QStringLiteral("BCPOSTNETCode");

Error plainError(const QString& message)
{
    return BCCodeErrorWithMessage(BCFormat(message, {ClassName}));
}

} // namespace

Result<std::unique_ptr<BCPOSTNETCode>> BCPOSTNETCode::createWithZIP(const QString& zip, const QString& zipPlus4,
                                                                     const QString& deliveryPointCode)
{
    if (zip.isEmpty())
        return plainError(QStringLiteral("%@ requires at least a ZIP code"));
    if (zipPlus4.isEmpty() && !deliveryPointCode.isNull())
        return plainError(QStringLiteral("%@ requires a ZIP+4 code if a delivery point code is provided"));
    if (zip.size() != 5)
        return plainError(QStringLiteral("The ZIP code must be 5 digits long and include any leading zeroes"));
    if (!zipPlus4.isNull() && zipPlus4.size() != 4)
        return plainError(QStringLiteral("The ZIP+4 code must be 4 digits long"));
    if (!deliveryPointCode.isNull() && deliveryPointCode.size() != 2)
        return plainError(QStringLiteral("The delivery point code must be 2 digits long"));
    return create(zip + zipPlus4 + deliveryPointCode);
}

Status BCPOSTNETCode::canEncodeContent(const QString& content)
{
    if (!std::all_of(content.begin(), content.end(), BCIsDecimalDigit))
        return plainError(QStringLiteral("Contents cannot be encoded in %@, only integer values are supported"));
    if (content.size() != 5 && content.size() != 9 && content.size() != 11)
        return plainError(QStringLiteral("%@ only supports 5-digit \"A\", 9-digit \"C\" and 11-digit \"DPBC\" barcodes"));
    return {};
}

BCTableCodeCharacterPtr BCPOSTNETCode::generateModulo10(const std::vector<BCTableCodeCharacterPtr>& digits)
{
    qsizetype sum = 0;
    for (const BCTableCodeCharacterPtr& digit : digits)
        sum += digit->characterValue();
    return BCTableCodeCharacter::codeCharacterForValue(BCPOSTNETCodeCharacter::table(), (10 - sum % 10) % 10, true);
}

BCCodeCharacters BCPOSTNETCode::makeCodeCharacters() const
{
    std::vector<BCTableCodeCharacterPtr> digits;
    BCCodeCharacters characters{BCPOSTNETCodeCharacter::frameBarCodeCharacter(), BCPOSTNETCodeCharacter::spacingCodeCharacter()};
    for (qsizetype i = 0; i < content().size(); ++i) {
        if (auto digit = BCTableCodeCharacter::codeCharacterForCharacter(BCPOSTNETCodeCharacter::table(), QStringView(content()).mid(i, 1))) {
            characters.push_back(digit);
            digits.push_back(std::move(digit));
        }
    }
    characters.push_back(generateModulo10(digits));
    characters.push_back(BCPOSTNETCodeCharacter::frameBarCodeCharacter());
    return characters;
}

} // namespace ql
