// UPC-A: twelve digits, the outer two drawn with long bars like the guards.
#pragma once

#include "codes/barcodes/BCGTINCode.h"

namespace ql {

class BCUPCACode : public BCGTINCode {
public:
    BCUPCACode(Key key, QString content) : BCGTINCode(key, std::move(content)) {}
    static Result<std::unique_ptr<BCUPCACode>> create(const QString& content) { return initWithContent<BCUPCACode>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeDescription() { return QStringLiteral("UPC-A"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }

    double aspectRatio() const override { return 1.516402933230413; }
    unsigned horizontalQuietZoneWidth() const override { return 10; }
    QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const override;

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
