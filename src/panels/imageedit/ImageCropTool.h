// The crop tool: a press outside the selection starts a new rectangle, one
// inside moves it, one on a handle moves that edge or corner; all within the
// picture. A click without a drag removes the selection.
#pragma once

#include "panels/imageedit/ImageEditTool.h"

#include <QRectF>

namespace ql {

class ImageCropTool : public ImageEditTool {
public:
    using ImageEditTool::ImageEditTool;

    void press(QPointF scenePoint, QPointF viewPoint) override;
    void drag(QPointF scenePoint, QPointF viewPoint) override;
    void release(QPointF scenePoint, QPointF viewPoint) override;

    // How near (in view pixels) a press must come to a handle.
    static constexpr double kHandleReach = 6.0;

private:
    enum class Mode { New, Move, Handle };
    QPointF clamped(QPointF point) const;

    Mode m_mode = Mode::New;
    int m_handle = -1;
    QPointF m_pressPoint;
    QRectF m_start;
    bool m_moved = false;
};

} // namespace ql
