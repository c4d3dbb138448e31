#include "panels/grid/GVGridViewItem.h"

#include "panels/grid/GVGridView.h"
#include "util/Resources.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

namespace ql {

namespace {

// The picture scaled to its box, shared by every cell that shows it at that
// size: scaling large thumbnails for each new cell would slow scrolling.
QPixmap scaledThumbnail(const QImage& bitmap, QSizeF size, qreal ratio)
{
    const QSize pixels = (size * ratio).toSize().expandedTo(QSize(1, 1));
    const QString key = QStringLiteral("gv-thumbnail:%1:%2x%3").arg(bitmap.cacheKey()).arg(pixels.width()).arg(pixels.height());
    QPixmap scaled;
    if (!QPixmapCache::find(key, &scaled)) {
        scaled = QPixmap::fromImage(bitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        QPixmapCache::insert(key, scaled);
    }
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

} // namespace

GVGridViewItem::GVGridViewItem(QWidget* parent)
    : GVGridViewItemBase(parent),
      m_defaultLayout(GVGridViewItemLayout::defaultLayout()),
      m_hoverLayout(GVGridViewItemLayout::defaultLayout()),
      m_selectionLayout(GVGridViewItemLayout::defaultLayout()),
      m_currentLayout(m_defaultLayout)
{
    // The grid takes every press, click and drag and hands drags on.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

GVGridViewItem::GVGridViewItem(const GVGridViewItemLayoutPtr& layout, const QString& reuseIdentifier,
                               QWidget* parent)
    : GVGridViewItem(parent)
{
    m_defaultLayout = m_hoverLayout = m_selectionLayout = layout;
    m_currentLayout = m_defaultLayout;
    setReuseIdentifier(reuseIdentifier);
}

GVGridViewItem::~GVGridViewItem() = default;

void GVGridViewItem::setItemImage(const Image& image)
{
    m_itemImage = image;
    update();
}

void GVGridViewItem::setHasShadow(bool shadow)
{
    m_hasShadow = shadow;
    update();
}

void GVGridViewItem::setItemTitle(const QString& title)
{
    m_itemTitle = title;
    update();
}

void GVGridViewItem::setItemImageURL(const QUrl& url)
{
    m_itemImageURL = url;
    update();
}

void GVGridViewItem::setDefaultLayout(const GVGridViewItemLayoutPtr& layout)
{
    m_defaultLayout = layout;
    m_currentLayout = layout;
    update();
}

void GVGridViewItem::setSelected(bool selected)
{
    GVGridViewItemBase::setSelected(selected);
    m_currentLayout = selected ? m_selectionLayout : m_defaultLayout;
    update();
}

void GVGridViewItem::setHovered(bool hovered)
{
    GVGridViewItemBase::setHovered(hovered);
    m_currentLayout = hovered ? m_hoverLayout : selected() ? m_selectionLayout : m_defaultLayout;
    update();
}

void GVGridViewItem::prepareForReuse()
{
    GVGridViewItemBase::prepareForReuse();
    m_itemImage = Image();
    m_itemTitle.clear();
}

const Image& GVGridViewItem::loadingImage()
{
    static const Image placeholder = [] {
        const QString path = resourcePath(QStringLiteral("loading.jpg"));
        Result<Image> read = path.isEmpty() ? Result<Image>(Image()) : Image::fromFile(path);
        return read ? *read : Image();
    }();
    return placeholder;
}

GVGridView* GVGridViewItem::grid() const
{
    return qobject_cast<GVGridView*>(parentWidget());
}

void GVGridViewItem::takeThumbnail()
{
    if (!m_itemImageURL.isValid())
        return;
    GVGridView* owner = grid();
    if (!owner)
        return;
    GVGridImageCache& cache = owner->imageCache();
    const Image cached = cache.image(m_itemImageURL);
    if (!cached.isNull()) {
        m_itemImage = cached;
        return;
    }
    if (m_itemImage.isNull())
        m_itemImage = loadingImage();
    // One request per link at a time, and none again for a link that failed
    // until the grid reloads: every redraw would otherwise ask anew.
    cache.load(m_itemImageURL);
}

void GVGridViewItem::thumbnailLoaded(const QUrl& url, const Image& image)
{
    // The item may show another row by now.
    if (url != m_itemImageURL || image.isNull())
        return;
    setItemImage(image);
}

QRectF GVGridViewItem::contentRect() const
{
    const double inset = m_currentLayout->contentInset;
    return QRectF(rect()).adjusted(inset, inset, -inset, -inset);
}

QRectF GVGridViewItem::imageRect() const
{
    const QSizeF imageSize = m_itemImage.size();
    const QRectF content = contentRect();
    if (imageSize.isEmpty() || content.isEmpty())
        return {};
    const double title = m_itemTitle.isEmpty() ? 0 : 17;
    const double boxWidth = content.width() - 6;
    const double boxHeight = content.height() - title - 6;
    if (boxWidth <= 0 || boxHeight <= 0)
        return {};
    const double ratio = imageSize.width() / imageSize.height();
    QSizeF size = boxWidth / ratio <= boxHeight ? QSizeF(boxWidth, boxWidth / ratio)
                                                : QSizeF(ratio * boxHeight, boxHeight);
    QPointF origin(content.x() + content.width() / 2 - size.width() / 2,
                   content.y() + (content.height() - title) / 2 - size.height() / 2);
    if (title > 0)
        origin.ry() += 2;
    return QRectF(origin, size);
}

QRectF GVGridViewItem::titleRect() const
{
    const QRectF content = contentRect();
    // Measured from the content's height alone, as the cells have always
    // placed it.
    return QRectF(content.x() + 3, content.height() - 11, content.width() - 6, 14);
}

void GVGridViewItem::paintEvent(QPaintEvent*)
{
    const QRectF content = contentRect();
    if (content.width() <= 0 || content.height() <= 0)
        return;
    takeThumbnail();
    const GVGridViewItemLayout& look = *m_currentLayout;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath cell;
    cell.addRoundedRect(content, look.itemBorderRadius, look.itemBorderRadius);
    painter.fillPath(cell, look.backgroundColor);
    if (selected()) {
        painter.setPen(QPen(look.selectionRingColor, look.selectionRingLineWidth));
        painter.drawPath(cell);
    }
    if (look.visibleContentMask & GVGridViewItemLayout::ShowImage) {
        const QRectF target = imageRect();
        const QImage bitmap = m_itemImage.bitmap();
        if (!target.isEmpty() && !bitmap.isNull()) {
            const QPixmap scaled = scaledThumbnail(bitmap, target.size(), devicePixelRatioF());
            if (m_hasShadow) {
                QPainterPath shadow;
                shadow.addRect(target.translated(-3, 3));
                painter.fillPath(shadow, QColor(85, 85, 85, 160));
            }
            painter.drawPixmap(target.topLeft(), scaled);
        }
    }
    if ((look.visibleContentMask & GVGridViewItemLayout::ShowTitle) && !m_itemTitle.isEmpty()) {
        const GVGridViewTitleAttributes& text = look.itemTitleTextAttributes;
        const QRectF box = titleRect();
        const QString line = QFontMetricsF(text.font).elidedText(m_itemTitle, Qt::ElideRight, box.width());
        painter.setFont(text.font);
        painter.setPen(text.shadowColor);
        painter.drawText(box.translated(text.shadowOffset), int(text.alignment | Qt::AlignTop), line);
        painter.setPen(text.color);
        painter.drawText(box, int(text.alignment | Qt::AlignTop), line);
    }
}

} // namespace ql
