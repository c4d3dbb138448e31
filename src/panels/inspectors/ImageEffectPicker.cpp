#include "panels/inspectors/ImageEffectPicker.h"

#include "design/ZVDesignHelper.h"
#include "imaging/ImageBitmap.h"
#include "panels/grid/GVGridViewItem.h"
#include "platform/graphics/Image.h"

namespace ql {

namespace {

constexpr int kThumbnailSide = 64;
const QString itemIdentifier = QStringLiteral("ImageEffectItem");

} // namespace

ImageEffectPicker::ImageEffectPicker(QWidget* parent)
    : BindingAdapter(new GVGridView(parent)), m_grid(static_cast<GVGridView*>(control())),
      m_layout(GVGridViewItemLayout::defaultLayout())
{
    m_grid->setObjectName(QStringLiteral("contentView.imageEffect"));
    m_grid->setItemSize(QSizeF(76, 86));
    m_grid->setDataSource(this);
    m_grid->setDelegate(this);
    connect(m_grid, &QObject::destroyed, this, [this] { m_grid = nullptr; });
}

QStringList ImageEffectPicker::effectTitles()
{
    return {tr("None"),  tr("B&W"),   tr("Posterize"), tr("Invert"), tr("Vintage"), tr("Sepia"),
            tr("Bloom"), tr("Comic"), tr("Crystal"),   tr("Neon"),   tr("Sketch"),  tr("Pixel")};
}

void ImageEffectPicker::setPicture(const Image& picture)
{
    m_thumbnails.clear();
    // A large scan is decoded or averaged down once for this, never copied
    // whole at 32 bits; one smaller than the thumbnails is scaled up.
    const QImage preview = previewBitmap(picture, QSize(kThumbnailSide, kThumbnailSide));
    if (!preview.isNull()) {
        QImage small = preview.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (small.depth() < 32)
            small = small.convertToFormat(small.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int effect = 0; effect < effectTitles().size(); ++effect)
            m_thumbnails.append(ZVDesignHelper::applyEffect(effect, small));
    }
    if (m_grid) {
        m_grid->reloadData();
        show(m_chosen);
    }
}

void ImageEffectPicker::show(const QVariant& value)
{
    m_chosen = value.isValid() ? value.toLongLong() : -1;
    if (!m_grid)
        return;
    if (m_chosen >= 0 && m_chosen < m_grid->numberOfItems())
        m_grid->selectItemAtIndex(m_chosen);
    else
        m_grid->deselectAllItems();
}

void ImageEffectPicker::setEnabled(bool enabled)
{
    if (m_grid)
        m_grid->setEnabled(enabled);
}

qint64 ImageEffectPicker::numberOfItemsInSection(GVGridView&, int)
{
    return effectTitles().size();
}

GVGridViewItem* ImageEffectPicker::itemAtIndex(GVGridView& grid, qint64 index, int)
{
    GVGridViewItem* item = grid.dequeueReusableItemWithIdentifier(itemIdentifier);
    if (!item)
        item = new GVGridViewItem(m_layout, itemIdentifier);
    item->setDisableDragging(true);
    item->setItemTitle(effectTitles().value(qsizetype(index)));
    item->setItemImage(index < m_thumbnails.size() ? Image(m_thumbnails.at(qsizetype(index))) : Image());
    return item;
}

void ImageEffectPicker::didClickItemAtIndex(GVGridView&, qint64 index, int)
{
    m_chosen = index;
    emit edited();
}

} // namespace ql
