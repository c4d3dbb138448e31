#include "shapes/df/DFLineTool.h"

#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawingView.h"
#include "shapes/df/DFObjectDrawingLayer.h"

#include <QLineF>

void DFLineTool::press(DFDrawingView&, const ql::CanvasEvent& event)
{
    m_start = m_end = event.location;
    m_tracking = true;
}

void DFLineTool::drag(DFDrawingView& view, const ql::CanvasEvent& event)
{
    if (!m_tracking)
        return;
    m_end = event.location;
    if (DFObjectDrawingLayer* layer = view.activeLayer())
        layer->showInfoWindowWithString(QStringLiteral("%1 pt").arg(QLineF(m_start, m_end).length(), 0, 'f', 1), m_end);
}

void DFLineTool::release(DFDrawingView& view, const ql::CanvasEvent& event)
{
    if (!m_tracking)
        return;
    m_end = event.location;
    finish(view);
}

void DFLineTool::finish(DFDrawingView& view)
{
    if (!m_tracking)
        return;
    m_tracking = false;
    if (m_start == m_end)
        return;
    ql::BezierPath line;
    line.moveTo(m_start);
    line.lineTo(m_end);
    view.addNewObject(std::make_unique<DFDrawablePath>(line));
}

void DFLineTool::paintFeedback(QPainter& painter, const DFDrawingView&) const
{
    if (!m_tracking)
        return;
    painter.save();
    painter.setPen(QPen(Qt::black, 1.0));
    painter.drawLine(m_start, m_end);
    painter.restore();
}
