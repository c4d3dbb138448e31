#include "panels/imageedit/ImageCropTool.h"

#include "panels/imageedit/CropSelectionItem.h"
#include "panels/imageedit/ImageEditView.h"

#include <QLineF>
#include <algorithm>

namespace ql {

QPointF ImageCropTool::clamped(QPointF point) const
{
    const QSize size = m_view.imageSize();
    return {std::clamp(point.x(), 0.0, double(size.width())), std::clamp(point.y(), 0.0, double(size.height()))};
}

void ImageCropTool::press(QPointF scenePoint, QPointF)
{
    m_pressPoint = clamped(scenePoint);
    m_moved = false;
    if (const auto& selection = m_view.cropSelection()) {
        m_start = *selection;
        const double reach = kHandleReach / m_view.zoomFactor();
        const QList<QPointF> handles = CropSelectionItem::handlePoints(*selection);
        for (int i = 0; i < handles.size(); ++i) {
            if (QLineF(handles[i], scenePoint).length() <= reach) {
                m_mode = Mode::Handle;
                m_handle = i;
                return;
            }
        }
        if (selection->contains(scenePoint)) {
            m_mode = Mode::Move;
            return;
        }
    }
    m_mode = Mode::New;
}

void ImageCropTool::drag(QPointF scenePoint, QPointF)
{
    const QPointF point = clamped(scenePoint);
    m_moved = m_moved || point != m_pressPoint;
    if (!m_moved)
        return;
    switch (m_mode) {
    case Mode::New: m_view.setCropSelection(QRectF(m_pressPoint, point).normalized()); break;
    case Mode::Move: {
        const QSize size = m_view.imageSize();
        QRectF moved = m_start.translated(point - m_pressPoint);
        moved.moveLeft(std::clamp(moved.left(), 0.0, std::max(0.0, size.width() - moved.width())));
        moved.moveTop(std::clamp(moved.top(), 0.0, std::max(0.0, size.height() - moved.height())));
        m_view.setCropSelection(moved);
        break;
    }
    case Mode::Handle: {
        // Handles: 0 top-left, 1 top, 2 top-right, 3 right, 4 bottom-right,
        // 5 bottom, 6 bottom-left, 7 left.
        QRectF rect = m_start;
        if (m_handle == 0 || m_handle == 6 || m_handle == 7)
            rect.setLeft(point.x());
        if (m_handle == 2 || m_handle == 3 || m_handle == 4)
            rect.setRight(point.x());
        if (m_handle == 0 || m_handle == 1 || m_handle == 2)
            rect.setTop(point.y());
        if (m_handle == 4 || m_handle == 5 || m_handle == 6)
            rect.setBottom(point.y());
        m_view.setCropSelection(rect.normalized());
        break;
    }
    }
}

void ImageCropTool::release(QPointF scenePoint, QPointF viewPoint)
{
    drag(scenePoint, viewPoint);
    if (!m_moved && m_mode == Mode::New)
        m_view.clearCropSelection();
}

} // namespace ql
