#include "shapes/ZVVectorView.h"

#include "canvas/ZVPuttyView.h"
#include "content/OwnedChild.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVDrawingView.h"
#include "shapes/ZVImageAdornment.h"
#include "shapes/df/DFDrawable.h"
#include "shapes/df/DFDrawableShape.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFDrawingView.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFRasterizer.h"

#include <QtDebug>

#include <utility>

namespace {

// Numbers keep the kind documents store them with: reals for widths and the
// adjustment, integers for codes and sizes; null stays null.
QVariant realOrNull(const QVariant& value)
{
    return ql::isNumeric(value) ? QVariant(value.toDouble()) : QVariant();
}

QVariant integerOrNull(const QVariant& value)
{
    return ql::isNumeric(value) ? QVariant(ql::integerFromVariant<int>(value)) : QVariant();
}

} // namespace

ZVVectorView::ZVVectorView(const QRectF& frame, QObject* parent) : ZVImageView(frame, parent)
{
    initialize();
    startObserving();
}

ZVVectorView::ZVVectorView(Unfilled) : ZVImageView(QRectF(), nullptr)
{
    initialize();
}

ZVVectorView* ZVVectorView::forReading()
{
    return new ZVVectorView(Unfilled {});
}

ZVVectorView::~ZVVectorView()
{
    // The layer lists the shape without owning it; let it go first.
    if (m_dflayer)
        m_dflayer->removeAllObjects();
}

const ql::PropertyTable& ZVVectorView::properties() const
{
    using V = ZVVectorView;
    using ql::ValueKind;
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<V>(&imageTable())
            .readOnly("self", &V::self)
            .property("shape", &V::shape, static_cast<void (V::*)(DFDrawable*)>(&V::setShape))
            .property("shapeName", &V::shapeName, &V::setShapeName)
            .property("backgroundView", &V::backgroundView, &V::setBackgroundView)
            .readOnly("imageAdorn", &V::imageAdorn)
            .property("strokeEnabled", &V::strokeEnabled, &V::setStrokeEnabled)
            .property("fillEnabled", &V::fillEnabled, &V::setFillEnabled)
            .property("adjustmentEligible", &V::adjustmentEligible, &V::setAdjustmentEligible)
            .property("adjustment", &V::adjustment, &V::setAdjustment, ValueKind::Number)
            .property("adjustmentMin", &V::adjustmentMin, &V::setAdjustmentMin, ValueKind::Number)
            .property("adjustmentMax", &V::adjustmentMax, &V::setAdjustmentMax, ValueKind::Number)
            .property("isPath", &V::isPath, &V::setIsPath)
            .property("imageOrigin", &V::imageOrigin, &V::setImageOrigin)
            .property("backgroundOffset", &V::backgroundOffset, &V::setBackgroundOffset, ql::valueOf<QPointF>())
            .property("strokeColor", &V::strokeColor, &V::setStrokeColor, ql::valueOf<ql::Color>())
            .property("strokeWidth", &V::strokeWidth, &V::setStrokeWidth, ValueKind::Number)
            .property("strokeType", &V::strokeType, &V::setStrokeType, ValueKind::Number)
            .property("strokeLineCap", &V::strokeLineCap, &V::setStrokeLineCap, ValueKind::Number)
            .property("strokeLineJoin", &V::strokeLineJoin, &V::setStrokeLineJoin, ValueKind::Number)
            .property("arrowEnabled", &V::arrowEnabled, &V::setArrowEnabled)
            .property("leftArrow", &V::leftArrow, &V::setLeftArrow, ValueKind::Number)
            .property("rightArrow", &V::rightArrow, &V::setRightArrow, ValueKind::Number)
            .property("arrowLength", &V::arrowLength, &V::setArrowLength, ValueKind::Number)
            .property("arrowWidth", &V::arrowWidth, &V::setArrowWidth, ValueKind::Number)
            .property("textEnabled", &V::textEnabled, &V::setTextEnabled)
            .property("text", &V::text, static_cast<void (V::*)(const QString&)>(&V::setText))
            .property("textFontFamilyName", &V::textFontFamilyName, &V::setTextFontFamilyName)
            .property("textFontSize", &V::textFontSize, &V::setTextFontSize, ValueKind::Number)
            .property("textAlignment", &V::textAlignment, &V::setTextAlignment, ValueKind::Number)
            .property("textPlacement", &V::textPlacement, &V::setTextPlacement, ValueKind::Number)
            .property("textLetterSpacing", &V::textLetterSpacing, &V::setTextLetterSpacing, ValueKind::Number)
            .property("textOffset", &V::textOffset, &V::setTextOffset, ValueKind::Number)
            .property("textHideShape", &V::textHideShape, &V::setTextHideShape)
            .property("extraDownscale", &V::extraDownscale, &V::setExtraDownscale)
            .property("oldSize", &V::oldSize, &V::setOldSize)
            .readOnly("observingKeyPaths2", &V::observingKeyPaths2)
            .readOnly("isObserving2", &V::isObserving2)
            .build();
    return table;
}

