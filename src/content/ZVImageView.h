// The image content of an element, and the base of the background, the
// vector shape content and an element's reflection. It keeps the picture the
// user placed (never changed by adjustments), the adjustments (brightness,
// contrast, saturation, blur, sharpness, tint, one effect, a mask), a display
// mode, crop state, a gradient overlay and a tiled fill, and shows the
// adjusted picture. Its observed settings record their undo on the element's
// document and re-run the adjustments.
#pragma once

#include "content/ZVContentView.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <QImage>
#include <QStringList>
#include <QVariant>

namespace ql::fields {
template <class C>
class Record;
}

class ZVImageView : public ZVContentView {
    Q_OBJECT
public:
    // The platform's image-scaling values.
    enum ImageScaling { ScaleProportionallyDown = 0, ScaleAxesIndependently = 1, ScaleNone = 2,
                        ScaleProportionallyUpOrDown = 3 };
    // Display modes (imageMode).
    enum DisplayMode { ScaleToFillMode = 0, ProportionalMode = 1, StretchedMode = 2, CroppedMode = 3,
                       UnscaledMode = 4 };

    explicit ZVImageView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    const ql::PropertyTable& properties() const override;

    // The picture as shown (after adjustments). Setting it leaves the
    // original alone. While scale-to-fill is on, the shown image is a drawing
    // of the picture that fills the view's bounds as they are whenever it is
    // drawn (cut equally on both sides of the longer direction), sized to the
    // bounds at the time it was set.
    // Shape views make theirs when first asked for.
    virtual const ql::Image& image() const { return m_image; }
    virtual void setImage(const ql::Image& image);
    // The picture last given to setImage(), before any fill drawing.
    const ql::Image& picture() const { return m_picture; }
    // Where aspect fill takes the part of a picture of `size` for bounds of
    // `bounds`: full height with the width cut, or full width with the
    // height cut, centred.
    static QRectF aspectFillSource(QSizeF size, QSizeF bounds);
    // The unedited picture; setting it also makes it the picture crops cut
    // from and the input of the adjustments. The shown picture changes only
    // when setLevels() runs.
    const ql::Image& originalImage() const { return m_originalImage; }
    void setOriginalImage(const ql::Image& image);
    // The original's pixels, what adjustments start from: a bitmap's own,
    // or a vector original rendered at print resolution when first adjusted.
    // None for a stored picture too large to adjust whole: it is adjusted
    // when drawn, at the size drawn.
    const QImage& originalCIImage() const { return m_originalPixels; }
    const ql::Image& originalImageForCropping() const { return m_originalImageForCropping; }
    void setOriginalImageForCropping(const ql::Image& image);
    const ql::Image& tiledImage() const { return m_tiledImage; }
    void setTiledImage(const ql::Image& image);

    bool scaleToFill() const { return m_scaleToFill; }
    void setScaleToFill(bool scaleToFill);
    int imageScaling() const { return m_imageScaling; }
    // While scale-to-fill is on the view scales axes-independently whatever
    // is asked.
    void setImageScaling(int scaling);

    bool isVector() const { return m_isVector; }
    void setIsVector(bool isVector);
    bool cropMode() const { return m_cropMode; }
    void setCropMode(bool cropMode);
    QRectF cropRect() const { return m_cropRect; }
    void setCropRect(const QRectF& rect);
    double cropScale() const { return m_cropScale; }
    void setCropScale(double scale);
    // The part of originalImageForCropping() that crop mode shows, in its
    // points, y from its bottom edge: (−x, y, width ÷ s, height ÷ s) of the
    // crop rectangle at scale s (1 when the scale is 0 or not finite).
    QRectF cropSourceRect() const;
    // How many of the units documents keep crop offsets in make one point of
    // the picture: the pixels of the picture crops were first cut from (its
    // own, at least one a point; PDF and EPS originals are cut at their
    // points).
    double storedCropUnitsPerPoint() const;
    // Display mode 0 to 4; a number or null.
    QVariant imageMode() const { return m_imageMode; }
    void setImageMode(const QVariant& mode);

    // Gradient overlay: a ql::Gradient or null; angle and type are numbers
    // or null.
    QVariant gradient() const { return m_gradient; }
    void setGradient(const QVariant& gradient);
    QVariant gradientAngle() const { return m_gradientAngle; }
    void setGradientAngle(const QVariant& angle);
    QVariant gradientType() const { return m_gradientType; }
    void setGradientType(const QVariant& type);

