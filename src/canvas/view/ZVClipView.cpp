#include "canvas/view/ZVClipView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVHandleView.h"
#include "canvas/ZVRotationHandleView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "canvas/painting/PagePainter.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <cmath>

namespace ql {

namespace {

// Outlines can lie anywhere around the page; the ground covers far beyond it.
constexpr double kGroundExtent = 1.0e6;

// Device pixels lying wholly inside the page, a pixel in from its edges: the
// page's opaque ground covers whatever the ground under it draws there.
QRectF coveredByPage(const QRectF& device)
{
    const double left = std::ceil(device.left()) + 1;
    const double top = std::ceil(device.top()) + 1;
    const double right = std::floor(device.right()) - 1;
    const double bottom = std::floor(device.bottom()) - 1;
    return right > left && bottom > top ? QRectF(QPointF(left, top), QPointF(right, bottom)) : QRectF();
}

// The page's shadow: offset 0, blur 3 device pixels, grey at 0.65, which
// shows as a soft edge around the page whatever the magnification. Only the
// ring around the page is filled, and only where it is exposed: the page
// covers the rest, and translucent fills over the whole page were most of a
// small repaint's cost.
void drawPageShadow(QPainter& painter, const QRectF& page, const QRectF& exposed)
{
    const QRectF device = painter.worldTransform().mapRect(page);
    const QRectF covered = coveredByPage(device);
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    constexpr int kBlur = 3;
    for (int step = kBlur; step >= 1; --step) {
        const double weight = 0.65 * (kBlur + 1 - step) / (kBlur + 1) * 0.6;
        const QColor grey = QColor::fromRgbF(0.5f, 0.5f, 0.5f, float(weight));
        const QRectF outer = device.adjusted(-step, -step, step, step);
        // The strips share whole-pixel edges, so they cover the same pixels
        // as one fill of the outer rectangle would, less the covered ones.
        const QRectF strips[] = {
            covered.isEmpty() ? outer : QRectF(QPointF(outer.left(), outer.top()), QPointF(outer.right(), covered.top())),
            QRectF(QPointF(outer.left(), covered.bottom()), QPointF(outer.right(), outer.bottom())),
            QRectF(QPointF(outer.left(), covered.top()), QPointF(covered.left(), covered.bottom())),
            QRectF(QPointF(covered.right(), covered.top()), QPointF(outer.right(), covered.bottom())),
        };
        for (const QRectF& strip : strips) {
            if (!strip.isEmpty() && (exposed.isNull() || strip.intersects(exposed)))
                painter.fillRect(strip, grey);
            if (covered.isEmpty())
                break;
        }
    }
    painter.restore();
}

} // namespace

ZVClipView::ZVClipView()
{
    setAcceptedMouseButtons(Qt::NoButton);
    setZValue(-1);
    // Paint learns which part of the ground is exposed, so that a step of a
    // drag draws only the outlines there, not every highlighted one.
    setFlag(ItemUsesExtendedStyleOption);
}

void ZVClipView::setPage(ZVCanvasView* page)
{
    m_page = page;
    m_draggingView = nullptr;
    update();
}

QRectF ZVClipView::constrainBoundsRect(const QRectF& proposed, const QRectF& documentFrame)
{
    QRectF result = proposed;
    if (proposed.width() >= documentFrame.width())
        result.moveLeft(std::floor((proposed.width() - documentFrame.width()) * -0.5));
    if (proposed.height() >= documentFrame.height())
        result.moveTop(std::floor((proposed.height() - documentFrame.height()) * -0.5));
    return result;
}

QList<ZVPuttyView*> ZVClipView::visibleElements() const
{
    return m_page ? PagePainter::ownElements(*m_page, PagePainter::Layers::Visible) : QList<ZVPuttyView*>();
}

ZVCanvasView* ZVClipView::page() const
{
    return m_page.data();
}

ZVPuttyView* ZVClipView::draggingView() const
{
    return m_draggingView.data();
}

void ZVClipView::mouseDown(const CanvasEvent& event)
{
    m_draggingView = nullptr;
    m_draggingHandle = nullptr;
    m_draggingRotationHandle = false;
    if (!m_page)
        return;
    const QList<ZVPuttyView*> elements = visibleElements();
    for (auto it = elements.crbegin(); it != elements.crend(); ++it) {
        if (!(*it)->isActive())
            continue;
        if (const ZVPuttyView::Hit hit = (*it)->handleAt(event.location)) {
            m_draggingHandle = hit.handle;
            m_draggingRotationHandle = hit.kind == ZVPuttyView::Hit::Kind::RotationHandle;
            if (m_draggingRotationHandle)
                hit.handle->rotationHandle()->mouseDown(event);
            else
                hit.handle->mouseDown(event);
            return;
        }
    }
    m_page->clearPuttyViews();
    for (auto it = elements.crbegin(); it != elements.crend(); ++it) {
        if ((*it)->containsPagePoint(event.location)) {
            m_draggingView = *it;
            (*it)->mouseDown(event);
            return;
        }
    }
}

void ZVClipView::mouseDragged(const CanvasEvent& event)
{
    if (m_draggingHandle) {
        if (m_draggingRotationHandle)
            m_draggingHandle->rotationHandle()->mouseDragged(event);
        else
            m_draggingHandle->mouseDragged(event);
    } else if (m_draggingView) {
        m_draggingView->mouseDragged(event);
    }
}

void ZVClipView::mouseUp(const CanvasEvent& event)
{
    if (m_draggingHandle) {
        if (m_draggingRotationHandle)
            m_draggingHandle->rotationHandle()->mouseUp(event);
        else
            m_draggingHandle->mouseUp(event);
    } else if (m_draggingView) {
        m_draggingView->mouseUp(event);
    }
    m_draggingView = nullptr;
    m_draggingHandle = nullptr;
}

void ZVClipView::updateOutline(const QRectF& sceneRect)
{
    if (!sceneRect.isEmpty())
        update(mapRectFromScene(sceneRect));
}

QRectF ZVClipView::boundingRect() const
{
    return QRectF(-kGroundExtent, -kGroundExtent, 2 * kGroundExtent, 2 * kGroundExtent);
}

void ZVClipView::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    if (!m_page)
        return;
    const QRectF page = m_page->bounds();
    const QTransform& toDevice = painter->worldTransform();
    // A pixel more than the exposed rectangle, against rounding.
    const QRectF exposed =
        option ? toDevice.mapRect(option->exposedRect).adjusted(-1, -1, 1, 1) : QRectF();
    drawPageShadow(*painter, page, exposed);
    // Inside the page the page covers all of this; a drag's repaints mostly
    // lie there, so the elements are not gone over at all.
    const QRectF covered = coveredByPage(toDevice.mapRect(page));
    if (!exposed.isNull() && covered.contains(exposed))
        return;
    painter->setRenderHint(QPainter::Antialiasing);
    // Only selected elements of shown layers; checked cheaply first, since
    // the ground repaints whenever an outline moves.
    for (const ZVPuttyView* element : m_page->puttyViews()) {
        if (!element->isActive() && !element->isHighlighted())
            continue;
        // Where the outline lies is checked before its layer: most outlines
        // lie away from what is exposed, or inside the page.
        const QRectF content = ElementPainter::contentRect(*element);
        const QRectF onPage = element->frameRotation() == 0.0 ? element->contentFrame()
                                                              : element->pageTransform().mapRect(content);
        // The pen reaches half a point beyond the outline; a point more keeps
        // antialiasing inside.
        const QRectF reach = toDevice.mapRect(onPage.adjusted(-1.5, -1.5, 1.5, 1.5));
        if ((!exposed.isNull() && !reach.intersects(exposed)) || covered.contains(reach))
            continue;
        const ZVPuttyViewGroup* layer = element->layoutLayerGroup();
        if (!layer || !layer->visible() || !m_page->hasLayoutLayer(layer))
            continue;
        const QTransform transform = element->pageTransform();
        QPainterPath outline;
        outline.addRect(content);
        outline = transform.map(outline);
        painter->fillPath(outline, QColor::fromRgbF(0.9f, 0.9f, 0.9f, 1.0f));
        painter->strokePath(outline, QPen(QColor(Qt::lightGray), 1.0));
    }
}

} // namespace ql
