#include "content/ZVBackgroundImageView.h"

#include "content/ArchivedClassChains.h"

ZVBackgroundImageView::ZVBackgroundImageView(const QRectF& frame, QObject* parent)
    : ZVImageView(frame, parent, SkipInitialize{})
{
    startObserving();
    setImageScaling(ScaleAxesIndependently);
}

void ZVBackgroundImageView::setImage(const ql::Image& image)
{
    if (!m_image.isNull())
        setTiledImage(image);
}

QStringList ZVBackgroundImageView::archiveClassChain() const
{
    return ql::fields::imageViewChain({QStringLiteral("ZVBackgroundImageView")});
}

void ZVBackgroundImageView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    ZVImageView::initWithCoder(coder);
    setImageScaling(ScaleAxesIndependently);
}
