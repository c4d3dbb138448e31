#include "shapes/df/DFPathTool.h"

#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawingView.h"
#include "shapes/df/PathEditing.h"

#include <QLineF>

namespace {

// Drags shorter than this are a click, not a handle.
constexpr double handleThreshold = 1.0;

} // namespace

void DFPathTool::reset()
{
    m_open = false;
    m_ending = false;
    m_pressed = false;
    m_path = {};
    m_outHandle.reset();
}

void DFPathTool::addVertex(QPointF point)
{
    if (m_outHandle)
        m_path.curveTo(point, *m_outHandle, point);
    else
        m_path.lineTo(point);
    m_anchor = point;
    m_outHandle.reset();
}

void DFPathTool::press(DFDrawingView&, const ql::CanvasEvent& event)
{
    m_pointer = event.location;
    m_pressed = true;
    if (!m_open) {
        m_path = {};
        m_path.moveTo(event.location);
        m_anchor = event.location;
        m_outHandle.reset();
        m_open = true;
        m_ending = event.clickCount >= 2;
        return;
    }
    // The first click of a double click already added the vertex.
    if (QLineF(m_anchor, event.location).length() > 0.0)
        addVertex(event.location);
    if (event.clickCount >= 2)
        m_ending = true;
}

void DFPathTool::drag(DFDrawingView&, const ql::CanvasEvent& event)
{
    m_pointer = event.location;
    if (!m_pressed || m_ending || QLineF(m_anchor, event.location).length() < handleThreshold)
        return;
    // The handle leaves the vertex towards the pointer; its mirror shapes
    // the segment that arrives at the vertex.
    m_outHandle = event.location;
    const QPointF mirrored = m_anchor * 2.0 - event.location;
    QList<ql::BezierPath::Element> elements = m_path.elements();
    if (elements.size() >= 2) {
        ql::BezierPath::Element& last = elements.last();
        const ql::BezierPath::Element& before = elements[elements.size() - 2];
        const QPointF from = before.type == ql::BezierPath::ElementType::CurveTo ? before.points[2] : before.points[0];
        if (last.type == ql::BezierPath::ElementType::LineTo)
            last = {ql::BezierPath::ElementType::CurveTo, {from, mirrored, last.points[0]}};
        else if (last.type == ql::BezierPath::ElementType::CurveTo)
            last.points[1] = mirrored;
        m_path = ql::df::pathWithElements(elements, m_path);
    }
}

void DFPathTool::release(DFDrawingView& view, const ql::CanvasEvent& event)
{
    m_pointer = event.location;
    m_pressed = false;
    if (m_ending)
        finish(view);
}

void DFPathTool::move(DFDrawingView&, const ql::CanvasEvent& event)
{
    m_pointer = event.location;
}

void DFPathTool::finish(DFDrawingView& view)
{
    if (!m_open)
        return;
    // A path needs two distinct vertices; anything less is dropped.
    const ql::BezierPath path = m_path;
    reset();
    if (ql::df::hasDistinctVertices(path))
        view.addNewObject(std::make_unique<DFDrawablePath>(path));
}

void DFPathTool::paintFeedback(QPainter& painter, const DFDrawingView&) const
{
    if (!m_open)
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawPath(m_path.toPainterPath());
    painter.setPen(QPen(Qt::gray, 0, Qt::DashLine));
    painter.drawLine(m_anchor, m_pointer);
    painter.restore();
}
