// Full-ASCII Code 39 with the modulo-43 check over its basic characters.
#pragma once

#include "codes/barcodes/BCCode39FullASCII.h"

namespace ql {

class BCCode39FullASCIIModulo43 : public BCCode39FullASCII {
public:
    BCCode39FullASCIIModulo43(Key key, QString content) : BCCode39FullASCII(key, std::move(content)) {}
    static Result<std::unique_ptr<BCCode39FullASCIIModulo43>> create(const QString& content)
    {
        return initWithContent<BCCode39FullASCIIModulo43>(content);
    }

    static Status canEncodeContent(const QString& content) { return canEncodeFullASCII(content, barcodeDescription()); }
    static QString barcodeDescription() { return QStringLiteral("Code 39 Full ASCII mod 43"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

protected:
    bool hasCheckCharacter() const override { return true; }
};

} // namespace ql
