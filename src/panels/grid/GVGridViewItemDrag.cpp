// Dragging a grid item's payload onto a page.
#include "panels/grid/GVGridViewItem.h"

#include "imaging/ImageFitting.h"
#include "panels/grid/GVGridView.h"
#include "panels/controls/DragSource.h"
#include "shapes/library/ZVShapeLibrary.h"

#include <QMimeData>

namespace ql {

QMimeData* GVGridViewItem::dragPayload() const
{
    auto* data = new QMimeData;
    if (m_itemPath) {
        data->setData(QStringLiteral("ZVShape"), ZVShapeLibrary::archivedData(m_itemName, *m_itemPath));
    } else if (!m_itemView.isNull()) {
        data->setData(QStringLiteral("ZVPuttyView"), m_itemView);
    } else if (m_itemURL.isValid()) {
        data->setUrls({m_itemURL});
        // The page takes the first kind it reads; a local picture can go
        // along at once, a remote one is fetched by the page.
        if (m_itemURL.isLocalFile()) {
            Result<Image> picture = Image::fromFile(m_itemURL.toLocalFile());
            if (picture && !picture->bitmap().isNull())
                data->setImageData(picture->bitmap());
        }
    } else if (!m_itemImage.bitmap().isNull()) {
        data->setImageData(m_itemImage.bitmap());
    }
    return data;
}

GVGridViewItem::DragStarter& GVGridViewItem::dragStarter()
{
    return DragSource::starter();
}

void GVGridViewItem::mouseDragged(QPointF)
{
    if (m_disableDragging)
        return;
    // Owned by the grid, which outlives a reload during the drag that
    // would discard this item.
    QObject* owner = grid() ? static_cast<QObject*>(grid()) : this;
    const QImage picture = imageScaledToFitSize(m_itemImage, QSizeF(200, 200)).bitmap();
    // Centred on the pointer, as the picture was always placed.
    DragSource::start(owner, dragPayload(), picture, QPoint(100, picture.height() - 100));
}

} // namespace ql
