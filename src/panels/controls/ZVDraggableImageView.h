// A picture the user drags onto the page, as the code browser's preview of
// a QR code or barcode is. The drag carries the picture's data; its picture
// is the image fit 200 × 200, centred on the pointer.
#pragma once

#include "platform/graphics/Image.h"

#include "panels/controls/DragSource.h"

#include <QLabel>

class QMimeData;

namespace ql {

class ZVDraggableImageView : public QLabel {
    Q_OBJECT
public:
    explicit ZVDraggableImageView(QWidget* parent = nullptr);

    const Image& image() const { return m_image; }
    // Shown scaled to fit the view.
    void setImage(const Image& image);

    // What a drag carries (PNG data and the picture itself); null without
    // a picture.
    QMimeData* dragPayload() const;
    // Starts a drag, unless there is nothing to drag.
    void mouseDragged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showImage();

    Image m_image;
    DragGesture m_gesture;
};

} // namespace ql
