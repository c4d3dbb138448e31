#include "shapes/df/DFFreehandTool.h"

#include "shapes/df/CurveFitting.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawingView.h"

#include <QPolygonF>

void DFFreehandTool::press(DFDrawingView&, const DFPointerEvent& event)
{
    m_track = {event.position};
    m_tracking = true;
}

void DFFreehandTool::drag(DFDrawingView&, const DFPointerEvent& event)
{
    if (m_tracking)
        m_track.push_back(event.position);
}

void DFFreehandTool::release(DFDrawingView& view, const DFPointerEvent& event)
{
    if (!m_tracking)
        return;
    m_track.push_back(event.position);
    finish(view);
}

void DFFreehandTool::finish(DFDrawingView& view)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    const ql::BezierPath stroke = ql::df::fitCurve(m_track, tolerance);
    m_track.clear();
    if (!stroke.isEmpty())
        view.addNewObject(std::make_unique<DFDrawablePath>(stroke));
}

void DFFreehandTool::paintFeedback(QPainter& painter, const DFDrawingView&) const
{
    if (!m_tracking || m_track.size() < 2)
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawPolyline(QPolygonF(QList<QPointF>(m_track.begin(), m_track.end())));
    painter.restore();
}
