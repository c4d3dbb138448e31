// Draws an image content into its rectangle as the view shows it: in crop
// display only the crop window of the picture crops cut from; otherwise the
// shown picture placed by the view's image scaling, then the gradient
// overlay and the tiled fill over the whole rectangle; then (for a view on
// its own) the content's border and inner-shadow layers, all cut at the
// content's rounded corners.
#pragma once

#include <QRectF>

class QPainter;
class ZVImageView;
class ZVPuttyView;

namespace ql {

class ImageContentPainter {
public:
    // `content` is in the element's own coordinates; `alpha` its opacity.
    static void paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha);
    // Any image view into `rect`, with its layers unless told otherwise.
    static void paintView(QPainter& painter, const ZVImageView& view, const QRectF& rect, double alpha,
                          bool withLayers = true);

    // Where a picture of `size` lands in `rect` for an image scaling: 1
    // stretched over it, 3 as large as fits and centred, 2 its own size
    // centred (cut by the rectangle), 0 as 3 when larger than the rectangle,
    // else as 2.
    static QRectF placedRect(QSizeF size, int imageScaling, const QRectF& rect);

private:
    static void paintPicture(QPainter& painter, const ZVImageView& view, const QRectF& rect, double alpha);
};

} // namespace ql
