#include "shapes/df/DFSelectTool.h"

#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawingView.h"
#include "shapes/df/DFObjectDrawingLayer.h"

void DFSelectTool::press(DFDrawingView& view, const ql::CanvasEvent& event)
{
    m_object = nullptr;
    m_pressedAt = event.location;
    DFObjectDrawingLayer* layer = view.activeLayer();
    if (!layer)
        return;
    for (DFDrawablePath* path : view.editablePaths()) {
        if (std::optional<ql::df::PathPoint> point = ql::df::pointNear(path->path(), event.location, DFDrawingView::pointTolerance)) {
            m_object = path;
            m_point = *point;
            m_original = path->path();
            if (!layer->isSelected(path))
                layer->selectObject(path, event.has(ql::CanvasEvent::Shift));
            return;
        }
    }
    DFDrawable* hit = layer->objectAtPoint(event.location, DFDrawingView::pointTolerance);
    if (hit)
        layer->selectObject(hit, event.has(ql::CanvasEvent::Shift));
    else if (!event.has(ql::CanvasEvent::Shift))
        layer->deselectAll();
}

void DFSelectTool::drag(DFDrawingView& view, const ql::CanvasEvent& event)
{
    if (!m_object)
        return;
    const QPointF to = m_point.position + (event.location - m_pressedAt);
    m_object->setPath(ql::df::movePoint(m_original, m_point, to));
    if (DFObjectDrawingLayer* layer = view.activeLayer())
        layer->showInfoWindowWithString(QStringLiteral("%1, %2").arg(to.x(), 0, 'f', 1).arg(to.y(), 0, 'f', 1), to);
}

void DFSelectTool::release(DFDrawingView& view, const ql::CanvasEvent& event)
{
    drag(view, event);
    finish(view);
}

void DFSelectTool::finish(DFDrawingView&)
{
    m_object = nullptr;
}
