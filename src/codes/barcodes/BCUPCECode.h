// UPC-E: a zero-suppressed UPC-A in six digits whose parities carry the
// number system and the check digit.
#pragma once

#include "codes/barcodes/BCGTINCode.h"

namespace ql {

class BCUPCECode : public BCGTINCode {
public:
    BCUPCECode(Key key, QString content) : BCGTINCode(key, std::move(content)) {}
    static Result<std::unique_ptr<BCUPCECode>> create(const QString& content) { return initWithContent<BCUPCECode>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("UPC-E"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    double aspectRatio() const override { return 1.2543406851243548; }
    QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const override;

    // The set of the encoded digit at `index` (0 to 5) in a UPC-E parity pattern.
    static BCEANEncoding codeVariantIndexForDigitAtIndex(qsizetype index, const char* pattern);
    // The twelve digits of the UPC-A that an eight-digit UPC-E content stands for.
    static QString expandedToUPCA(QStringView content);

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
