#include "canvas/painting/Text3DContentPainter.h"

#include "app/design/ZVDesignHelper.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"
#include "platform/graphics/Image.h"

#include <QPaintEngine>
#include <QPainter>
#include <cmath>

namespace ql {

namespace {

bool drawsVectors(const QPainter& painter)
{
    const QPaintEngine* engine = painter.paintEngine();
    return engine && (engine->type() == QPaintEngine::Pdf || engine->type() == QPaintEngine::Picture ||
                      engine->type() == QPaintEngine::SVG);
}

// As large as fits, centred: the snapshot's proportions are the content's,
// but for the rounding of its height.
QRectF fitted(QSizeF picture, const QRectF& content)
{
    if (picture.isEmpty())
        return QRectF();
    const double scale = std::min(content.width() / picture.width(), content.height() / picture.height());
    const QSizeF size = picture * scale;
    return QRectF(content.center() - QPointF(size.width() / 2, size.height() / 2), size);
}

} // namespace

QSizeF Text3DContentPainter::devicePixels(const QPainter& painter, const QRectF& content)
{
    const QTransform device = painter.deviceTransform();
    const double across = std::hypot(device.m11(), device.m12());
    const double down = std::hypot(device.m21(), device.m22());
    QSizeF pixels(std::ceil(content.width() * across), std::ceil(content.height() * down));
    const double largest = ZVDesignHelper::kLargestSnapshotSide;
    if (pixels.width() > largest || pixels.height() > largest)
        pixels = pixels.scaled(largest, largest, Qt::KeepAspectRatio);
    return pixels;
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
        const Image snapshot = ZVDesignHelper::imageFromSceneKitView(*view);
        const QImage picture = snapshot.bitmap();
        if (!picture.isNull())
            painter.drawImage(fitted(snapshot.size(), content), picture);
    } else {
        const QImage picture = view->renderImage(devicePixels(painter, content));
        if (!picture.isNull())
            painter.drawImage(content, picture);
    }
    painter.restore();
}

} // namespace ql
