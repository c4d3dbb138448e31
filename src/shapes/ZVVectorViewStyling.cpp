// Turning the shape view's settings into the shape's style, fitting the
// shape to the view, rebuilding adjustable outlines, and the image the view
// shows.
#include "shapes/ZVVectorView.h"

#include "imaging/ImageBitmap.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/FontResolver.h"
#include "platform/graphics/Gradient.h"
#include "shapes/ZVArrowStroke.h"
#include "shapes/ZVImageAdornment.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawing.h"
#include "shapes/df/DFDrawingView.h"
#include "shapes/df/DFFill.h"
#include "shapes/df/DFImageShape.h"
#include "shapes/df/DFObjectDrawingLayer.h"
#include "shapes/df/DFShapeFactory.h"
#include "shapes/df/DFStyle.h"

#include <cmath>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// A stored number, or `fallback` when it is null or not finite.
double numberOr(const QVariant& value, double fallback)
{
    if (!ql::isNumeric(value))
        return fallback;
    const double number = value.toDouble();
    return std::isfinite(number) ? number : fallback;
}

int codeOf(const QVariant& value, int fallback = 0)
{
    return ql::isNumeric(value) ? ql::integerFromVariant<int>(value) : fallback;
}

ql::Color colourOr(const QVariant& value, const ql::Color& fallback)
{
    return value.metaType() == QMetaType::fromType<ql::Color>() ? value.value<ql::Color>() : fallback;
}

// Dash patterns by stroke type, in points; 0 and unknown types are solid.
DFStrokeDash dashForStrokeType(int type)
{
    static const QList<QList<double>> patterns {
        {}, {}, {2, 2}, {5, 5}, {5, 10}, {10, 5}, {5, 2}, {1, 5}, {15, 10, 5}, {15, 10, 5, 10}, {15, 10, 5, 10, 15},
        {5, 5, 1, 5},
    };
    if (type == 1)
        return DFStrokeDash::defaultDash();
    if (type < 0 || type >= patterns.size())
        return DFStrokeDash();
    return DFStrokeDash(patterns[type]);
}

// The view's codes in the platform's numbering; -1 leaves the default.
int lineCapFor(int code)
{
    switch (code) {
    case 0: return DFStroke::SquareCap;
    case 1: return DFStroke::RoundCap;
    case 2: return DFStroke::ButtCap;
    default: return -1;
    }
}

int lineJoinFor(int code)
{
    switch (code) {
    case 0: return DFStroke::RoundJoin;
    case 1: return DFStroke::MiterJoin;
    case 2: return DFStroke::BevelJoin;
    default: return -1;
    }
}

std::optional<ql::ParagraphStyle::Alignment> alignmentFor(int code)
{
    using A = ql::ParagraphStyle::Alignment;
    switch (code) {
    case 0: return A::Left;
    case 1: return A::Center;
    case 2: return A::Right;
    case 3: return A::Justified;
    default: return std::nullopt;
    }
}

// Height of the text set in the font, one line per paragraph.
double textHeight(const QString& text, const ql::Font& font)
{
    if (text.isEmpty())
        return 0.0;
    const QFontMetricsF metrics = ql::FontResolver::metrics(font);
    const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
    return metrics.height() + double(lines - 1) * metrics.lineSpacing();
}

DFGradient fillGradient(const ZVBackgroundView& background)
{
    DFGradient gradient;
    const int type = codeOf(background.backgroundGradientType());
    if (type == 0 || type == 1) {
        double split = numberOr(background.backgroundGradientSplit(), 0.0);
        if (split == 0.0)
            split = 0.01; // a stop at 0 would hide the first colour
        gradient.setColorStops({
            DFColorStop(colourOr(background.backgroundGradientColor1(), ql::Color::clear()), 0.0),
            DFColorStop(colourOr(background.backgroundGradientColor2(), ql::Color::clear()), split),
        });
        gradient.setGradientType(type);
    } else {
        // A gradient given to the fill from outside, stop by stop.
        QList<DFColorStop> stops;
        const QVariant stored = background.gradient();
        if (stored.metaType() == QMetaType::fromType<ql::Gradient>()) {
            const ql::Gradient given = stored.value<ql::Gradient>();
            for (const ql::Gradient::Stop& stop : given.stops())
                stops.append(DFColorStop(stop.color, stop.location));
        }
        gradient.setColorStops(stops);
        if (type == 2)
            gradient.setGradientType(DFGradient::Linear);
        else if (type == 3)
            gradient.setGradientType(DFGradient::Radial);
    }
    gradient.setAngle(numberOr(background.backgroundGradientAngle(), 0.0) * kRadiansPerDegree);
    return gradient;
}

} // namespace

