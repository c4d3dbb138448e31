// The image content of an element, and the base of the background, the
// vector shape content and an element's reflection. This holds what pages
// and elements use of it: the shown and original pictures, scaling, the
// vector flag, crop state and display mode, and the gradient and tile fills
// its subclasses draw through. Adjustments and drawing build on it later.
#pragma once

#include "content/ZVContentView.h"
#include "platform/graphics/Image.h"

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

    explicit ZVImageView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    const ql::PropertyTable& properties() const override;

    // The picture as shown (after adjustments). Setting it leaves the
    // original alone.
    const ql::Image& image() const { return m_image; }
    void setImage(const ql::Image& image);
    // The unedited picture; setting it also makes it the picture crops cut from.
    const ql::Image& originalImage() const { return m_originalImage; }
    void setOriginalImage(const ql::Image& image);
    const ql::Image& originalImageForCropping() const { return m_originalImageForCropping; }
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

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

    // Re-applies the adjustments from the original to the shown picture.
    // Until adjustments exist the shown picture is the original.
    virtual void setLevels();

protected:
    struct SkipInitialize {};
    // For subclasses that set their own defaults instead of the image view's.
    ZVImageView(const QRectF& frame, QObject* parent, SkipInitialize);
    static const ql::PropertyTable& imageTable();
    static const ql::fields::Record<ZVImageView>& imageArchiveRecord();

    void initialize();

    ql::Image m_image;
    ql::Image m_originalImage;
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
};