    // Adjustments: numbers as set (integer or real), used by setLevels().
    QVariant brightness() const { return m_brightness; }
    void setBrightness(const QVariant& value);
    QVariant contrast() const { return m_contrast; }
    void setContrast(const QVariant& value);
    QVariant saturation() const { return m_saturation; }
    void setSaturation(const QVariant& value);
    QVariant blur() const { return m_blur; }
    void setBlur(const QVariant& value);
    QVariant sharpness() const { return m_sharpness; }
    void setSharpness(const QVariant& value);
    ql::Color tintColor() const { return m_tintColor; }
    void setTintColor(const ql::Color& color);
    bool tintEnabled() const { return m_tintEnabled; }
    void setTintEnabled(bool enabled);
    // 0 none, 1 to 11 the effects of the design helper.
    qint64 imageEffect() const { return m_imageEffect; }
    void setImageEffect(qint64 effect);
    bool effectsEnabled() const { return m_effectsEnabled; }
    void setEffectsEnabled(bool enabled);
    const ql::Image& imageMask() const { return m_imageMask; }
    void setImageMask(const ql::Image& mask);
    bool imageMaskEnabled() const { return m_imageMaskEnabled; }
    void setImageMaskEnabled(bool enabled);

    // Not used by pictures; the text inspector reads them of every content.
    QVariant currentEmphasis() const { return m_currentEmphasis; }
    void setCurrentEmphasis(const QVariant& emphasis);
    QVariant currentJustification() const { return m_currentJustification; }
    void setCurrentJustification(const QVariant& justification);

    // Brightness 0, contrast 1, saturation 1, blur 0, sharpness 0, each an
    // observed (and undoable) change.
    void setLevelDefaults();

    // The 23 key paths the view observes on itself, in order.
    static const QStringList& observedKeyPaths();
    QStringList observingKeyPaths() const { return m_isObserving ? observedKeyPaths() : QStringList(); }
    void startObserving();
    bool isObserving() const { return m_isObserving; }

    // Recomputes the shown picture from the original: scaling by display
    // mode, the adjustment chain, the mask, then the picture goes to the view
    // or, for an element in crop display, to the crop. Records no undo.
    virtual void setLevels();
    // While one is alive, the adjustments asked for wait and are made once,
    // when the last one ends: a step that replaces several parts of the
    // picture (a flip: the original and the mask) shows the result once.
    class HeldLevels {
    public:
        explicit HeldLevels(ZVImageView& view) : m_view(&view) { ++view.m_levelsHolds; }
        ~HeldLevels();
        HeldLevels(const HeldLevels&) = delete;
        HeldLevels& operator=(const HeldLevels&) = delete;

    private:
        QPointer<ZVImageView> m_view;
    };
    // Output cannot show a picture that is still converting: the
    // adjustments waiting for an EPS original's pixels are made now, on the
    // conversion time of the drawing under way.
    void finishPendingLevels();

    bool hasUndecodablePicture() const override;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Reads quietly: keys that are missing or of another kind keep their
    // defaults, and nothing is recorded for undo.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

protected:
    struct SkipInitialize {};
    // For subclasses that set their own defaults instead of the image view's.
    ZVImageView(const QRectF& frame, QObject* parent, SkipInitialize);
    static const ql::PropertyTable& imageTable();
    static const ql::fields::Record<ZVImageView>& imageArchiveRecord();

    void initialize();
    // What a change of one of the observed key paths does besides its undo.
    virtual void observedValueChanged(const QString& keyPath);

    ql::Image m_image;
    ql::Image m_picture;
    ql::Image m_originalImage;
    QImage m_originalPixels;
    ql::Image m_originalImageForCropping;
    ql::Image m_tiledImage;
    bool m_scaleToFill = false;
    int m_imageScaling = ScaleAxesIndependently;
    bool m_isVector = false;
    bool m_cropMode = false;
    QRectF m_cropRect;
    double m_cropScale = 0.0;
    QVariant m_imageMode;
    QVariant m_gradient;
    QVariant m_gradientAngle;
    QVariant m_gradientType;
    QVariant m_brightness;
    QVariant m_contrast;
    QVariant m_saturation;
    QVariant m_blur;
    QVariant m_sharpness;
    ql::Color m_tintColor = ql::Color::white();
    bool m_tintEnabled = false;
    qint64 m_imageEffect = 0;
    bool m_effectsEnabled = false;
    ql::Image m_imageMask;
    bool m_imageMaskEnabled = false;
    QVariant m_currentEmphasis;
    QVariant m_currentJustification;
    bool m_isObserving = false;

private:
    void applyDisplayModeScaling();
    void handOver(const ql::Image& adjusted);
    // The original's pixels for the adjustments, when they can be had
    // without waiting here for Ghostscript; otherwise the conversion runs
    // on a worker thread and setLevels() runs again when it is done.
    bool takeOriginalPixels();
    void awaitConversion(bool waiting);
    // The document whose conversion time pays for the original's pixels.
    const QObject* documentObject() const;

    int m_levelsHolds = 0;
    bool m_levelsWaiting = false;
    bool m_levelsAwaitConversion = false;
    bool m_convertHere = false;
    quint64 m_conversionObserver = 0;
};
