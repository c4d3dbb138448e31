// The Facing Identification Mark printed on reply mail: one of five fixed
// patterns, A to E. No quiet zone, no caption, square at any bar scale.
#pragma once

#include "codes/barcodes/BCCode.h"

namespace ql {

enum class BCFIMType : qint8 { None = 0, A = 1, B = 2, C = 3, D = 4, E = 5 };

class BCFacingIdentificationMarkCode : public BCCode {
public:
    BCFacingIdentificationMarkCode(Key, QString content) : BCCode(std::move(content)), m_fimType(fimTypeFromContent(this->content())) {}
    // "A" to "E" in either case, or "1" to "5".
    static Result<std::unique_ptr<BCFacingIdentificationMarkCode>> create(const QString& content);
    static Result<std::unique_ptr<BCFacingIdentificationMarkCode>> createWithFIMType(BCFIMType type);

    static Status canEncodeContent(const QString& content);
    static QString barcodeStandard() { return QStringLiteral("Not an international standard"); }
    static QString barcodeDescription() { return QStringLiteral("Facing Identification Mark"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    BCFIMType fimType() const { return m_fimType; }
    static BCFIMType fimTypeFromContent(const QString& content);
    static QString contentForFimType(BCFIMType type); // null for None
    static BCCodeCharacterPtr facingIdentificationMarkCode(BCFIMType type); // null for None

protected:
    BCCodeCharacters makeCodeCharacters() const override;

private:
    BCFIMType m_fimType;
};

} // namespace ql
