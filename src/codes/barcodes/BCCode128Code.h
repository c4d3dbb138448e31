// Code 128 with automatic choice of the code sets A, B and C while the
// content is encoded, and its modulo-103 check character.
#pragma once

#include "codes/barcodes/BCCode128CodeCharacter.h"
#include "codes/barcodes/BCPatternCode.h"

namespace ql {

class BCCode128Code : public BCPatternCode {
public:
    BCCode128Code(Key key, QString content);
    static Result<std::unique_ptr<BCCode128Code>> create(const QString& content) { return initWithContent<BCCode128Code>(content); }

    static Status canEncodeContent(const QString& content);
    static QString barcodeStandard() { return QStringLiteral("International standard ISO/IEC 15417"); }
    static QString barcodeDescription() { return QStringLiteral("Code 128"); }
    QString descriptionOfSymbology() const override { return barcodeDescription(); }
    unsigned horizontalQuietZoneWidth() const override { return 10; }

    BCCode128Version startingVersion() const { return m_barcodeVersion; }

    // The set a whole text starts in; NoSet, with the set-B message, when
    // neither A nor B can carry it.
    static BCCode128Version code128VersionNeeded(const QString& text, Error* error = nullptr);
    static BCCode128Version versionToContinue(BCCode128Version current, qsizetype contentIndex, QStringView remaining);
    static QStringView nextCharacterToEncode(QStringView remaining, BCCode128Version version);

protected:
    BCCodeCharacters makeCodeCharacters() const override;

private:
    BCCode128Version m_barcodeVersion;
};

} // namespace ql
