// Full-ASCII Code 93 with its two modulo-47 check characters.
#pragma once

#include "codes/barcodes/BCPatternCode.h"
#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

inline const QString BCCode93Modulo47CheckCharacterFirst = QStringLiteral("BCCode93Modulo47CheckCharacterFirst");
inline const QString BCCode93Modulo47CheckCharacterSecond = QStringLiteral("BCCode93Modulo47CheckCharacterSecond");

class BCCode93Code : public BCPatternCode {
public:
    BCCode93Code(Key, QString content) : BCPatternCode(std::move(content)) {}
    static Result<std::unique_ptr<BCCode93Code>> create(const QString& content) { return initWithContent<BCCode93Code>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("Code 93 Full ASCII"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    // The Code 93 characters for one content character; null when it has none.
    static QString fullASCIIEncoding(QChar character);
    // Null for a kind other than the two constants.
    static BCTableCodeCharacterPtr generateModulo47(const QString& kind, const std::vector<BCTableCodeCharacterPtr>& characters);

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
