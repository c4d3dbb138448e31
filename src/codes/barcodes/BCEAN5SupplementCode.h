// The five-digit add-on; parities follow its checksum, which is not drawn.
#pragma once

#include "codes/barcodes/BCCode.h"
#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

class BCEAN5SupplementCode : public BCCode {
public:
    BCEAN5SupplementCode(Key, QString content) : BCCode(std::move(content)) {}
    static Result<std::unique_ptr<BCEAN5SupplementCode>> create(const QString& content)
    {
        return initWithContent<BCEAN5SupplementCode>(content);
    }

    static Status canEncodeContent(const QString& content);
    static QString barcodeStandard() { return QStringLiteral("International standard ISO/IEC 15420"); }
    static QString barcodeDescription() { return QStringLiteral("EAN-5 Supplement"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    static unsigned checksumDigitForContent(QStringView content);
    // "GGLLL" and so on; a null text above 9.
    static QString parityPatternForChecksumDigit(unsigned digit);
    static BCEANEncoding encodingAtIndex(qsizetype index, const QString& pattern);

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
