// Snapping an element onto the stick points of the page's last guide pass.
#include "canvas/ZVPuttyView.h"

#include "canvas/guides/SmartGuides.h"

QPointF ZVPuttyView::snap()
{
    const ql::SnapResult snapped = ql::snapFrame(m_frame, realFrame(), m_stickPoints, m_isMoving);
    // Applied without undo: the gesture's own undo step covers it.
    setNewPuttyViewFrame(snapped.frame);
    return QPointF(snapped.dx, snapped.dy);
}
