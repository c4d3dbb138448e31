#include "canvas/gestures/CropPanGesture.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "platform/undo/UndoManager.h"
#include "shapes/ZVVectorView.h"

#include <cmath>

namespace ql {

namespace {

// A scale the pan divides by: 32-bit, as stored; 1 when it would not divide.
double divisor(const QVariant& value)
{
    const float scale = value.toFloat();
    return std::isfinite(scale) && scale != 0.0f ? double(scale) : 1.0;
}

ZVVectorView* shapeOf(const ZVPuttyView& element)
{
    return element.contentViewType() == ZVPuttyView::VectorContent
               ? qobject_cast<ZVVectorView*>(element.contentView())
               : nullptr;
}

QPointF committedOffsets(const ZVPuttyView& element)
{
    return QPointF(element.imageXOffset(), element.imageYOffset());
}

void setCommittedOffsets(ZVPuttyView& element, QPointF offsets)
{
    element.setValueForKey(u"imageXOffset", offsets.x());
    element.setValueForKey(u"imageYOffset", offsets.y());
}

// Shows the picture at offsets: the crop window of an image, the fill of a
// shape.
void showAt(ZVPuttyView& element, QPointF offsets)
{
    if (ZVVectorView* shape = shapeOf(element)) {
        // A pan is one step of its own, not one per pointer move.
        const ZVContentView::UnrecordedChanges quiet(*shape);
        shape->setBackgroundOffset(QVariant::fromValue(offsets));
        return;
    }
    if (const ZVContentView* content = element.contentView())
        element.applyCropInRect(QRectF(offsets, content->bounds().size()));
}

// Undo and redo of a pan: each puts the offsets back, shows the picture
// there and records its own inverse.
void restoreOffsets(ZVPuttyView& element, QPointF offsets)
{
    const QPointF current = committedOffsets(element);
    if (UndoManager* manager = element.undoManager()) {
        QPointer<ZVPuttyView> target(&element);
        manager->registerUndo(&element, [target, current] {
            if (target)
                restoreOffsets(*target, current);
        });
    }
    setCommittedOffsets(element, offsets);
    showAt(element, offsets);
}

} // namespace

bool CropPanGesture::appliesTo(const ZVPuttyView& element)
{
    return element.cropMode() && !element.isLocked();
}

Qt::CursorShape CropPanGesture::cursorFor(const ZVPuttyView& element)
{
    if (!element.cropMode() || element.isMoving())
        return Qt::ArrowCursor;
    return element.valueForKey(u"isCropping").toBool() ? Qt::ClosedHandCursor : Qt::OpenHandCursor;
}

QTransform CropPanGesture::panTransform(const ZVPuttyView& element)
{
    double scale = 1.0;
    if (const ZVVectorView* shape = shapeOf(element)) {
        // w ÷ (w × s) for a fill picture w wide at scale s: 1 ÷ s, and no
        // scale at all without a picture.
        const ZVBackgroundView* fill = shape->backgroundView();
        if (fill && fill->backgroundImage().size().width() > 0)
            scale = 1.0 / divisor(fill->backgroundImageScale());
    } else {
        scale = double(1.0f / float(divisor(element.cropScale())));
    }
    const QPointF centre = element.frame().center();
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(-element.frameCenterRotation());
    turn.translate(-centre.x(), -centre.y());
    return turn * QTransform::fromScale(scale, scale);
}

CropPanGesture::CropPanGesture(ZVPuttyView& element) : m_element(&element) {}

void CropPanGesture::press(QPointF pagePoint)
{
    if (!m_element || !appliesTo(*m_element))
        return;
    m_pressed = true;
    m_startOffsets = committedOffsets(*m_element);
    m_element->setValueForKey(u"lastDragLocation", panTransform(*m_element).map(pagePoint));
}

void CropPanGesture::drag(QPointF pagePoint)
{
    if (!m_pressed || !m_element || !appliesTo(*m_element))
        return;
    if (!m_element->isMoving()) {
        m_panning = true;
        m_element->setValueForKey(u"isCropping", true);
    }
    const QPointF start = m_element->valueForKey(u"lastDragLocation").toPointF();
    const QPointF travel = panTransform(*m_element).map(pagePoint) - start;
    if (!std::isfinite(travel.x()) || !std::isfinite(travel.y()))
        return;
    showAt(*m_element, m_startOffsets + travel);
}

void CropPanGesture::release()
{
    if (!m_pressed || !m_element)
        return;
    m_pressed = false;
    if (m_element->cropMode())
        commitOffsets();
    m_element->setValueForKey(u"isCropping", false);
    m_panning = false;
}

void CropPanGesture::commitOffsets()
{
    ZVPuttyView& element = *m_element;
    QPointF reached = committedOffsets(element);
    if (const ZVVectorView* shape = shapeOf(element))
        reached = shape->imageOrigin();
    else if (m_panning)
        reached = element.cropRect().topLeft();
    if (reached == m_startOffsets)
        return;
    // Back to where the pan started, recording that, then forward again,
    // so that the step undoes as one and redoes the whole pan.
    setCommittedOffsets(element, m_startOffsets);
    restoreOffsets(element, reached);
}

} // namespace ql
