// The element's effects on its parts: the drop shadow and clipping of the
// content's own layer, the border and inner-shadow layers every content
// owns, the opacity of content and background, the background's rounded
// corners, and the reflection picture below the content. The painters show
// the parts as these operations leave them.
#include "canvas/ZVPuttyView.h"

#include "canvas/painting/ElementEffects.h"
#include "canvas/painting/ElementPainter.h"
#include "content/ShapeLayer.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "platform/graphics/Color.h"
#include "shapes/ZVVectorView.h"

#include <QScopedValueRollback>

#include <array>
#include <cmath>
#include <initializer_list>
#include <optional>

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;

// Settings are read as 32-bit floats, as they are stored; a missing one is 0.
double number(const QVariant& value)
{
    return double(value.toFloat());
}

ql::Color colorOf(const QVariant& value)
{
    return value.canConvert<ql::Color>() ? value.value<ql::Color>() : ql::Color::black();
}

// A shadow's offset on the page (y down): the distance at the angle, 0°
// pointing up the page.
QSizeF shadowOffset(const QVariant& distance, const QVariant& degrees)
{
    const double angle = number(degrees) * kRadiansPerDegree;
    const double d = number(distance);
    return QSizeF(std::sin(angle) * d, -std::cos(angle) * d);
}

bool same(QSizeF a, QSizeF b)
{
    // Exactly: QSizeF's own comparison is fuzzy.
    return a.width() == b.width() && a.height() == b.height();
}

template <class T>
bool same(const T& a, const T& b)
{
    return a == b;
}

// Writes a setting of a part only when it differs: each write tells the
// part's observers, and the content lays itself out again for every one.
template <class Part, class Value, class Arg>
void write(Part& part, Value (Part::*get)() const, void (Part::*set)(Arg), const std::decay_t<Arg>& value)
{
    if (!same(std::decay_t<Arg>((part.*get)()), value))
        (part.*set)(value);
}

// Holds the layout of each part there is for as long as it lives.
class HeldPartLayouts {
public:
    HeldPartLayouts(std::initializer_list<ZVContentView*> parts)
    {
        size_t i = 0;
        for (ZVContentView* part : parts)
            if (part && i < m_holds.size())
                m_holds[i++].emplace(*part);
    }

private:
    std::array<std::optional<ZVContentView::HeldLayout>, 3> m_holds;
};

} // namespace

void ZVPuttyView::applyToParts(const std::function<void()>& writes)
{
    // What the effects write follows from the element's settings, which
    // record their own undo.
    std::optional<ZVContentView::UnrecordedChanges> content, background, reflection;
    if (m_contentView)
        content.emplace(*m_contentView);
    if (m_backgroundView)
        background.emplace(*m_backgroundView);
    if (m_reflectionView)
        reflection.emplace(*m_reflectionView);
    // Each part is laid out once, when the writes are done (and before its
    // changes are recorded again).
    withPartLayoutsHeld(writes);
}

void ZVPuttyView::withPartLayoutsHeld(const std::function<void()>& steps)
{
    const HeldPartLayouts layouts {m_contentView, m_backgroundView, m_reflectionView};
    steps();
}

void ZVPuttyView::setShadow()
{
    if (m_contentView) {
        applyToParts([this] {
            ShapeLayer& layer = *m_contentView->layer();
            write(layer, &ShapeLayer::masksToBounds, &ShapeLayer::setMasksToBounds, false);
            write(layer, &ShapeLayer::shadowColor, &ShapeLayer::setShadowColor, colorOf(m_shadowColor));
            write(layer, &ShapeLayer::shadowRadius, &ShapeLayer::setShadowRadius, number(m_shadowBlurRadius));
            write(layer, &ShapeLayer::shadowOpacity, &ShapeLayer::setShadowOpacity,
                  m_shadowEnabled ? m_shadowOpacity.toFloat() : 0.0f);
            write(layer, &ShapeLayer::shadowOffset, &ShapeLayer::setShadowOffset,
                  shadowOffset(m_shadowOffset, m_shadowAngle));
        });
        m_contentView->setNeedsDisplay();
    }
    setReflection();
}

void ZVPuttyView::setInnerShadow()
{
    if (m_contentView) {
        applyToParts([this] {
            ShapeLayer& layer = *m_contentView->innerShadow();
            write(layer, &ShapeLayer::shadowColor, &ShapeLayer::setShadowColor, colorOf(m_innerShadowColor));
            write(layer, &ShapeLayer::shadowOffset, &ShapeLayer::setShadowOffset,
                  shadowOffset(m_innerShadowOffset, m_innerShadowAngle));
            write(layer, &ShapeLayer::shadowOpacity, &ShapeLayer::setShadowOpacity,
                  m_innerShadowEnabled ? m_innerShadowOpacity.toFloat() : 0.0f);
            write(layer, &ShapeLayer::shadowRadius, &ShapeLayer::setShadowRadius, number(m_innerShadowBlurRadius));
            write(*m_contentView, &ZVContentView::innerShadowEnabled, &ZVContentView::setInnerShadowEnabled,
                  m_innerShadowEnabled);
            m_contentView->layout();
        });
    }
    setReflection();
}

