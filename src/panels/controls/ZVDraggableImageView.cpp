#include "panels/controls/ZVDraggableImageView.h"

#include "imaging/ImageFitting.h"

#include <QMimeData>
#include <QMouseEvent>

namespace ql {

namespace {

constexpr double kDragSide = 200;

} // namespace

ZVDraggableImageView::ZVDraggableImageView(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

void ZVDraggableImageView::setImage(const Image& image)
{
    m_image = image;
    showImage();
}

void ZVDraggableImageView::showImage()
{
    const QImage bitmap = m_image.bitmap();
    if (bitmap.isNull() || width() <= 0 || height() <= 0) {
        setPixmap(QPixmap());
        return;
    }
    setPixmap(QPixmap::fromImage(bitmap.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

void ZVDraggableImageView::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showImage();
}

QMimeData* ZVDraggableImageView::dragPayload() const
{
    const Result<QByteArray> png = m_image.encoded(Image::Format::Png);
    if (!png)
        return nullptr;
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/png"), *png);
    // Other programs take the picture in a format of their own.
    data->setImageData(m_image.bitmap());
    return data;
}

void ZVDraggableImageView::mouseDragged()
{
    QMimeData* data = dragPayload();
    if (!data)
        return;
    const QImage picture = imageScaledToFitSize(m_image, QSizeF(kDragSide, kDragSide)).bitmap();
    // The pointer at the picture's centre.
    DragSource::start(this, data, picture, QPoint(int(kDragSide / 2), picture.height() - int(kDragSide / 2)));
}

void ZVDraggableImageView::mousePressEvent(QMouseEvent* event)
{
    m_gesture.press(*event);
    event->accept();
}

void ZVDraggableImageView::mouseMoveEvent(QMouseEvent* event)
{
    if (const std::optional<QPoint> at = m_gesture.move(*event))
        mouseDragged();
}

void ZVDraggableImageView::mouseReleaseEvent(QMouseEvent* event)
{
    m_gesture.release();
    QLabel::mouseReleaseEvent(event);
}

} // namespace ql
