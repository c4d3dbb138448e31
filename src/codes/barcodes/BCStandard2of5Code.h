// Standard (Industrial) 2 of 5, optionally with a modulo-10 check digit that
// the caption never shows.
#pragma once

#include "codes/barcodes/BCPatternCode.h"
#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCStandard2of5Code : public BCPatternCode {
public:
    BCStandard2of5Code(Key, QString content, bool modulo10) : BCPatternCode(std::move(content)), m_isModulo10(modulo10) {}
    static Result<std::unique_ptr<BCStandard2of5Code>> create(const QString& content, bool modulo10 = false)
    {
        return initWithContent<BCStandard2of5Code>(content, modulo10);
    }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("Standard/Industrial 2 of 5"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    bool isModulo10() const { return m_isModulo10; }

    static BCTableCodeCharacterPtr generateModulo10(const std::vector<BCTableCodeCharacterPtr>& digits);

protected:
    BCCodeCharacters makeCodeCharacters() const override;

private:
    bool m_isModulo10;
};

} // namespace ql