void ZVPuttyView::setBorder()
{
    const double width = number(m_borderWidth);
    const double radius = number(m_borderRadius);
    const int type = m_borderType.toInt();
    applyToParts([&] {
        // The background rounds its corners whether or not the border shows.
        if (m_backgroundView) {
            write(*m_backgroundView->border(), &ShapeLayer::cornerRadius, &ShapeLayer::setCornerRadius, radius);
            m_backgroundView->layout();
        }
        if (!m_contentView)
            return;
        ShapeLayer& border = *m_contentView->border();
        // A rounded border lies on the content's edge, which cuts its outer
        // half; a border that is off has neither width nor corners.
        write(border, &ShapeLayer::lineWidth, &ShapeLayer::setLineWidth,
              !m_borderEnabled ? 0.0 : radius > 0 ? 2 * width : width);
        write(border, &ShapeLayer::strokeColor, &ShapeLayer::setStrokeColor,
              QVariant::fromValue(colorOf(m_borderColor).withAlpha(number(m_borderOpacity))));
        write(border, &ShapeLayer::cornerRadius, &ShapeLayer::setCornerRadius, m_borderEnabled ? radius : 0.0);
        // Types without a pattern keep the one the border has.
        if (ql::ElementEffects::hasBorderPattern(type)) {
            QVariantList pattern;
            for (const double length : ql::ElementEffects::borderDashes(type))
                pattern.append(int(length));
            write(border, &ShapeLayer::lineDashPattern, &ShapeLayer::setLineDashPattern,
                  pattern.isEmpty() ? QVariant() : QVariant(pattern));
        }
        m_contentView->layout();
        // The corners the content is cut at once it is laid out.
        const bool rounded = border.cornerRadius() > 0;
        write(*m_contentView->layer(), &ShapeLayer::masksToBounds, &ShapeLayer::setMasksToBounds, rounded);
        changeValue(QStringLiteral("shadowSupported"), m_shadowSupported, !rounded);
    });
    // The text view and the shape make room for the border themselves
    // (effectiveBorderWidth), so the text's stored insets stay as set.
    if (auto* vector = qobject_cast<ZVVectorView*>(m_contentView); vector && m_contentViewType == VectorContent)
        vector->sizeShape();
    setReflection();
}

void ZVPuttyView::setOpacity()
{
    const double alpha = number(m_layerOpacity);
    applyToParts([&] {
        if (m_contentView)
            write(*m_contentView, &ZVContentView::alphaValue, &ZVContentView::setAlphaValue, alpha);
        if (m_backgroundView)
            write<ZVContentView>(*m_backgroundView, &ZVContentView::alphaValue, &ZVContentView::setAlphaValue, alpha);
    });
    setReflection();
}

void ZVPuttyView::setBackground()
{
    if (m_backgroundView)
        applyToParts([this] { m_backgroundView->update(); });
    setBorder();
}

void ZVPuttyView::setReflection()
{
    if (!m_reflectionView || m_reflectionHeld)
        return;
    if (!m_reflectionEnabled) {
        applyToParts([this] {
            write<ZVContentView>(*m_reflectionView, &ZVContentView::isHidden, &ZVContentView::setHidden, true);
        });
        emit reflectionChanged();
        return;
    }
    // Made again when next drawn: one picture for the many calls one change makes.
    m_reflectionStale = true;
    applyToParts([this] {
        write<ZVContentView>(*m_reflectionView, &ZVContentView::alphaValue, &ZVContentView::setAlphaValue,
                             number(m_reflectionOpacity));
        write<ZVContentView>(*m_reflectionView, &ZVContentView::isHidden, &ZVContentView::setHidden, false);
    });
    setNeedsLayout();
    m_reflectionView->setNeedsDisplay();    emit reflectionChanged();
}

const ql::Image& ZVPuttyView::reflectionImage() const
{
    static const ql::Image none;
    if (!m_reflectionEnabled || !m_reflectionView)
        return none;
    if (m_reflectionStale) {
        m_reflectionStale = false;
        const double height = number(m_reflectionHeight);
        const QSizeF size(contentFrame().width(), std::isfinite(height) ? height : 0.0);
        const ql::Image picture = ql::ElementPainter::reflectionPicture(*this, size);
        ZVContentView::UnrecordedChanges quiet(*m_reflectionView);
        m_reflectionView->setImage(picture);
    }
    return m_reflectionView->image();
}

void ZVPuttyView::applyEffects()
{
    m_firstLoad = false;
    // Every effect below reshapes the parts and the reflection: they are
    // laid out and the reflection set once, at the end.
    withPartLayoutsHeld([this] {
        const QScopedValueRollback<bool> held(m_reflectionHeld, true);
        // The border comes with the background, last.
        setShadow();
        setOpacity();
        setInnerShadow();
        setBackground();
    });
    setReflection();
}

void ZVPuttyView::applyFirstLoad()
{
    if (m_firstLoad)
        applyEffects();
}

double ZVPuttyView::effectiveBorderWidth() const
{
    if (!m_borderEnabled)
        return 0.0;
    switch (m_borderStyle.toInt()) {
    case 2: return m_borderWidth.toDouble();
    case 1: return m_borderWidth.toDouble() / 2.0;
    default: return 0.0;
    }
}
