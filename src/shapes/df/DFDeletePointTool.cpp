#include "shapes/df/DFDeletePointTool.h"

#include "shapes/df/DFDrawablePath.h"
#include "shapes/df/DFDrawingView.h"
#include "shapes/df/PathEditing.h"

void DFDeletePointTool::press(DFDrawingView& view, const ql::CanvasEvent& event)
{
    for (DFDrawablePath* path : view.editablePaths()) {
        if (std::optional<ql::BezierPath> edited = ql::df::deletePointNear(path->path(), event.location, DFDrawingView::pointTolerance)) {
            path->setPath(*edited);
            return;
        }
    }
}
