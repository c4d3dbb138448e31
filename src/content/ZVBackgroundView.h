// The background of a page or an element: none, a flat colour, a gradient of
// two colours (or one given from outside), or a picture fitted or tiled, with
// an opacity. Its settings are observed: every change records its undo on the
// owning document and refreshes the drawable state (gradient, shown or tiled
// picture, layer colour, alpha) that painters read.
#pragma once

#include "content/ZVImageView.h"
#include "platform/graphics/Color.h"

#include <QPointer>
#include <QStringList>
#include <memory>

class ZVCanvasView;
namespace ql::fields {
template <class C>
class Record;
}
namespace ql {
class UndoManager;
}

class ZVBackgroundView : public ZVImageView {
    Q_OBJECT
public:
    enum BackgroundType { None = 0, Colour = 1, GradientFill = 2, ImageFill = 3 };
    enum ImageMode { ScaleToFillMode = 0, Proportional = 1, Stretched = 2, Tiled = 3, Unscaled = 4 };

    // A background for `container` (a page or an element), framed like it;
    // pages pass an inset of 0, elements 40.
    ZVBackgroundView(QObject* container, float insets);
    explicit ZVBackgroundView(const QRectF& frame = QRectF());
    const ql::PropertyTable& properties() const override;

    static const QStringList& observedKeyPaths();

    QVariant backgroundType() const { return m_backgroundType; }
    void setBackgroundType(const QVariant& type);
    QVariant backgroundOpacity() const { return m_backgroundOpacity; }
    void setBackgroundOpacity(const QVariant& opacity);
    // A ql::Color, or null.
    QVariant backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QVariant& color);
    QVariant backgroundGradientType() const { return m_gradientTypeSetting; }
    void setBackgroundGradientType(const QVariant& type);
    QVariant backgroundGradientColor1() const { return m_gradientColor1; }
    void setBackgroundGradientColor1(const QVariant& color);
    QVariant backgroundGradientColor2() const { return m_gradientColor2; }
    void setBackgroundGradientColor2(const QVariant& color);
    QVariant backgroundGradientSplit() const { return m_gradientSplit; }
    void setBackgroundGradientSplit(const QVariant& split);
    QVariant backgroundGradientAngle() const { return m_gradientAngleSetting; }
    void setBackgroundGradientAngle(const QVariant& angle);
    QVariant backgroundImageType() const { return m_imageType; }
    void setBackgroundImageType(const QVariant& type);
    QVariant backgroundImageMode() const { return m_imageModeSetting; }
    void setBackgroundImageMode(const QVariant& mode);
    QVariant backgroundImageScale() const { return m_imageScale; }
    void setBackgroundImageScale(const QVariant& scale);
    const ql::Image& backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const ql::Image& image);
    // The background picture counts while the background shows a picture.
    bool hasUndecodablePicture() const override
    {
        return (m_backgroundType.toInt() == ImageFill && m_backgroundImage.isUndecodable())
               || ZVImageView::hasUndecodablePicture();
    }

    bool backgroundImagePickerHidden() const { return m_imagePickerHidden; }
    void setBackgroundImagePickerHidden(bool hidden);
    bool backgroundArtPickerHidden() const { return m_artPickerHidden; }
    void setBackgroundArtPickerHidden(bool hidden);
    float insets() const { return m_insets; }
    void setInsets(float insets);
    bool selected() const { return m_selected; }
    void setSelected(bool selected);
    bool vectorBacking() const { return m_vectorBacking; }
    void setVectorBacking(bool vectorBacking);
    bool scalingEligible() const { return m_scalingEligible; }
    void setScalingEligible(bool eligible);

    QObject* containerView() const { return m_containerView.data(); }
    void setContainerView(QObject* container);
    ZVCanvasView* currentPage() const;
    void setCurrentPage(ZVCanvasView* page);

    // Drawable state that update() derives: the layer colour (null: clear
    // or left as it was) and the alpha value (the background's opacity).
    const ql::Color& layerBackgroundColor() const { return m_layerColor; }

    // Derives the drawable state from the settings.
    void update();
    // The picture a tiled background repeats: scaled by the image scale in
    // tiled mode, else the picture itself.
    ql::Image scaledImage(const ql::Image& image) const;

    // Where this background's changes are recorded: the document of the
    // page it belongs to; none without one.
    ql::UndoManager* undoManager() const;

    void startObserving();
    bool isObserving() const { return m_isObserving; }

    // The same appearance, without container or page.
    std::unique_ptr<ZVBackgroundView> copy() const;

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

private:
    void initialize();
    static const ql::fields::Record<ZVBackgroundView>& archiveRecord();

    QVariant m_backgroundType;
    QVariant m_backgroundOpacity;
    QVariant m_backgroundColor;
    QVariant m_gradientTypeSetting;
    QVariant m_gradientColor1;
    QVariant m_gradientColor2;
    QVariant m_gradientSplit;
    QVariant m_gradientAngleSetting;
    QVariant m_imageType;
    QVariant m_imageModeSetting;
    QVariant m_imageScale;
    ql::Image m_backgroundImage;
    bool m_imagePickerHidden = false;
    bool m_artPickerHidden = false;
    float m_insets = 0.0f;
    bool m_selected = false;
    bool m_vectorBacking = false;
    bool m_scalingEligible = false;
    bool m_isObserving = false;
    QPointer<QObject> m_containerView;
    QPointer<QObject> m_currentPage;
    ql::Color m_layerColor = ql::Color::clear();
};
