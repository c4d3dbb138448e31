#include "content/ZVBackgroundView.h"

#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/Gradient.h"
#include "platform/undo/KeyPathUndo.h"

#include <cmath>

namespace {

QRectF containerFrame(QObject* container)
{
    if (auto* page = qobject_cast<ZVCanvasView*>(container))
        return page->frame();
    if (auto* element = qobject_cast<ZVPuttyView*>(container))
        return element->frame();
    return QRectF();
}

ql::Color colorOr(const QVariant& value, const ql::Color& fallback)
{
    return value.userType() == qMetaTypeId<ql::Color>() ? value.value<ql::Color>() : fallback;
}

} // namespace

ZVBackgroundView::ZVBackgroundView(QObject* container, float insets)
    : ZVImageView(containerFrame(container), nullptr, SkipInitialize{})
{
    m_containerView = container;
    m_insets = insets;
    initialize();
    startObserving();
}

ZVBackgroundView::ZVBackgroundView(const QRectF& frame) : ZVImageView(frame, nullptr, SkipInitialize{})
{
    initialize();
    startObserving();
}

const QStringList& ZVBackgroundView::observedKeyPaths()
{
    static const QStringList paths {
        QStringLiteral("backgroundColor"),          QStringLiteral("backgroundOpacity"),
        QStringLiteral("backgroundType"),           QStringLiteral("backgroundGradientColor1"),
        QStringLiteral("backgroundGradientColor2"), QStringLiteral("backgroundGradientAngle"),
        QStringLiteral("backgroundGradientType"),   QStringLiteral("backgroundGradientSplit"),
        QStringLiteral("backgroundImageType"),      QStringLiteral("backgroundImageMode"),
        QStringLiteral("backgroundImage"),          QStringLiteral("backgroundImageScale"),
    };
    return paths;
}

const ql::PropertyTable& ZVBackgroundView::properties() const
{
    using V = ZVBackgroundView;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<V>(&imageTable())
            .property("backgroundType", &V::backgroundType, &V::setBackgroundType, ValueKind::Number)
            .property("backgroundOpacity", &V::backgroundOpacity, &V::setBackgroundOpacity, ValueKind::Number)
            .property("backgroundColor", &V::backgroundColor, &V::setBackgroundColor, ql::valueOf<ql::Color>())
            .property("backgroundGradientType", &V::backgroundGradientType, &V::setBackgroundGradientType,
                      ValueKind::Number)
            .property("backgroundGradientColor1", &V::backgroundGradientColor1, &V::setBackgroundGradientColor1,
                      ql::valueOf<ql::Color>())
            .property("backgroundGradientColor2", &V::backgroundGradientColor2, &V::setBackgroundGradientColor2,
                      ql::valueOf<ql::Color>())
            .property("backgroundGradientSplit", &V::backgroundGradientSplit, &V::setBackgroundGradientSplit,
                      ValueKind::Number)
            .property("backgroundGradientAngle", &V::backgroundGradientAngle, &V::setBackgroundGradientAngle,
                      ValueKind::Number)
            .property("backgroundImageType", &V::backgroundImageType, &V::setBackgroundImageType, ValueKind::Number)
            .property("backgroundImageMode", &V::backgroundImageMode, &V::setBackgroundImageMode, ValueKind::Number)
            .property("backgroundImageScale", &V::backgroundImageScale, &V::setBackgroundImageScale,
                      ValueKind::Number)
            .property("backgroundImage", &V::backgroundImage, &V::setBackgroundImage)
            .property("backgroundImagePickerHidden", &V::backgroundImagePickerHidden,
                      &V::setBackgroundImagePickerHidden)
            .property("backgroundArtPickerHidden", &V::backgroundArtPickerHidden, &V::setBackgroundArtPickerHidden)
            .property("insets", &V::insets, &V::setInsets)
            .property("selected", &V::selected, &V::setSelected)
            .property("vectorBacking", &V::vectorBacking, &V::setVectorBacking)
            .property("scalingEligible", &V::scalingEligible, &V::setScalingEligible)
            .property("containerView", &V::containerView, &V::setContainerView)
            .property("currentPage", &V::currentPage, &V::setCurrentPage)
            .build();
    return table;
}

