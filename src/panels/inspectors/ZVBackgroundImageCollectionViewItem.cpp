#include "panels/inspectors/ZVBackgroundImageCollectionViewItem.h"

#include <QPixmap>

namespace ql {

ZVBackgroundImageCollectionViewItem::ZVBackgroundImageCollectionViewItem(const QString& name, const Image& image,
                                                                         QSize thumbnailSize)
{
    setText(name);
    setToolTip(name);
    setEditable(false);
    setData(QVariant::fromValue(image), kImageRole);
    const QImage thumbnail =
        image.bitmap().scaled(thumbnailSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    const QRect middle((thumbnail.width() - thumbnailSize.width()) / 2,
                       (thumbnail.height() - thumbnailSize.height()) / 2, thumbnailSize.width(),
                       thumbnailSize.height());
    setIcon(QIcon(QPixmap::fromImage(thumbnail.copy(middle))));
    setup();
}

} // namespace ql