void ZVVectorView::initialize()
{
    m_imageOrigin = QPointF();
    m_adjustmentEligible = false;
    m_adjustment = 0.5;
    m_adjustmentMin = 0.0;
    m_adjustmentMax = 1.0;
    m_fillEnabled = false;
    m_strokeEnabled = true;
    m_strokeColor = QVariant::fromValue(ql::Color::black());
    m_strokeType = 0;
    m_strokeWidth = 1.0;
    m_strokeLineCap = 0;
    m_strokeLineJoin = 0;
    m_leftArrow = 4;
    m_rightArrow = 1;
    m_arrowWidth = 7;
    m_arrowLength = 12;
    m_arrowEnabled = false;

    // A private drawing of one active layer on clear, unprinted paper; the
    // layer holds the shape alone.
    if (m_dflayer)
        m_dflayer->removeAllObjects();
    m_drawingView = std::make_unique<ZVDrawingView>(bounds());
    m_drawingView->createAutomaticDrawing();
    m_drawingView->removeRulerMarkers();
    DFDrawing* drawing = m_drawingView->drawing();
    m_dflayer = drawing->addLayer(std::make_unique<DFObjectDrawingLayer>(), true);
    drawing->hideAllExcept(m_dflayer);
    drawing->setPaperColour(ql::Color::clear());
    drawing->setPaperColourIsPrinted(false);
    putShapeOnLayer();

    m_textEnabled = false;
    m_text = QStringLiteral("Sample text");
    m_textFontFamilyName = QStringLiteral("Helvetica");
    m_textFontSize = 14;
    m_textAlignment = 0;
    m_textPlacement = 1;
    m_textLetterSpacing = 0;
    m_textOffset = 0;
    m_extraDownscale = 0.0;
    m_textHideShape = false;
    m_renderedStale = true;
}

const QStringList& ZVVectorView::observedKeyPaths2()
{
    static const QStringList paths = QStringLiteral(
        "frame backgroundView.backgroundColor backgroundView.backgroundOpacity backgroundView.backgroundType "
        "backgroundView.backgroundGradientColor1 backgroundView.backgroundGradientColor2 "
        "backgroundView.backgroundGradientAngle backgroundView.backgroundGradientType "
        "backgroundView.backgroundGradientSplit backgroundView.backgroundImageType "
        "backgroundView.backgroundImageMode backgroundView.backgroundImage backgroundView.backgroundImageScale "
        "strokeEnabled strokeType strokeWidth strokeColor adjustment backgroundOffset strokeLineCap "
        "strokeLineJoin leftArrow rightArrow arrowWidth arrowLength arrowEnabled textEnabled text "
        "textFontFamilyName textFontSize textAlignment textLetterSpacing textPlacement textHideShape textOffset "
        "self.backgroundView.gradient").split(QLatin1Char(' '));
    return paths;
}

void ZVVectorView::startObserving()
{
    if (m_isObserving2)
        return;
    observeSettings();
    makeDefaultBackground();
    m_isObserving2 = true;
}

void ZVVectorView::observeSettings()
{
    observeOwnKeyPaths(observedKeyPaths2(), [](ql::KVObject& self, const ql::KeyValueChange& change) {
        static_cast<ZVVectorView&>(self).observeValueForKeyPath(change);
    });
}

void ZVVectorView::makeDefaultBackground()
{
    {
        QuietChanges quiet(*this);
        setBackgroundView(new ZVBackgroundView());
    }
    ZVPuttyView* element = puttyView();
    m_backgroundView->setPuttyView(element);
    m_backgroundView->setCurrentPage(element ? element->canvas() : nullptr);
    m_backgroundView->setVectorBacking(true);
    m_backgroundView->setSelected(true);
}

