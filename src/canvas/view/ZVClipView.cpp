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

// The page's shadow: offset 0, blur 3 device pixels, grey at 0.65, which
// shows as a soft edge around the page whatever the magnification.
void drawPageShadow(QPainter& painter, const QRectF& page)
{
    const QRectF device = painter.worldTransform().mapRect(page);
    painter.save();
    painter.resetTransform();
    painter.setRenderHint(QPainter::Antialiasing, false);
    constexpr int kBlur = 3;
    for (int step = kBlur; step >= 1; --step) {
        const double weight = 0.65 * (kBlur + 1 - step) / (kBlur + 1) * 0.6;
        painter.fillRect(device.adjusted(-step, -step, step, step), QColor::fromRgbF(0.5f, 0.5f, 0.5f, float(weight)));
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
    drawPageShadow(*painter, m_page->bounds());
    painter->setRenderHint(QPainter::Antialiasing);
    // Only selected elements of shown layers; checked cheaply first, since
    // the ground repaints whenever an outline moves.
    for (const ZVPuttyView* element : m_page->puttyViews()) {
        if (!element->isActive() && !element->isHighlighted())
            continue;
        const ZVPuttyViewGroup* layer = element->layoutLayerGroup();
        if (!layer || !layer->visible() || !m_page->hasLayoutLayer(layer))
            continue;
        const QRectF content = ElementPainter::contentRect(*element);
        const QTransform transform = element->pageTransform();
        // The pen reaches half a point beyond the outline; a point more keeps
        // antialiasing inside.
        if (option && !transform.mapRect(content).adjusted(-1.5, -1.5, 1.5, 1.5).intersects(option->exposedRect))
            continue;
        QPainterPath outline;
        outline.addRect(content);
        outline = transform.map(outline);
        painter->fillPath(outline, QColor::fromRgbF(0.9f, 0.9f, 0.9f, 1.0f));
        painter->strokePath(outline, QPen(QColor(Qt::lightGray), 1.0));
    }
}

} // namespace ql
