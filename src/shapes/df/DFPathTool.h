// Draws a path point by point: each click adds a vertex, dragging from a
// click pulls the curve handles of that vertex, and a double click ends the
// path. While a path is open the tool keeps the pointer events.
#pragma once

#include "platform/graphics/BezierPath.h"
#include "shapes/df/DFTool.h"

#include <optional>

class DFPathTool final : public DFTool {
public:
    QString name() const override { return QStringLiteral("Path"); }
    void press(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void drag(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void release(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void move(DFDrawingView& view, const ql::CanvasEvent& event) override;
    bool keepsEvents() const override { return m_open && !m_ending; }
    void finish(DFDrawingView& view) override;
    void paintFeedback(QPainter& painter, const DFDrawingView& view) const override;

private:
    void addVertex(QPointF point);
    void reset();

    bool m_open = false;
    bool m_ending = false;
    bool m_pressed = false;
    ql::BezierPath m_path;
    QPointF m_anchor;                  // the vertex last added
    std::optional<QPointF> m_outHandle; // its outgoing handle, once dragged
    QPointF m_pointer;
};
