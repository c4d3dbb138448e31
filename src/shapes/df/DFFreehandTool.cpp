#include "shapes/df/DFFreehandTool.h"

#include "shapes/df/CurveFitting.h"
#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawingView.h"

#include <QPolygonF>

void DFFreehandTool::press(DFDrawingView&, const ql::CanvasEvent& event)
{
    m_track = {event.location};
    m_tracking = true;
}

void DFFreehandTool::drag(DFDrawingView&, const ql::CanvasEvent& event)
{
    if (m_tracking)
        m_track.push_back(event.location);
}

void DFFreehandTool::release(DFDrawingView& view, const ql::CanvasEvent& event)
{
    if (!m_tracking)
        return;
    m_track.push_back(event.location);
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
