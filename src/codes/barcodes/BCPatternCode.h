// The common ground of the industrial, postal and pharmaceutical symbologies:
// a fixed height of 34 points whatever the bar scale, the content as caption
// under the bars, and the shared refusal message for a character.
#pragma once

#include "codes/barcodes/BCCode.h"

namespace ql {

class BCPatternCode : public BCCode {
public:
    unsigned horizontalQuietZoneWidth() const override { return 17; }
    double aspectRatio() const override { return 0; }
    double fixedHeight() const override { return 34; }
    bool hasCaptionTexts() const override { return true; }
    QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const override;

    static QString barcodeStandard() { return QStringLiteral("Not an international standard"); }

protected:
    using BCCode::BCCode;

    // "Character at index %d '%@' cannot be encoded in %@".
    static Error characterCannotBeEncoded(qsizetype index, QChar character, const QString& description, bool localised = true);
    // The first character for which `encodable` is false, refused with the message above.
    static Status everyCharacter(const QString& content, const std::function<bool(QChar)>& encodable, const QString& description,
                                 bool localised = true);
};

} // namespace ql
