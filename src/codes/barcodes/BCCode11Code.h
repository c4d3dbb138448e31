// Code 11: digits and the dash with one modulo-11 check character, two from
// ten content characters on.
#pragma once

#include "codes/barcodes/BCPatternCode.h"
#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

inline const QString BCCode11Modulo11CheckCharacterFirst = QStringLiteral("BCCode11Modulo11CheckCharacterFirst");
inline const QString BCCode11Modulo11CheckCharacterSecond = QStringLiteral("BCCode11Modulo11CheckCharacterSecond");

class BCCode11Code : public BCPatternCode {
public:
    BCCode11Code(Key, QString content) : BCPatternCode(std::move(content)) {}
    static Result<std::unique_ptr<BCCode11Code>> create(const QString& content) { return initWithContent<BCCode11Code>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("Code 11"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    // Null for a kind other than the two constants.
    static BCTableCodeCharacterPtr generateModulo11(const QString& kind, const std::vector<BCTableCodeCharacterPtr>& characters);

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
