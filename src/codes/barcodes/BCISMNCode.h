// A printed-music number (979-0-...) drawn as its EAN-13, with its printed
// form as title.
#pragma once

#include "codes/barcodes/BCStandardNumberCode.h"

namespace ql {

class BCISMNCode : public BCStandardNumberCode {
public:
    BCISMNCode(Key key, QString content) : BCStandardNumberCode(key, std::move(content)) {}

    // A hyphenated ISMN such as "979-0-2600-0043-8".
    static Result<std::unique_ptr<BCISMNCode>> create(const QString& text);
    static Result<std::unique_ptr<BCISMNCode>> createWithIssuer(const QString& issuer, const QString& item,
                                                                 const QString& checkDigit);

    static QString barcodeStandard() { return QStringLiteral("International standard ISO 10957"); }
    static QString barcodeDescription() { return QStringLiteral("ISMN"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
};

} // namespace ql
