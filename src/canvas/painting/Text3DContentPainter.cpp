#include "canvas/painting/Text3DContentPainter.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/Text3DRenderQueue.h"
#include "content/ZV3DTextView.h"
#include "platform/graphics/PictureConversionScope.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

bool drawsVectors(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return engine && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture ||
                      engine->type() == QPaintEngine::SVG);
}

// As large as fits, centred: the picture's proportions are the content's,
// but for the rounding of its sides.
QRectF fitted(QSizeF picture, const QRectF& content)
{
    if (picture.isEmpty())
        return QRectF();
    const double scale = std::min(content.width() / picture.width(), content.height() / picture.height());
    const QSizeF size = picture * scale;
    return QRectF(content.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

QSizeF withinLargestSide(QSizeF pixels)
{
    const double largest = ZVDesignHelper::kLargestSnapshotSide;
    if (pixels.width() > largest || pixels.height() > largest)
        return pixels.scaled(largest, largest, Qt::KeepAspectRatio);
    return pixels;
}

// Device pixels per unit of the painter's coordinates, across and down.
QSizeF deviceScale(const QPainter& painter)
{
    const QTransform device = painter.deviceTransform();
    return QSizeF(std::hypot(device.m11(), device.m12()), std::hypot(device.m21(), device.m22()));
}

QImage screenPicture(QPainter& painter, const ZV3DTextView& view, QSize pixels)
{
    if (QImage kept = view.keptPicture(pixels); !kept.isNull())
        return kept;
    // A window does not wait for the scene to be rendered: it shows what
    // it has (a picture of another size, or nothing) and redraws when the
    // picture comes.
    if (Text3DPictures::keeps(pixels) && PictureConversionScope::mayShowPlaceholder(painter)) {
        Text3DRenderQueue::shared().request(view, pixels);
        return view.nearestKeptPicture(pixels);
    }
    return view.picture(pixels);
}

} // namespace

QSizeF Text3DContentPainter::devicePixels(const QPainter& painter, const QRectF& content)
{
    const QSizeF scale = deviceScale(painter);
    return withinLargestSide(
        QSizeF(std::ceil(content.width() * scale.width()), std::ceil(content.height() * scale.height())));
}

QSize Text3DContentPainter::outputPixels(const QPainter& painter, const QRectF& content)
{
    const QPaintDevice* device = painter.device();
    const double dpiX = device && device->logicalDpiX() > 0 ? device->logicalDpiX() : 72.0;
    const double dpiY = device && device->logicalDpiY() > 0 ? device->logicalDpiY() : 72.0;
    const QSizeF scale = deviceScale(painter);
    const QSizeF points(content.width() * scale.width() * 72.0 / dpiX, content.height() * scale.height() * 72.0 / dpiY);
    const double resolution = std::max({kOutputResolution, dpiX, dpiY});
    QSizeF pixels = points * (resolution / 72.0);
    if (!std::isfinite(pixels.width()) || !std::isfinite(pixels.height()))
        return QSize();
    // A large element gets the picture it always had.
    const double widest = ZVDesignHelper::kSnapshotWidth;
    if (pixels.width() > widest)
        pixels = QSizeF(widest, pixels.height() * widest / pixels.width());
    pixels = withinLargestSide(pixels);
    return QSize(int(std::ceil(pixels.width() - 1e-6)), int(std::ceil(pixels.height() - 1e-6)));
}

void Text3DContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZV3DTextView*>(element.contentView());
    if (!view)
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * alpha);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (drawsVectors(painter)) {
        // Used once: rendered for this output, not kept.
        const QImage picture = view->renderImage(QSizeF(outputPixels(painter, content)));
        if (!picture.isNull())
            painter.drawImage(fitted(QSizeF(picture.size()), content), picture);
    } else {
        const QImage picture = screenPicture(painter, *view, devicePixels(painter, content).toSize());
        if (!picture.isNull())
            painter.drawImage(content, picture);
    }
    painter.restore();
}

} // namespace ql
