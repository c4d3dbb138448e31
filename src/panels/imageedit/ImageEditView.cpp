#include "panels/imageedit/ImageEditView.h"

#include "panels/imageedit/CropSelectionItem.h"
#include "panels/imageedit/ImageCropTool.h"
#include "panels/imageedit/ImageRotateTool.h"

#include <QGraphicsPixmapItem>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace ql {

namespace {

constexpr double kZoomStep = 2.0;
constexpr double kSmallestZoom = 1.0 / 64.0;
constexpr double kLargestZoom = 64.0;

// Sine and cosine that are exactly 0 and ±1 at quarter turns, so that a
// turned picture keeps whole sizes.
std::pair<double, double> sineAndCosine(double degrees)
{
    const double turns = degrees / 90.0;
    if (turns == std::round(turns)) {
        static constexpr std::array<std::pair<double, double>, 4> quarter {{{0, 1}, {1, 0}, {0, -1}, {-1, 0}}};
        const long index = ((long(std::round(turns)) % 4) + 4) % 4;
        return quarter[size_t(index)];
    }
    const double radians = degrees * std::numbers::pi / 180.0;
    return {std::sin(radians), std::cos(radians)};
}

} // namespace

ImageEditView::ImageEditView(QWidget* parent)
    : QGraphicsView(parent)
{
    setScene(&m_scene);
    m_pixmap = m_scene.addPixmap(QPixmap());
    m_pixmap->setTransformationMode(Qt::SmoothTransformation);
    m_selectionItem = new CropSelectionItem;
    m_scene.addItem(m_selectionItem);
    setBackgroundBrush(QColor(64, 64, 64));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setRenderHint(QPainter::SmoothPixmapTransform);
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    setCurrentToolMode(MoveTool);
}

ImageEditView::~ImageEditView() = default;

bool ImageEditView::setImageWithURL(const QUrl& url)
{
    QImage picture;
    if (!url.isLocalFile() || !picture.load(url.toLocalFile()))
        return false;
    setImage(picture);
    return true;
}

void ImageEditView::setImage(const QImage& picture)
{
    m_source = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_angle = 0.0;
    m_crop.reset();
    m_adjusted = effects::applyLevels(m_source, m_levels);
    refresh();
    emit imageChanged();
    emit cropSelectionChanged();
}

QImage ImageEditView::image() const
{
    return m_adjusted.isNull() ? QImage() : turned(m_adjusted, m_angle);
}

void ImageEditView::setCurrentToolMode(int mode)
{
    if (mode < MoveTool || mode > RotateTool)
        return;
    m_toolMode = mode;
    setDragMode(mode == MoveTool ? QGraphicsView::ScrollHandDrag : QGraphicsView::NoDrag);
    viewport()->setCursor(mode == CropTool ? Qt::CrossCursor : mode == RotateTool ? Qt::PointingHandCursor
                                                                                 : Qt::OpenHandCursor);
}

void ImageEditView::setRotationAngle(double degrees)
{
    if (!std::isfinite(degrees))
        return;
    m_angle = std::fmod(degrees, 360.0);
    // A selection drawn on the picture as it was turned no longer fits.
    m_crop.reset();
    refresh();
    emit imageChanged();
    emit cropSelectionChanged();
}

void ImageEditView::setCropSelection(const QRectF& rect)
{
    m_crop = rect.normalized();
    m_selectionItem->setSelection(m_crop);
    emit cropSelectionChanged();
}

void ImageEditView::clearCropSelection()
{
    m_crop.reset();
    m_selectionItem->setSelection(m_crop);
    emit cropSelectionChanged();
}

QRect ImageEditView::cropRect() const
{
    if (!m_crop)
        return {};
    const QRectF covered = m_crop->normalized() & QRectF(QPointF(0, 0), QSizeF(m_turnedSize));
    const int left = int(std::lround(covered.left()));
    const int top = int(std::lround(covered.top()));
    const int width = int(std::lround(covered.right())) - left;
    const int height = int(std::lround(covered.bottom())) - top;
    if (covered.isEmpty() || width <= 0 || height <= 0)
        return {};
    return QRect(left, top, width, height);
}

bool ImageEditView::crop()
{
    const QRect rect = cropRect();
    if (rect.isEmpty() || m_source.isNull())
        return false;
    m_source = turned(m_source, m_angle).copy(rect);
    m_angle = 0.0;
    m_crop.reset();
    m_adjusted = effects::applyLevels(m_source, m_levels);
    refresh();
    emit imageChanged();
    emit cropSelectionChanged();
    return true;
}

