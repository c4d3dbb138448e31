// MSI (Modified Plessey): digits with one of four check-digit schemes.
#pragma once

#include "codes/barcodes/BCPatternCode.h"
#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

enum class BCMSICodeCheckDigitScheme : qint8 {
    None = 0,
    Mod10 = 1,   // Luhn
    Mod11 = 2,   // weights 2 to 7
    Mod1010 = 3, // Luhn, then Luhn over the digits and the first check digit
    Mod1110 = 4, // modulo 11, then Luhn over the digits and the first check digit
};

class BCMSICode : public BCPatternCode {
public:
    BCMSICode(Key, QString content, BCMSICodeCheckDigitScheme scheme) : BCPatternCode(std::move(content)), m_checkDigitScheme(scheme) {}
    // A modulo-11 check value of 10 has no digit, so such content is refused
    // for the schemes that use it.
    static Result<std::unique_ptr<BCMSICode>> create(const QString& content,
                                                     BCMSICodeCheckDigitScheme scheme = BCMSICodeCheckDigitScheme::Mod10);

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("MSI (Modified Plessey)"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    bool showCheckDigitsInCaption() const override { return true; }
    QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const override;

    BCMSICodeCheckDigitScheme checkDigitScheme() const { return m_checkDigitScheme; }

    static int luhnCheckValue(QStringView digits);
    // 0 to 10; 10 has no digit character.
    static int reverseModulo11CheckValue(QStringView digits);
    // The check digits the scheme appends to `digits`; null when one cannot be written.
    static QString checkDigits(QStringView digits, BCMSICodeCheckDigitScheme scheme);

protected:
    BCCodeCharacters makeCodeCharacters() const override;

private:
    BCMSICodeCheckDigitScheme m_checkDigitScheme;
};

} // namespace ql
