// Interleaved 2 of 5 (ITF): digits in pairs; an odd content gets a leading zero.
#pragma once

#include "codes/barcodes/BCPatternCode.h"

namespace ql {

class BCInterleaved2of5Code : public BCPatternCode {
public:
    BCInterleaved2of5Code(Key, QString content) : BCPatternCode(std::move(content)) {}
    static Result<std::unique_ptr<BCInterleaved2of5Code>> create(const QString& content)
    {
        return initWithContent<BCInterleaved2of5Code>(content.size() % 2 == 1 ? u'0' + content : content);
    }

    static Status canEncodeContent(const QString& content);
    static QString barcodeStandard() { return QStringLiteral("International standard ISO/IEC 16390"); }
    static QString barcodeDescription() { return QStringLiteral("Interleaved 2 of 5 (Code 25)"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    unsigned horizontalQuietZoneWidth() const override { return 10; }
    double fixedHeight() const override { return 75; }

protected:
    BCCodeCharacters makeCodeCharacters() const override;
};

} // namespace ql
