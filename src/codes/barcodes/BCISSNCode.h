// A serial number (ISSN) drawn as its EAN-13 with the 977 prefix and two
// variant digits, with its printed form as title.
#pragma once

#include "codes/barcodes/BCStandardNumberCode.h"

namespace ql {

class BCISSNCode : public BCStandardNumberCode {
public:
    BCISSNCode(Key key, QString content) : BCStandardNumberCode(key, std::move(content)) {}

    // A hyphenated ISSN such as "0317-8471".
    static Result<std::unique_ptr<BCISSNCode>> create(const QString& text);
    // Seven digits, the check character, and the variants (null means "0").
    static Result<std::unique_ptr<BCISSNCode>> createWithISSNString(const QString& issn, const QString& checkDigit,
                                                                     const QString& variantOne, const QString& variantTwo);

    static QString barcodeStandard() { return QStringLiteral("International standard ISO 3297"); }
    static QString barcodeDescription() { return QStringLiteral("ISSN"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    static QString generateISSNCheckDigit(QStringView digits);
};

} // namespace ql
