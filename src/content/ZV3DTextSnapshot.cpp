#include "design/ZVDesignHelper.h"

#include "content/ZV3DTextView.h"
#include "platform/graphics/Image.h"

#include <QtDebug>
#include <cmath>

namespace ql {

Image ZVDesignHelper::imageFromSceneKitView(const ZV3DTextView& view, bool thumbnail)
{
    const QSizeF frame = view.frame().size();
    const double width = thumbnail ? kThumbnailWidth : kSnapshotWidth;
    const double height = width / (frame.width() / frame.height());
    if (!std::isfinite(frame.width()) || !std::isfinite(frame.height()) || frame.width() <= 0.0 ||
        frame.height() <= 0.0 || !std::isfinite(height)) {
        qWarning().noquote() << QStringLiteral("3D snapshot: the view's size %1 × %2 has nothing to draw")
                                    .arg(frame.width())
                                    .arg(frame.height());
        return Image();
    }
    // A very tall view still gives a picture, drawn at a smaller scale.
    const double fit = std::min(1.0, kLargestSnapshotSide / std::max(width, height));
    const QImage picture = view.renderImage(QSizeF(width * fit, height * fit));
    if (picture.isNull())
        return Image();
    Image image(picture);
    image.setSize(QSizeF(width, height));
    return image;
}

Image ZVDesignHelper::imageFromSceneKitView(const ZV3DTextView& view)
{
    return imageFromSceneKitView(view, false);
}

} // namespace ql
