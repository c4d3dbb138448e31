#include "content/ZVContentView.h"

#include "canvas/ZVPuttyView.h"
#include "content/ShapeLayer.h"
#include "platform/undo/UndoManager.h"

#include <QPainterPath>
#include <QtDebug>

#include <cmath>

namespace {

// The inner-shadow band reaches this far beyond the bounds, so that its
// shadow covers the whole inside however far it is offset or blurred.
constexpr double kShadowBandOutset = 42.0;

ql::BezierPath roundedRect(const QRectF& rect, double radius)
{
    if (radius <= 0.0 && !rect.isNull() && std::isfinite(rect.x()) && std::isfinite(rect.y())
        && std::isfinite(rect.width()) && std::isfinite(rect.height())) {
        // The painter path's rectangle, element for element, without making
        // one: every part of every element is laid out with it.
        ql::BezierPath square;
        square.setWindingRule(ql::BezierPath::WindingRule::EvenOdd);
        square.reserve(5);
        square.moveTo(rect.topLeft());
        square.lineTo(rect.topRight());
        square.lineTo(rect.bottomRight());
        square.lineTo(rect.bottomLeft());
        square.lineTo(rect.topLeft());
        return square;
    }
    QPainterPath path;
    if (radius > 0.0)
        path.addRoundedRect(rect, radius, radius);
    else
        path.addRect(rect);
    return ql::BezierPath::fromPainterPath(path);
}

} // namespace

ZVContentView::ZVContentView(QObject* parent)
    : KVObject(parent), m_border(new ShapeLayer(this)), m_innerShadow(new ShapeLayer(this)),
      m_layer(new ShapeLayer(this))
{
    // The border starts invisible (no width) in the program's dark purple.
    m_border->setStrokeColor(QVariant::fromValue(ql::Color::calibratedRgb(67 / 255.0, 37 / 255.0, 83 / 255.0)));
    m_border->setFillColor(QVariant());
    m_border->setLineWidth(0.0);
    m_border->setZPosition(1000.0);
    m_innerShadow->setZPosition(1001.0);
    m_innerShadow->setHidden(true);
}

ZVContentView::~ZVContentView() = default;

const ql::PropertyTable& ZVContentView::staticTable()
{
    static const ql::PropertyTable table =
        ql::PropertyTableBuilder<ZVContentView>(&baseTable())
            .property("frame", &ZVContentView::frame, &ZVContentView::setFrame)
            .property("puttyView", &ZVContentView::puttyView, &ZVContentView::setPuttyView)
            .property("editMode", &ZVContentView::editMode, &ZVContentView::setEditMode)
            .property("innerShadowEnabled", &ZVContentView::innerShadowEnabled,
                      &ZVContentView::setInnerShadowEnabled)
            .readOnly("border", &ZVContentView::border)
            .readOnly("innerShadow", &ZVContentView::innerShadow)
            .readOnly("layerCornerRadius", &ZVContentView::layerCornerRadius)
            .readOnly("layer", &ZVContentView::layer)
            .property("alphaValue", &ZVContentView::alphaValue, &ZVContentView::setAlphaValue)
            .property("hidden", &ZVContentView::isHidden, &ZVContentView::setHidden)
            .build();
    return table;
}

const ql::PropertyTable& ZVContentView::properties() const
{
    return staticTable();
}

void ZVContentView::setFrame(const QRectF& frame)
{
    const bool resized = frame.size() != m_frame.size();
    changeValue(QStringLiteral("frame"), m_frame, frame);
    if (resized)
        layout();
}

ZVPuttyView* ZVContentView::puttyView() const
{
    return qobject_cast<ZVPuttyView*>(m_puttyView.data());
}

void ZVContentView::setPuttyView(ZVPuttyView* element)
{
    changeValue(QStringLiteral("puttyView"), m_puttyView, element);
}

void ZVContentView::setEditMode(bool editMode)
{
    changeValue(QStringLiteral("editMode"), m_editMode, editMode);
}

void ZVContentView::setInnerShadowEnabled(bool enabled)
{
    changeValue(QStringLiteral("innerShadowEnabled"), m_innerShadowEnabled, enabled);
}

void ZVContentView::setAlphaValue(double alpha)
{
    changeValue(QStringLiteral("alphaValue"), m_alphaValue, alpha);
}

void ZVContentView::setHidden(bool hidden)
{
    changeValue(QStringLiteral("hidden"), m_hidden, hidden);
}

ql::UndoManager* ZVContentView::undoManager() const
{
    const ZVPuttyView* element = puttyView();
    return element ? element->undoManager() : nullptr;
}

void ZVContentView::recordUndo(const ql::KeyValueChange& change)
{
    if (!isRecordingUndo())
        return;
    ql::UndoManager* manager = undoManager();
    if (!manager)
        return;
    // Setting the path back is observed again, which records the inverse.
    manager->registerUndo(this, [this, keyPath = change.keyPath, oldValue = change.oldValue] {
        const ql::Status status = setValueForKeyPath(keyPath, oldValue);
        if (!status)
            qWarning().noquote() << "undo of" << keyPath << "failed:" << status.error().describe();
    });
}

ZVContentView::HeldLayout::~HeldLayout()
{
    if (!m_view || --m_view->m_layoutHolds > 0 || !m_view->m_layoutWaiting)
        return;
    m_view->m_layoutWaiting = false;
    m_view->layoutAfterHold();
}

bool ZVContentView::layoutWaits()
{
    if (m_layoutHolds == 0)
        return false;
    m_layoutWaiting = true;
    return true;
}

void ZVContentView::layout()
{
    if (layoutWaits())
        return;
    layoutLayers();
    setNeedsDisplay();
}

void ZVContentView::layoutIfNeeded()
{
    if (m_layersShapedFor != layersShape())
        layout();
}

ZVContentView::LayersShape ZVContentView::layersShape() const
{
    return LayersShape {bounds(), m_border->cornerRadius(), m_border->lineWidth(), m_innerShadowEnabled};
}

void ZVContentView::layoutLayers()
{
    m_layersShapedFor = layersShape();
    const QRectF bounds = this->bounds();
    const double radius = m_border->cornerRadius();
    // A rounded border lies on the bounds (the content is clipped to the same
    // curve); a square one is inset so that its whole width shows.
    const double half = m_border->lineWidth() / 2.0;
    const QRectF strokeRect = radius > 0.0 ? bounds : bounds.adjusted(half, half, -half, -half);
    m_border->setPath(roundedRect(strokeRect, radius));
    m_layerCornerRadius = radius;
    m_border->setFrame(bounds);

    if (!m_innerShadowEnabled) {
        // Hidden, it keeps its last path.
        m_innerShadow->setHidden(true);
        return;
    }
    m_innerShadow->setHidden(false);
    m_innerShadow->setFrame(bounds);
    // A band from far outside to the (rounded) outline: filled even-odd, its
    // shadow falls inwards; the mask keeps only the inside.
    const ql::BezierPath inside = roundedRect(bounds, radius);
    ql::BezierPath band = ql::BezierPath::rect(
        bounds.adjusted(-kShadowBandOutset, -kShadowBandOutset, kShadowBandOutset, kShadowBandOutset));
    band.append(inside);
    band.closePath();
    band.setWindingRule(ql::BezierPath::WindingRule::EvenOdd);
    m_innerShadow->setPath(band);
    m_innerShadow->setMaskPath(inside);
}
