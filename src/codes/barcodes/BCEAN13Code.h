// EAN-13: twelve digits in bars after the parity-selecting first digit, which
// shows only in the caption.
#pragma once

#include "codes/barcodes/BCGTINCode.h"

namespace ql {

class BCEAN13Code : public BCGTINCode {
public:
    BCEAN13Code(Key key, QString content) : BCGTINCode(key, std::move(content)) {}
    static Result<std::unique_ptr<BCEAN13Code>> create(const QString& content) { return initWithContent<BCEAN13Code>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("EAN-13"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    double aspectRatio() const override { return 1.516402933230413; }
    bool allowsFillingOfEmptyQuietZones() const override { return true; }
    QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const override;

    // The EAN check digit of the given digits, weighted 1, 3, 1, ... from the
    // left (a non-digit counts as 0); "0" for an empty text.
    static QString generateEAN13CheckDigit(QStringView digits);
    // The set of the digit at `index` (1 to 12) in a parity pattern.
    static BCEANEncoding codeVariantIndexForDigitAtIndex(qsizetype index, const char* pattern);

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
