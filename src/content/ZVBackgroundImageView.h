// An image view meant to show a picture as a repeating texture through the
// image view's tiled fill. It keeps none of the image view's defaults (it
// does not fill its bounds with its picture) and never shows a picture
// itself: a picture given to it tiles, and only while it already shows one,
// so a view made here stays empty. Archived under its own class name.
#pragma once

#include "content/ZVImageView.h"

class ZVBackgroundImageView : public ZVImageView {
    Q_OBJECT
public:
    explicit ZVBackgroundImageView(const QRectF& frame = QRectF(), QObject* parent = nullptr);

    void setImage(const ql::Image& image) override;

    QStringList archiveClassChain() const override;
    void initWithCoder(ql::KeyedUnarchiver& coder) override;
};
