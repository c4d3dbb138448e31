// A gesture of the image editor's view, from press to release. Points come
// both in the picture's (scene) coordinates and in the view's.
#pragma once

#include <QPointF>

namespace ql {

class ImageEditView;

class ImageEditTool {
public:
    explicit ImageEditTool(ImageEditView& view) : m_view(view) {}
    virtual ~ImageEditTool() = default;
    ImageEditTool(const ImageEditTool&) = delete;
    ImageEditTool& operator=(const ImageEditTool&) = delete;

    virtual void press(QPointF scenePoint, QPointF viewPoint) = 0;
    virtual void drag(QPointF scenePoint, QPointF viewPoint) = 0;
    virtual void release(QPointF scenePoint, QPointF viewPoint) = 0;

protected:
    ImageEditView& m_view;
};

} // namespace ql