void ZVVectorView::keepStoredPatternFills()
{
    m_storedPatternFills.clear();
    if (!m_shape || !m_shape->style())
        return;
    for (const DFRasterizer* renderer : m_shape->style()->renderers()) {
        const auto* fill = qobject_cast<const DFFill*>(renderer);
        if (fill && !fill->patternImage().isNull())
            m_storedPatternFills.push_back(fill->copy());
    }
}

ql::Font ZVVectorView::textFont() const
{
    return ql::Font(m_textFontFamilyName, numberOr(m_textFontSize, 0.0));
}

void ZVVectorView::setShapeProperties()
{
    if (!m_shape)
        return;
    // What this rebuild sets on the view itself is no user's change.
    QuietChanges quiet(*this);
    setExtraDownscale(0.0);
    std::unique_ptr<DFStyle> style = DFStyle::styleWithFillColour(ql::Color::clear(), ql::Color::clear());
    const ZVBackgroundView& fill = *m_backgroundView;
    const int type = codeOf(fill.backgroundType());
    auto* imageShape = qobject_cast<DFImageShape*>(m_shape);
    if (type != ZVBackgroundView::ImageFill && imageShape)
        imageShape->setImage(ql::Image());
    const double opacity = std::clamp(numberOr(fill.backgroundOpacity(), 1.0), 0.0, 1.0);

    switch (type) {
    case ZVBackgroundView::None:
        break;
    case ZVBackgroundView::Colour: {
        const ql::Color colour = colourOr(fill.backgroundColor(), ql::Color::clear());
        style = DFStyle::styleWithFillColour(colour.withAlpha(opacity), ql::Color::clear(), 0.0);
        break;
    }
    case ZVBackgroundView::GradientFill:
        style = DFStyle::styleWithFillColour(ql::Color::clear(), ql::Color::clear(), 0.0);
        style->addRenderer(DFFill::fillWithGradient(fillGradient(fill).gradientWithAlpha(opacity)));
        break;
    case ZVBackgroundView::ImageFill:
        if (codeOf(fill.backgroundImageMode()) == ZVBackgroundView::Tiled) {
            // The file's own pattern keeps its bytes; a new one is made
            // once the user changes the fill.
            if (m_storedPatternFills.empty())
                style->addRenderer(DFFill::fillWithPatternImage(fill.scaledImage(fill.backgroundImage())));
            if (imageShape)
                imageShape->setImage(ql::Image());
        } else {
            auto adornment = std::make_unique<ZVImageAdornment>();
            adornment->setImage(fill.backgroundImage());
            m_imageAdorn = adornment.get();
            adornment->setScale(numberOr(fill.backgroundImageScale(), 1.0));
            adornment->setClipping(DFRasterizer::ClipInsidePath);
            adornment->setFittingOption(ZVImageAdornment::UseScale);
            adornment->setOrigin(backgroundOffsetPoint());
            setImageOrigin(adornment->origin());
            style->addRenderer(std::move(adornment));
        }
        break;
    default:
        style->addRenderer(DFFill::fillWithColour(ql::Color::clear()));
        break;
    }
    for (const std::unique_ptr<DFRasterizer>& stored : m_storedPatternFills)
        style->addRenderer(stored->copy());

    if (m_strokeEnabled) {
        auto stroke = std::make_unique<ZVArrowStroke>();
        stroke->setWidth(numberOr(m_strokeWidth, 0.0));
        stroke->setColour(colourOr(m_strokeColor, ql::Color::clear()));
        stroke->setDimensioningLineOptions(DFArrowStroke::TextAbove);
        if (m_arrowEnabled) {
            stroke->setArrowHeadAtStart(codeOf(m_leftArrow));
            stroke->setArrowHeadAtEnd(codeOf(m_rightArrow));
            stroke->setArrowHeadLength(numberOr(m_arrowLength, 0.0));
            stroke->setArrowHeadWidth(numberOr(m_arrowWidth, 0.0));
        } else {
            stroke->setArrowHeadAtEnd(DFArrowStroke::NoHead);
            stroke->setArrowHeadAtStart(DFArrowStroke::NoHead);
        }
        if (m_textEnabled) {
            stroke->setPathText(m_text);
            stroke->setHideShape(m_textHideShape);
            // Filled in quietly: the rebuild is no change of the user's.
            if (m_textFontFamilyName.isNull())
                setTextFontFamilyName(QStringLiteral("Helvetica"));
            if (!m_textLetterSpacing.isValid())
                setTextLetterSpacing(0);
            ql::ParagraphStyle paragraph;
            if (const auto alignment = alignmentFor(codeOf(m_textAlignment)))
                paragraph.alignment = *alignment;
            paragraph.firstLineHeadIndent = numberOr(m_textOffset, 0.0);
            const ql::Font font = textFont();
            stroke->setTextAttributes({
                {ql::TextAttribute::font, QVariant::fromValue(font)},
                {ql::TextAttribute::kern, numberOr(m_textLetterSpacing, 0.0)},
                {ql::TextAttribute::paragraphStyle, QVariant::fromValue(paragraph)},
            });
            stroke->setDimensioningLineOptions(codeOf(m_textPlacement));
            const double room = 1.2 * textHeight(m_text, font);
            if (room > 0.0)
                setExtraDownscale(room);
        } else {
            stroke->setPathText(QStringLiteral(" "));
        }
        stroke->setDash(dashForStrokeType(codeOf(m_strokeType)));
        if (const int cap = lineCapFor(codeOf(m_strokeLineCap, -1)); cap >= 0)
            stroke->setLineCapStyle(cap);
        if (const int join = lineJoinFor(codeOf(m_strokeLineJoin, -1)); join >= 0)
            stroke->setLineJoinStyle(join);
        style->addRenderer(std::move(stroke));
    }

    sizeShape();
    m_shape->setStyle(std::move(style));
    putShapeOnLayer();
    m_renderedStale = true;
}

