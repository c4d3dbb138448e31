// Pharmacode one-track: a number from 3 to 131070 as narrow and wide bars.
#pragma once

#include "codes/barcodes/BCPatternCode.h"

namespace ql {

class BCPharmacodeOneTrack : public BCPatternCode {
public:
    BCPharmacodeOneTrack(Key, QString content) : BCPatternCode(std::move(content)) {}
    static Result<std::unique_ptr<BCPharmacodeOneTrack>> create(const QString& content)
    {
        return initWithContent<BCPharmacodeOneTrack>(content);
    }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("Pharmacode One Track"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    double aspectRatio() const override { return 1.9; }

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
