// The common base of EAN-13, EAN-8, UPC-A and UPC-E: captions grouped by the
// guards, the OCR-B caption font, and the digit and check-digit rules.
#pragma once

#include "codes/barcodes/BCCode.h"
#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

class BCGTINCode : public BCCode {
public:
    static QString barcodeStandard() { return QStringLiteral("International standard ISO/IEC 15420"); }

    unsigned digitAtIndex(qsizetype index) const;

    unsigned horizontalQuietZoneWidth() const override { return 7; }
    bool markerBarsCanOverlapBottomCaption() const override { return true; }
    QString defaultCaptionFontName() const override { return QStringLiteral("OCRB"); }
    bool hasCaptionTexts() const override { return true; }
    QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const override;

    // The GTIN check digit of `digits` (weight 3 on the rightmost, then 1, 3, ...).
    static unsigned checkDigitFor(QStringView digits);

protected:
    BCGTINCode(Key, QString content) : BCCode(std::move(content)) {}

    // Length, then ASCII digits from index 0 on, with the family's messages.
    static Status validateLengthAndDigits(const QString& content, qsizetype length, const char* lengthMessage,
                                          const QString& description, qsizetype firstIndex = 0);
    // The last digit must be the check digit of the others.
    static Status validateCheckDigit(QStringView digits, QChar given);
};

} // namespace ql
