// Codabar: digits and six signs between start and stop letters that the
// content itself supplies ("A123B"); no check character.
#pragma once

#include "codes/barcodes/BCPatternCode.h"

namespace ql {

class BCCodabarCode : public BCPatternCode {
public:
    BCCodabarCode(Key, QString content) : BCPatternCode(std::move(content)) {}
    static Result<std::unique_ptr<BCCodabarCode>> create(const QString& content) { return initWithContent<BCCodabarCode>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("Codabar"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    bool showCheckDigitsInCaption() const override { return true; }
    // The start and stop letters show only when check digits are asked for.
    QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const override;

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
