// Draws a barcode: background, bars (marker bars longer than content bars)
// and the caption under the bars in one font size fitted to its zones.
#pragma once

#include "codes/barcodes/BCCaptionTypesetter.h"
#include "codes/barcodes/BCCode.h"

#include <QImage>
#include <QRectF>

class QPainter;

namespace ql {

class BCCodeRenderer {
public:
    explicit BCCodeRenderer(const BCCaptionTypesetter& typesetter = BCCaptionTypesetter::standard());

    // Draws the whole code from the painter's origin at sizeWithRenderOptions();
    // leaves the painter's state as it found it.
    void renderInContext(const BCCode& code, QPainter& painter, const BCRenderOptions& options) const;
    // The code on a transparent 72-dpi image, one pixel per point; a null
    // image for a missing code or one of zero width or height.
    QImage imageWithBarCode(const BCCode* code, const BCRenderOptions& options) const;

    double captionFontSizeWithOptions(const BCCode& code, const BCRenderOptions& options) const;
    // The first whole size at which `text` is at least `width` wide.
    double optimalFontSizeToFitText(const QString& text, const QString& fontName, double width) const;

    static QRectF calculateBarRect(BCBarKind bar, double x, double barScale, double barLength);

private:
    struct Drawing;
    // The texts of the four zones as shown, and those of the quiet zones as
    // they count for the size.
    struct ZoneTexts {
        QString leftQuiet, leftCaption, rightCaption, rightQuiet;
        QString widestLeftQuiet, widestRightQuiet;
    };

    static ZoneTexts zoneTexts(const BCCode& code, const BCRenderOptions& options);
    double captionFontSize(const BCCode& code, const BCRenderOptions& options, const ZoneTexts& texts) const;

    // What the code draws, worked out once for either way of drawing it.
    Drawing layOut(const BCCode& code, const BCRenderOptions& options, QSizeF size) const;
    void paint(const Drawing& drawing, QPainter& painter) const;
    // Bars and captions written straight into the image's rows.
    void rasterize(const Drawing& drawing, QImage& image) const;
    // Where a caption line starts so that it is centred on the bottom of its box.
    QPointF captionBaseline(const Drawing& drawing, const QString& text, const QRectF& box) const;

    const BCCaptionTypesetter& m_typesetter;
};

} // namespace ql