void ZVBackgroundView::initialize()
{
    m_selected = false;
    m_vectorBacking = false;
    m_scalingEligible = false;
    m_backgroundColor = QVariant::fromValue(ql::Color::white());
    m_backgroundOpacity = 1;
    m_gradientSplit = 1;
    m_gradientColor1 = QVariant::fromValue(ql::Color::white());
    m_gradientColor2 = QVariant::fromValue(ql::Color::black());
    m_gradientAngleSetting = 0;
    m_backgroundType = 0;
    m_gradientTypeSetting = 0;
    m_imageType = 0;
    m_imageModeSetting = 0;
    m_imageScale = 1.0;
}

void ZVBackgroundView::startObserving()
{
    if (m_isObserving)
        return;
    m_isObserving = true;
    // Undo first, then the refresh, for every change.
    observeOwnKeyPaths(observedKeyPaths(), [](ql::KVObject& self, const ql::KeyValueChange& change) {
        auto& view = static_cast<ZVBackgroundView&>(self);
        ql::registerKeyPathUndo(view.undoManager(), &view, change.keyPath, change.oldValue);
        view.update();
    });
}

ql::UndoManager* ZVBackgroundView::undoManager() const
{
    if (ZVPuttyView* element = puttyView())
        return element->undoManager();
    if (auto* element = qobject_cast<ZVPuttyView*>(m_containerView.data()))
        return element->undoManager();
    if (ZVCanvasView* page = currentPage())
        return page->undoManager();
    if (auto* page = qobject_cast<ZVCanvasView*>(m_containerView.data()))
        return page->undoManager();
    return nullptr;
}

void ZVBackgroundView::update()
{
    const int type = m_backgroundType.toInt();
    if (type != GradientFill)
        setGradient(QVariant());
    setImage(ql::Image());
    setTiledImage(ql::Image());
    m_scalingEligible = false;

    switch (type) {
    case Colour:
        m_layerColor = colorOr(m_backgroundColor, ql::Color::clear());
        break;
    case GradientFill: {
        // The colour of an earlier flat fill must not show behind the
        // gradient: output draws none.
        m_layerColor = ql::Color::clear();
        float split = m_gradientSplit.toFloat();
        if (split == 0.0f)
            split = 0.01f; // a stop at 0 would hide the first colour
        const int gradientType = m_gradientTypeSetting.toInt();
        if (gradientType == 0 || gradientType == 1) {
            const ql::Gradient gradient(QList<ql::Gradient::Stop> {
                {colorOr(m_gradientColor1, ql::Color::white()), 0.0},
                {colorOr(m_gradientColor2, ql::Color::black()), double(split)},
            });
            setGradient(QVariant::fromValue(gradient));
        }
        setGradientAngle(m_gradientAngleSetting);
        setGradientType(m_gradientTypeSetting);
        break;
    }
    case ImageFill: {
        m_layerColor = ql::Color::clear();
        // Announced, so that the inspector showing the pickers follows.
        const bool imagePicker = m_imageType.toInt() == 0;
        setBackgroundImagePickerHidden(!imagePicker);
        setBackgroundArtPickerHidden(imagePicker);
        setScaleToFill(false);
        setTiledImage(ql::Image());
        const int mode = m_imageModeSetting.toInt();
        if (mode == ScaleToFillMode)
            setScaleToFill(true);
        else if (mode == Proportional)
            setImageScaling(ScaleProportionallyUpOrDown);
        else if (mode == Stretched)
            setImageScaling(ScaleAxesIndependently);
        else if (mode == Unscaled)
            setImageScaling(ScaleNone);
        const ql::Image scaled = scaledImage(m_backgroundImage);
        setImage(scaled);
        if (mode == Tiled) {
            setTiledImage(scaled);
            m_scalingEligible = true;
            setImage(ql::Image());
        }
        if (m_vectorBacking)
            m_scalingEligible = true;
        break;
    }
    default:
        m_layerColor = ql::Color::clear();
        break;
    }
    setAlphaValue(m_backgroundOpacity.toFloat());
    setNeedsDisplay();
    // An element's reflection shows its background too; a page has none.
    if (auto* element = qobject_cast<ZVPuttyView*>(m_containerView.data()))
        element->setReflection();
}

