// Basic Code 39 with the modulo-43 check character.
#pragma once

#include "codes/barcodes/BCCode39Code.h"

namespace ql {

class BCCode39CodeModulo43 : public BCCode39Code {
public:
    BCCode39CodeModulo43(Key key, QString content) : BCCode39Code(key, std::move(content)) {}
    static Result<std::unique_ptr<BCCode39CodeModulo43>> create(const QString& content)
    {
        return initWithContent<BCCode39CodeModulo43>(content);
    }

    static Status canEncodeContent(const QString& content) { return canEncodeBasic(content, QStringLiteral("BCCode39CodeModulo43")); }
    static QString barcodeDescription() { return QStringLiteral("Code 39 mod 43"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

protected:
    bool hasCheckCharacter() const override { return true; }
};

} // namespace ql
