// Basic Code 39 over 43 characters; the base of the modulo-43 and full-ASCII
// variants, which differ in the basic characters that stand for the content
// and in the check character.
#pragma once

#include "codes/barcodes/BCPatternCode.h"
#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCCode39Code : public BCPatternCode {
public:
    BCCode39Code(Key, QString content) : BCPatternCode(std::move(content)) {}
    static Result<std::unique_ptr<BCCode39Code>> create(const QString& content) { return initWithContent<BCCode39Code>(content); }

    // The library's factory (its name is historical: it makes Code 39 codes):
    // basic when the content allows, else full ASCII, with or without the check.
    static Result<std::unique_ptr<BCCode39Code>> code93WithContent(const QString& content, bool modulo43 = false);

    static Status canEncodeContent(const QString& content) { return canEncodeBasic(content, QStringLiteral("BCCode39Code")); }
    static QString barcodeStandard() { return QStringLiteral("International standard ISO/IEC 16388"); }
    static QString barcodeDescription() { return QStringLiteral("Code 39"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    unsigned horizontalQuietZoneWidth() const override { return 10; }

    static BCTableCodeCharacterPtr generateModulo43ForContentCodeCharacter(const std::vector<BCTableCodeCharacterPtr>& characters);

protected:
    // Every character one of the 43; refusals name `className`.
    static Status canEncodeBasic(const QString& content, const QString& className);
    // The basic characters that stand for the content.
    virtual QString basicCharacters() const { return content(); }
    virtual bool hasCheckCharacter() const { return false; }
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