ql::Image ZVBackgroundView::scaledImage(const ql::Image& image) const
{
    if (m_imageModeSetting.toInt() != Tiled || image.isNull())
        return image;
    const double scale = m_imageScale.toFloat();
    const QSizeF size = image.size() * scale;
    if (!std::isfinite(scale) || size.isEmpty())
        return image;
    const QImage bitmap = image.bitmap();
    // The tile draws at `size` whatever its bitmap holds; a larger bitmap than
    // any page needs would only let a stored scale exhaust memory.
    constexpr double kLargestTileSide = 8192;
    const double longest = qMax(bitmap.width(), bitmap.height()) * scale;
    const double bitmapScale = longest > kLargestTileSide ? scale * kLargestTileSide / longest : scale;
    ql::Image result = bitmap.isNull()
        ? image
        : ql::Image(bitmap.scaled(qMax(1, qRound(bitmap.width() * bitmapScale)),
                                  qMax(1, qRound(bitmap.height() * bitmapScale)), Qt::IgnoreAspectRatio,
                                  Qt::SmoothTransformation));
    result.setSize(size);
    return result;
}

void ZVBackgroundView::setBackgroundType(const QVariant& v) { changeValue(QStringLiteral("backgroundType"), m_backgroundType, v); }
void ZVBackgroundView::setBackgroundOpacity(const QVariant& v) { changeValue(QStringLiteral("backgroundOpacity"), m_backgroundOpacity, v); }
void ZVBackgroundView::setBackgroundColor(const QVariant& v) { changeValue(QStringLiteral("backgroundColor"), m_backgroundColor, v); }
void ZVBackgroundView::setBackgroundGradientType(const QVariant& v) { changeValue(QStringLiteral("backgroundGradientType"), m_gradientTypeSetting, v); }
void ZVBackgroundView::setBackgroundGradientColor1(const QVariant& v) { changeValue(QStringLiteral("backgroundGradientColor1"), m_gradientColor1, v); }
void ZVBackgroundView::setBackgroundGradientColor2(const QVariant& v) { changeValue(QStringLiteral("backgroundGradientColor2"), m_gradientColor2, v); }
void ZVBackgroundView::setBackgroundGradientSplit(const QVariant& v) { changeValue(QStringLiteral("backgroundGradientSplit"), m_gradientSplit, v); }
void ZVBackgroundView::setBackgroundGradientAngle(const QVariant& v) { changeValue(QStringLiteral("backgroundGradientAngle"), m_gradientAngleSetting, v); }
void ZVBackgroundView::setBackgroundImageType(const QVariant& v) { changeValue(QStringLiteral("backgroundImageType"), m_imageType, v); }
void ZVBackgroundView::setBackgroundImageMode(const QVariant& v) { changeValue(QStringLiteral("backgroundImageMode"), m_imageModeSetting, v); }
void ZVBackgroundView::setBackgroundImageScale(const QVariant& v) { changeValue(QStringLiteral("backgroundImageScale"), m_imageScale, v); }
void ZVBackgroundView::setBackgroundImage(const ql::Image& v) { changeValue(QStringLiteral("backgroundImage"), m_backgroundImage, v); }
void ZVBackgroundView::setBackgroundImagePickerHidden(bool v) { changeValue(QStringLiteral("backgroundImagePickerHidden"), m_imagePickerHidden, v); }
void ZVBackgroundView::setBackgroundArtPickerHidden(bool v) { changeValue(QStringLiteral("backgroundArtPickerHidden"), m_artPickerHidden, v); }
void ZVBackgroundView::setInsets(float v) { changeValue(QStringLiteral("insets"), m_insets, v); }
void ZVBackgroundView::setSelected(bool v) { changeValue(QStringLiteral("selected"), m_selected, v); }
void ZVBackgroundView::setVectorBacking(bool v) { changeValue(QStringLiteral("vectorBacking"), m_vectorBacking, v); }
void ZVBackgroundView::setScalingEligible(bool v) { changeValue(QStringLiteral("scalingEligible"), m_scalingEligible, v); }

void ZVBackgroundView::setContainerView(QObject* container)
{
    changeValue(QStringLiteral("containerView"), m_containerView, container);
}

ZVCanvasView* ZVBackgroundView::currentPage() const
{
    return qobject_cast<ZVCanvasView*>(m_currentPage.data());
}

void ZVBackgroundView::setCurrentPage(ZVCanvasView* page)
{
    changeValue(QStringLiteral("currentPage"), m_currentPage, page);
}