void ZVVectorView::fitDrawingToBounds()
{
    m_drawingView->setFrame(bounds());
    m_drawingView->drawing()->setDrawingSize(bounds().size());
}

void ZVVectorView::sizeShape()
{
    fitDrawingToBounds();
    const QRectF area = bounds();
    // The border counts once: geometry must not depend on the monitor.
    const ZVPuttyView* element = puttyView();
    const double border = element ? element->effectiveBorderWidth() : 0.0;
    const double joinFactor = codeOf(m_strokeLineJoin, -1) == 1 ? 3.0 : 1.0;
    const double allowance = m_extraDownscale + border + numberOr(m_strokeWidth, 0.0) * joinFactor;
    const double width = area.width() - allowance;
    const double height = area.height() - allowance;
    // A view smaller than its allowances keeps a shape of no size and draws
    // nothing, rather than a mirrored one.
    m_collapsed = !(width > 0.0 && height > 0.0);
    m_renderedStale = true;
    if (!m_shape)
        return;
    m_shape->setSize(QSizeF(width > 0.0 ? width : 0.0, height > 0.0 ? height : 0.0));
    if (m_shapeName == QLatin1String("custom") || qobject_cast<DFDrawablePath*>(m_shape)) {
        const QSizeF placed = m_shape->size();
        m_shape->setLocation(QPointF((area.width() - placed.width()) / 2, (area.height() - placed.height()) / 2));
    } else {
        m_shape->setLocation(area.center());
    }
}

void ZVVectorView::adjustShape()
{
    if (!m_shape)
        return;
    const double value = numberOr(m_adjustment, 0.0);
    static const QHash<QString, int> starTips {
        {QStringLiteral("star"), 5}, {QStringLiteral("star6"), 6}, {QStringLiteral("star7"), 7},
        {QStringLiteral("star8"), 8}, {QStringLiteral("star20"), 20},
    };
    if (starTips.contains(m_shapeName))
        setShape(std::make_unique<DFImageShape>(DFShapeFactory::star(starTips.value(m_shapeName), value)));
    else if (m_shapeName == QLatin1String("square") || m_shapeName == QLatin1String("roundedSquare"))
        setShape(std::make_unique<DFImageShape>(DFShapeFactory::roundRectWithCornerRadius(value)));
    else if (m_shapeName == QLatin1String("ring"))
        setShape(std::make_unique<DFImageShape>(DFShapeFactory::ring(value)));
    putShapeOnLayer();
    sizeShape();
    setShapeProperties();
}

void ZVVectorView::layout()
{
    if (layoutWaits())
        return;
    // The picture is made anew when next asked for; observers of it (a
    // reflection) hear that it changed.
    m_renderedStale = true;
    willChangeValueForKey(QStringLiteral("image"));
    didChangeValueForKey(QStringLiteral("image"));
    ZVImageView::layout();
}

const ql::Image& ZVVectorView::image() const
{
    if (m_renderedStale) {
        m_renderedStale = false;
        // Twice the content's size in pixels, so reflections and conversions
        // stay sharp; the image keeps the size in points.
        constexpr double kPixelsPerPoint = 2.0;
        QImage picture = m_collapsed ? ql::blankBitmap(bounds().size(), kPixelsPerPoint)
                                     : m_drawingView->imageRepresentation(kPixelsPerPoint);
        m_rendered = picture.isNull() ? ql::Image() : ql::imageFromBitmap(picture, bounds().size());
    }
    return m_rendered;
}

void ZVVectorView::paintShape(QPainter& painter) const
{
    if (!m_shape || m_collapsed)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    m_drawingView->drawing()->paint(painter, true);
    painter.restore();
}