void ZVVectorView::observeValueForKeyPath(const ql::KeyValueChange& change)
{
    if (m_quiet > 0)
        return;
    const QString& keyPath = change.keyPath;
    // The fill records its own settings' undo; its prepared gradient follows
    // from them and is never set back on its own.
    const bool fillPath = keyPath.startsWith(QLatin1String("backgroundView."))
                          || keyPath.startsWith(QLatin1String("self.backgroundView."));
    if (keyPath != QLatin1String("frame") && keyPath != QLatin1String("backgroundOffset") && !fillPath)
        recordUndo(change);
    if (fillPath)
        m_storedPatternFills.clear();
    if (keyPath == QLatin1String("frame")) {
        if (frame().size() != m_oldSize) {
            sizeShape();
            setOldSize(frame().size());
        }
    } else if (keyPath == QLatin1String("adjustment")) {
        adjustShape();
    } else {
        setShapeProperties();
    }
    layout();
}

void ZVVectorView::observedValueChanged(const QString& keyPath)
{
    if (m_quiet > 0)
        return;
    // The border and inner-shadow layers lie over the shape and leave its
    // style as it is (the element sizes the shape for its border itself).
    const bool restyles = !keyPath.startsWith(QLatin1String("border."))
                          && !keyPath.startsWith(QLatin1String("innerShadow"));
    // While layout is held the style is made once, with the layout.
    if (layoutWaits()) {
        m_shapePropertiesWaiting = m_shapePropertiesWaiting || restyles;
        return;
    }
    if (restyles)
        setShapeProperties();
    layout();
}

void ZVVectorView::layoutAfterHold()
{
    if (std::exchange(m_shapePropertiesWaiting, false))
        setShapeProperties();
    layout();
}

void ZVVectorView::undoChangeForKeyPath(const QString& keyPath, const QVariant& value)
{
    const ql::Status status = setValueForKeyPath(keyPath, value);
    if (!status)
        qWarning().noquote() << "undo of" << keyPath << "failed:" << status.error().describe();
}

void ZVVectorView::setPuttyView(ZVPuttyView* element)
{
    ZVImageView::setPuttyView(element);
    if (m_backgroundView) {
        m_backgroundView->setPuttyView(element);
        m_backgroundView->setCurrentPage(element ? element->canvas() : nullptr);
    }
}

void ZVVectorView::setShape(DFDrawable* shape)
{
    if (!shape || shape == m_shape)
        return;
    DFDrawable* old = m_shape;
    shape->setParent(this);
    changeValue(QStringLiteral("shape"), m_shape, shape);
    DFDrawableShape::setKnobMask(0);
    if (old) {
        if (m_dflayer)
            m_dflayer->removeObject(old);
        old->deleteLater();
    }
    if (m_dflayer)
        m_dflayer->addObject(shape);
    m_renderedStale = true;
}

void ZVVectorView::setShape(std::unique_ptr<DFDrawable> shape)
{
    setShape(shape.release());
}

void ZVVectorView::putShapeOnLayer()
{
    if (!m_dflayer)
        return;
    m_dflayer->removeAllObjects();
    if (m_shape)
        m_dflayer->addObject(m_shape);
}

bool ZVVectorView::isAdjustableName(const QString& name)
{
    static const QStringList names {
        QStringLiteral("star"),  QStringLiteral("star6"),  QStringLiteral("star7"),         QStringLiteral("star8"),
        QStringLiteral("star20"), QStringLiteral("square"), QStringLiteral("roundedSquare"), QStringLiteral("ring"),
    };
    return names.contains(name);
}

void ZVVectorView::setShapeName(const QString& name)
{
    changeValue(QStringLiteral("shapeName"), m_shapeName, name);
    setAdjustmentEligible(false);
    if (!isAdjustableName(name))
        return;
    const bool square = name == QLatin1String("square");
    const bool rounded = name == QLatin1String("roundedSquare");
    setAdjustment(square ? 0.0 : rounded ? 0.2 : 0.5);
    setAdjustmentMin(0.0);
    setAdjustmentMax(square || rounded ? 0.5 : 1.0);
    setAdjustmentEligible(true);
}

bool ZVVectorView::hasUndecodablePicture() const
{
    return ZVImageView::hasUndecodablePicture() || (m_backgroundView && m_backgroundView->hasUndecodablePicture());
}

void ZVVectorView::setBackgroundView(ZVBackgroundView* background)
{
    replaceOwnedChild(*this, QStringLiteral("backgroundView"), m_backgroundView, background);
}

QPointF ZVVectorView::backgroundOffsetPoint() const
{
    return m_backgroundOffset.typeId() == QMetaType::QPointF ? m_backgroundOffset.toPointF() : QPointF();
}

void ZVVectorView::setBackgroundOffset(const QVariant& offset)
{
    const QVariant point = offset.typeId() == QMetaType::QPointF ? offset : QVariant();
    changeValue(QStringLiteral("backgroundOffset"), m_backgroundOffset, point);
}

