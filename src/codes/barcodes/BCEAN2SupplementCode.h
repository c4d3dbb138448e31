// The two-digit add-on; parities follow the value modulo 4.
#pragma once

#include "codes/barcodes/BCCode.h"
#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

class BCEAN2SupplementCode : public BCCode {
public:
    BCEAN2SupplementCode(Key, QString content) : BCCode(std::move(content)) {}
    // Stores the two-digit form of the value, so "5" and "005" both become "05".
    static Result<std::unique_ptr<BCEAN2SupplementCode>> create(const QString& content);

    static Status canEncodeContent(const QString& content);
    static QString barcodeStandard() { return QStringLiteral("International standard ISO/IEC 15420"); }
    static QString barcodeDescription() { return QStringLiteral("EAN-2 Supplement"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    double aspectRatio() const override { return 0.5; }

    unsigned digitAtIndex(qsizetype index) const;
    static void parityPatternForContent(const QString& content, BCEANEncoding& first, BCEANEncoding& second);

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
