// Selects objects and drags the vertices and control points of path
// objects; a vertex takes its handles along.
#pragma once

#include "shapes/df/DFTool.h"
#include "shapes/df/PathEditing.h"

#include <QPointer>

class DFDrawablePath;

class DFSelectTool final : public DFTool {
public:
    QString name() const override { return QStringLiteral("Select"); }
    void press(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void drag(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void release(DFDrawingView& view, const ql::CanvasEvent& event) override;
    void finish(DFDrawingView& view) override;

private:
    QPointer<DFDrawablePath> m_object;
    ql::df::PathPoint m_point;
    ql::BezierPath m_original;
    QPointF m_pressedAt;
};