void ImageEditView::setAdjustments(double brightness, double contrast, double saturation)
{
    m_levels.brightness = float(brightness);
    m_levels.contrast = float(contrast);
    m_levels.saturation = float(saturation);
    m_adjusted = effects::applyLevels(m_source, m_levels);
    refresh();
    emit imageChanged();
}

QTransform ImageEditView::turning(QSize picture, double degrees, QSize* turnedSize)
{
    const auto [sine, cosine] = sineAndCosine(degrees);
    const double width = std::abs(picture.width() * cosine) + std::abs(picture.height() * sine);
    const double height = std::abs(picture.width() * sine) + std::abs(picture.height() * cosine);
    // Slivers of floating-point error must not add a pixel.
    const QSize size(int(std::ceil(width - 1e-6)), int(std::ceil(height - 1e-6)));
    if (turnedSize)
        *turnedSize = size;
    QTransform transform;
    transform.translate(size.width() / 2.0, size.height() / 2.0);
    transform.rotate(degrees);
    transform.translate(-picture.width() / 2.0, -picture.height() / 2.0);
    return transform;
}

QImage ImageEditView::turned(const QImage& picture, double degrees)
{
    if (picture.isNull())
        return {};
    QSize size;
    const QTransform transform = turning(picture.size(), degrees, &size);
    if (size == picture.size() && transform.isIdentity())
        return picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage result(size, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(transform);
    painter.drawImage(QPointF(0, 0), picture);
    return result;
}

void ImageEditView::refresh()
{
    m_pixmap->setPixmap(QPixmap::fromImage(m_adjusted));
    m_pixmap->setTransform(turning(m_adjusted.size(), m_angle, &m_turnedSize));
    const QRectF picture(QPointF(0, 0), QSizeF(m_turnedSize));
    m_scene.setSceneRect(picture);
    m_selectionItem->setPictureRect(picture);
    m_selectionItem->setSelection(m_crop);
    if (m_fitting)
        zoomImageToFit();
}

void ImageEditView::applyZoom(double zoom)
{
    m_zoom = std::clamp(zoom, kSmallestZoom, kLargestZoom);
    setTransform(QTransform::fromScale(m_zoom, m_zoom));
}

void ImageEditView::setZoomFactor(double zoom)
{
    m_fitting = false;
    applyZoom(zoom);
}

void ImageEditView::zoomIn()
{
    setZoomFactor(m_zoom * kZoomStep);
}

void ImageEditView::zoomOut()
{
    setZoomFactor(m_zoom / kZoomStep);
}

void ImageEditView::zoomImageToFit()
{
    m_fitting = true;
    const QSize area = viewport()->size();
    if (m_turnedSize.isEmpty() || area.isEmpty())
        return;
    applyZoom(std::min(area.width() / double(m_turnedSize.width()), area.height() / double(m_turnedSize.height())));
}

void ImageEditView::resizeEvent(QResizeEvent* event)
{
    QGraphicsView::resizeEvent(event);
    if (m_fitting)
        zoomImageToFit();
}

std::unique_ptr<ImageEditTool> ImageEditView::toolForMode()
{
    switch (m_toolMode) {
    case CropTool: return std::make_unique<ImageCropTool>(*this);
    case RotateTool: return std::make_unique<ImageRotateTool>(*this);
    default: return nullptr; // the view pans by itself
    }
}

bool ImageEditView::toGesture(QMouseEvent* event, void (ImageEditTool::*step)(QPointF, QPointF))
{
    if (!m_gesture)
        return false;
    (m_gesture.get()->*step)(mapToScene(event->position().toPoint()), event->position());
    event->accept();
    return true;
}

void ImageEditView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_editable && hasImage())
        m_gesture = toolForMode();
    if (!toGesture(event, &ImageEditTool::press))
        QGraphicsView::mousePressEvent(event);
}

void ImageEditView::mouseMoveEvent(QMouseEvent* event)
{
    if (!toGesture(event, &ImageEditTool::drag))
        QGraphicsView::mouseMoveEvent(event);
}

void ImageEditView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && toGesture(event, &ImageEditTool::release)) {
        m_gesture.reset();
        return;
    }
    QGraphicsView::mouseReleaseEvent(event);
}

void ImageEditView::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_gesture.reset();
    emit doubleClicked();
    event->accept();
}

} // namespace ql
