// EAN-8: four digits in L left of the centre guard, four in R right of it.
#pragma once

#include "codes/barcodes/BCGTINCode.h"

namespace ql {

class BCEAN8Code : public BCGTINCode {
public:
    BCEAN8Code(Key key, QString content) : BCGTINCode(key, std::move(content)) {}
    static Result<std::unique_ptr<BCEAN8Code>> create(const QString& content) { return initWithContent<BCEAN8Code>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("EAN-8"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    double aspectRatio() const override { return 1.2543406851243548; }
    bool allowsFillingOfEmptyQuietZones() const override { return true; }

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
