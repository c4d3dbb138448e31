// The base of every linear barcode: a validated content, its code characters,
// the geometry and caption hooks that symbologies override, and the readers
// of the render options. Codes are immutable once made; the code characters
// are built on first use and kept.
#pragma once

#include "codes/barcodes/BCBarcodeMessages.h"
#include "codes/barcodes/BCCodeCharacter.h"
#include "codes/barcodes/BCRenderOptions.h"

#include <QSizeF>
#include <memory>
#include <optional>
#include <vector>

namespace ql {

enum class BCCaptionZone {
    LeftQuiet = 0,    // left of the first guard
    LeftCaption = 1,  // between the first and the middle guard
    RightCaption = 2, // between the middle and the last guard
    RightQuiet = 3,   // right of the last guard
    BelowBars = 4,    // under all content bars, for codes without a middle guard
};

class BCCode {
public:
    virtual ~BCCode() = default;
    BCCode(const BCCode&) = delete;
    BCCode& operator=(const BCCode&) = delete;

    const QString& content() const { return m_content; }
    const BCCodeCharacters& codeCharacters() const;
    // The bars of each code character in order, made once with the characters.
    const std::vector<BCBarString>& characterBarStrings() const;
    BCBarString barString() const;
    QString description() const;

    // The display name used in messages, such as "EAN-13".
    virtual QString descriptionOfSymbology() const = 0;

    // Geometry and caption hooks, in modules and points.
    virtual unsigned horizontalQuietZoneWidth() const { return 0; }
    virtual double aspectRatio() const { return 1.0; } // width / height; 0 uses fixedHeight()
    virtual double fixedHeight() const { return 0; }
    virtual bool markerBarsCanOverlapBottomCaption() const { return false; }
    virtual bool allowsFillingOfEmptyQuietZones() const { return false; }
    virtual bool showCheckDigitsInCaption() const { return false; }
    virtual QString defaultCaptionFontName() const { return QStringLiteral("Helvetica"); }
    // Whether the symbology has caption texts at all; one without never draws a caption.
    virtual bool hasCaptionTexts() const { return false; }
    // A null text means the zone has none.
    virtual QString captionTextForZone(BCCaptionZone zone, const BCRenderOptions& options) const;

    // The texts shown in the zones.
    QString leftQuietZoneDisplayText(const BCRenderOptions& options) const;
    QString rightQuietZoneDisplayText(const BCRenderOptions& options) const;
    QString leftCaptionZoneDisplayText(const BCRenderOptions& options) const;
    QString rightCaptionZoneDisplayText(const BCRenderOptions& options) const;

    // Option readers.
    static double barScaleFromOptions(const BCRenderOptions& options);
    bool shouldDrawCaptionFromOptions(const BCRenderOptions& options) const;
    static bool shouldShowCheckDigitsFromOptions(const BCRenderOptions& options);
    static double markerBarCaptionOverlapFromOptions(const BCRenderOptions& options);
    QString captionFontNameFromOptions(const BCRenderOptions& options) const;

    // Widths of the zones the caption font is fitted to.
    double horizontalQuietZoneWidthWithOptions(const BCRenderOptions& options) const;
    double leftCaptionZoneWidthWithOptions(const BCRenderOptions& options) const;
    double rightCaptionZoneWidthWithOptions(const BCRenderOptions& options) const;

    // Size of the rendered code in points.
    QSizeF sizeWithRenderOptions(const BCRenderOptions& options) const;

protected:
    // Only BCCode can make one, so codes exist only through validation.
    class Key {
        friend class BCCode;
        Key() = default;
    };

    explicit BCCode(QString content);

    virtual BCCodeCharacters makeCodeCharacters() const = 0;

    // Refuses empty content, asks the symbology's canEncodeContent() and makes
    // the code; the error on refusal.
    template <class Code, class... Args>
    static Result<std::unique_ptr<Code>> initWithContent(const QString& content, Args&&... args)
    {
        if (content.isEmpty())
            return BCLocalizedError("Unable to encoded empty string in %@", {Code::barcodeDescription()});
        if (Status status = Code::canEncodeContent(content); !status)
            return status.error();
        return std::make_unique<Code>(Key(), content, std::forward<Args>(args)...);
    }

private:
    QString m_content;
    mutable std::optional<BCCodeCharacters> m_codeCharacters;
    mutable std::optional<std::vector<BCBarString>> m_characterBarStrings;
};

using BCCodePtr = std::unique_ptr<BCCode>;

} // namespace ql
