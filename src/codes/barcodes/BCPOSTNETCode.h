// POSTNET: a 5-, 9- or 11-digit ZIP code of tall and short bars with a check digit.
#pragma once

#include "codes/barcodes/BCPatternCode.h"
#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCPOSTNETCode : public BCPatternCode {
public:
    BCPOSTNETCode(Key, QString content) : BCPatternCode(std::move(content)) {}
    static Result<std::unique_ptr<BCPOSTNETCode>> create(const QString& content) { return initWithContent<BCPOSTNETCode>(content); }
    // By parts; a null ZIP+4 or delivery point code is absent.
    static Result<std::unique_ptr<BCPOSTNETCode>> createWithZIP(const QString& zip, const QString& zipPlus4 = QString(),
                                                                const QString& deliveryPointCode = QString());

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("POSTNET"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    double fixedHeight() const override { return 25; }

    static BCTableCodeCharacterPtr generateModulo10(const std::vector<BCTableCodeCharacterPtr>& digits);

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