void ZVVectorView::setStrokeColor(const QVariant& color)
{
    const QVariant kept = color.metaType() == QMetaType::fromType<ql::Color>() ? color : QVariant();
    changeValue(QStringLiteral("strokeColor"), m_strokeColor, kept);
}

void ZVVectorView::setStrokeEnabled(bool v) { changeValue(QStringLiteral("strokeEnabled"), m_strokeEnabled, v); }
void ZVVectorView::setFillEnabled(bool v) { changeValue(QStringLiteral("fillEnabled"), m_fillEnabled, v); }
void ZVVectorView::setAdjustmentEligible(bool v) { changeValue(QStringLiteral("adjustmentEligible"), m_adjustmentEligible, v); }
void ZVVectorView::setAdjustment(const QVariant& v) { changeValue(QStringLiteral("adjustment"), m_adjustment, realOrNull(v)); }
void ZVVectorView::setAdjustmentMin(const QVariant& v) { changeValue(QStringLiteral("adjustmentMin"), m_adjustmentMin, realOrNull(v)); }
void ZVVectorView::setAdjustmentMax(const QVariant& v) { changeValue(QStringLiteral("adjustmentMax"), m_adjustmentMax, realOrNull(v)); }
void ZVVectorView::setIsPath(bool v) { changeValue(QStringLiteral("isPath"), m_isPath, v); }
void ZVVectorView::setImageOrigin(QPointF v) { changeValue(QStringLiteral("imageOrigin"), m_imageOrigin, v); }
void ZVVectorView::setStrokeWidth(const QVariant& v) { changeValue(QStringLiteral("strokeWidth"), m_strokeWidth, realOrNull(v)); }
void ZVVectorView::setStrokeType(const QVariant& v) { changeValue(QStringLiteral("strokeType"), m_strokeType, integerOrNull(v)); }
void ZVVectorView::setStrokeLineCap(const QVariant& v) { changeValue(QStringLiteral("strokeLineCap"), m_strokeLineCap, integerOrNull(v)); }
void ZVVectorView::setStrokeLineJoin(const QVariant& v) { changeValue(QStringLiteral("strokeLineJoin"), m_strokeLineJoin, integerOrNull(v)); }
void ZVVectorView::setArrowEnabled(bool v) { changeValue(QStringLiteral("arrowEnabled"), m_arrowEnabled, v); }
void ZVVectorView::setLeftArrow(const QVariant& v) { changeValue(QStringLiteral("leftArrow"), m_leftArrow, integerOrNull(v)); }
void ZVVectorView::setRightArrow(const QVariant& v) { changeValue(QStringLiteral("rightArrow"), m_rightArrow, integerOrNull(v)); }
void ZVVectorView::setArrowLength(const QVariant& v) { changeValue(QStringLiteral("arrowLength"), m_arrowLength, integerOrNull(v)); }
void ZVVectorView::setArrowWidth(const QVariant& v) { changeValue(QStringLiteral("arrowWidth"), m_arrowWidth, integerOrNull(v)); }
void ZVVectorView::setTextEnabled(bool v) { changeValue(QStringLiteral("textEnabled"), m_textEnabled, v); }
void ZVVectorView::setText(const QString& v) { changeValue(QStringLiteral("text"), m_text, v); }
void ZVVectorView::setTextFontFamilyName(const QString& v) { changeValue(QStringLiteral("textFontFamilyName"), m_textFontFamilyName, v); }
void ZVVectorView::setTextFontSize(const QVariant& v) { changeValue(QStringLiteral("textFontSize"), m_textFontSize, integerOrNull(v)); }
void ZVVectorView::setTextAlignment(const QVariant& v) { changeValue(QStringLiteral("textAlignment"), m_textAlignment, integerOrNull(v)); }
void ZVVectorView::setTextPlacement(const QVariant& v) { changeValue(QStringLiteral("textPlacement"), m_textPlacement, integerOrNull(v)); }
void ZVVectorView::setTextLetterSpacing(const QVariant& v) { changeValue(QStringLiteral("textLetterSpacing"), m_textLetterSpacing, integerOrNull(v)); }
void ZVVectorView::setTextOffset(const QVariant& v) { changeValue(QStringLiteral("textOffset"), m_textOffset, integerOrNull(v)); }
void ZVVectorView::setTextHideShape(bool v) { changeValue(QStringLiteral("textHideShape"), m_textHideShape, v); }
void ZVVectorView::setExtraDownscale(double v) { changeValue(QStringLiteral("extraDownscale"), m_extraDownscale, v); }
void ZVVectorView::setOldSize(QSizeF v) { changeValue(QStringLiteral("oldSize"), m_oldSize, v); }
