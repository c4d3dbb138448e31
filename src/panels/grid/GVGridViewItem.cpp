#include "panels/grid/GVGridViewItem.h"

#include "panels/grid/GVGridView.h"
#include "util/Resources.h"

#include <QPainter>
#include <QPainterPath>
#include <QCache>
#include <algorithm>
#include <cmath>

namespace ql {

namespace {

struct ThumbnailKey {
    qint64 image;
    QSize pixels;
    QRgb under;
    bool operator==(const ThumbnailKey&) const = default;
};

size_t qHash(const ThumbnailKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.image, key.pixels.width(), key.pixels.height(), key.under);
}

// The picture scaled to its box, shared by every cell of every grid that
// shows it at that size: scaling large thumbnails for each new cell would
// slow scrolling. With an opaque `under` colour, the scaled picture already
// laid on that colour, opaque, so that drawing it over the same colour is a
// copy rather than a blend, with the same pixels. Costs are in KiB.
QPixmap sharedScaledThumbnail(const QImage& bitmap, QSize pixels, qreal ratio, QRgb under = 0)
{
    static QCache<ThumbnailKey, QPixmap> scaled(32 * 1024);
    const ThumbnailKey key{bitmap.cacheKey(), pixels, under};
    QPixmap result;
    if (const QPixmap* kept = scaled.object(key)) {
        result = *kept;
    } else {
        if (under) {
            QImage laid(pixels, QImage::Format_ARGB32_Premultiplied);
            laid.fill(under);
            QPainter painter(&laid);
            painter.drawPixmap(0, 0, sharedScaledThumbnail(bitmap, pixels, 1));
            painter.end();
            result = QPixmap::fromImage(laid.convertToFormat(QImage::Format_RGB32));
        } else {
            result = QPixmap::fromImage(bitmap.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        const qsizetype cost = std::max<qsizetype>(1, qsizetype(pixels.width()) * pixels.height() * 4 / 1024);
        scaled.insert(key, new QPixmap(result), cost); // dropped when larger than the whole cache
    }
    result.setDevicePixelRatio(ratio);
    return result;
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
    refresh();
}

void GVGridViewItem::setHasShadow(bool shadow)
{
    m_hasShadow = shadow;
    refresh();
}

void GVGridViewItem::setItemTitle(const QString& title)
{
    m_itemTitle = title;
    refresh();
}

void GVGridViewItem::setItemImageURL(const QUrl& url)
{
    m_itemImageURL = url;
    refresh();
}

void GVGridViewItem::setDefaultLayout(const GVGridViewItemLayoutPtr& layout)
{
    m_defaultLayout = layout;
    m_currentLayout = layout;
    refresh();
}

void GVGridViewItem::setSelected(bool selected)
{
    // Reuse and layout set the state again and again; only a new look repaints.
    const bool wasSelected = this->selected();
    const GVGridViewItemLayout* look = m_currentLayout.get();
    GVGridViewItemBase::setSelected(selected);
    m_currentLayout = selected ? m_selectionLayout : m_defaultLayout;
    if (selected != wasSelected || m_currentLayout.get() != look)
        refresh();
}

void GVGridViewItem::setHovered(bool hovered)
{
    const GVGridViewItemLayout* look = m_currentLayout.get();
    GVGridViewItemBase::setHovered(hovered);
    m_currentLayout = hovered ? m_hoverLayout : selected() ? m_selectionLayout : m_defaultLayout;
    if (m_currentLayout.get() != look)
        refresh();
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

const QPixmap& GVGridViewItem::cellBackground(const GVGridViewItemLayout& look, QSizeF size)
{
    const BackgroundKey key{size, look.backgroundColor, look.selectionRingColor, look.selectionRingLineWidth,
                            look.itemBorderRadius, selected(), devicePixelRatioF()};
    if (key == m_backgroundKey && !m_background.isNull())
        return m_background;
    // The ring is stroked on the cell's edge, so half of it lies outside.
    const double margin = selected() ? std::ceil(look.selectionRingLineWidth / 2) : 0;
    const QSizeF outer(size.width() + 2 * margin, size.height() + 2 * margin);
    m_background = QPixmap((outer * key.pixelRatio).toSize().expandedTo(QSize(1, 1)));
    m_background.setDevicePixelRatio(key.pixelRatio);
    m_background.fill(Qt::transparent);
    QPainter painter(&m_background);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath cell;
    cell.addRoundedRect(QRectF(QPointF(margin, margin), size), look.itemBorderRadius, look.itemBorderRadius);
    painter.fillPath(cell, look.backgroundColor);
    if (selected()) {
        painter.setPen(QPen(look.selectionRingColor, look.selectionRingLineWidth));
        painter.drawPath(cell);
    }
    painter.end();
    m_backgroundKey = key;
    findOpaqueBand();
    return m_background;
}

void GVGridViewItem::findOpaqueBand()
{
    m_bandTop = m_bandBottom = 0;
    m_plainColour = 0;
    m_plainSpans.clear();
    const QImage pixels = m_background.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int middle = pixels.height() / 2;
    const auto row = [&](int y) { return reinterpret_cast<const QRgb*>(pixels.constScanLine(y)); };
    const int centre = pixels.width() / 2;
    if (qAlpha(row(middle)[centre]) == 255) {
        m_plainColour = row(middle)[centre];
        m_plainSpans.resize(pixels.height());
        for (int y = 0; y < pixels.height(); ++y) {
            const QRgb* line = row(y);
            int left = centre;
            int right = centre;
            if (line[centre] == m_plainColour) {
                while (left > 0 && line[left - 1] == m_plainColour)
                    --left;
                while (right < pixels.width() && line[right] == m_plainColour)
                    ++right;
            }
            m_plainSpans[y] = {left, right};
        }
    }
    const QRgb colour = row(middle)[0];
    if (qAlpha(colour) != 255 || !std::all_of(row(middle), row(middle) + pixels.width(), [&](QRgb p) { return p == colour; }))
        return;
    const auto same = [&](int y) { return std::equal(row(y), row(y) + pixels.width(), row(middle)); };
    int top = middle;
    while (top > 0 && same(top - 1))
        --top;
    int bottom = middle + 1;
    while (bottom < pixels.height() && same(bottom))
        ++bottom;
    m_bandTop = top;
    m_bandBottom = bottom;
    m_bandColor = QColor::fromRgba(colour);
}

const QPixmap& GVGridViewItem::scaledThumbnail(const QImage& bitmap, QSizeF size, QRgb under)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = thumbnailPixels(size);
    if (m_scaled.isNull() || bitmap.cacheKey() != m_scaledImageKey || pixels != m_scaledPixels
        || m_scaled.devicePixelRatio() != ratio || under != m_scaledUnder) {
        m_scaled = sharedScaledThumbnail(bitmap, pixels, ratio, under);
        m_scaledImageKey = bitmap.cacheKey();
        m_scaledPixels = pixels;
        m_scaledUnder = under;
    }
    return m_scaled;
}

QSize GVGridViewItem::thumbnailPixels(QSizeF size) const
{
    return (size * devicePixelRatioF()).toSize().expandedTo(QSize(1, 1));
}

QRgb GVGridViewItem::plainColourUnder(QRectF target, QPointF origin) const
{
    if (!m_plainColour)
        return 0;
    // In the background's pixels; the picture lands on whole device pixels,
    // so one to spare each way.
    const qreal ratio = m_background.devicePixelRatio();
    const QSize pixels = thumbnailPixels(target.size());
    const int left = int(std::floor((target.x() - origin.x()) * ratio)) - 1;
    const int top = int(std::floor((target.y() - origin.y()) * ratio)) - 1;
    const int right = left + pixels.width() + 2;
    const int bottom = top + pixels.height() + 2;
    if (top < 0 || bottom > m_plainSpans.size())
        return 0;
    for (int y = top; y < bottom; ++y)
        if (m_plainSpans[y].first > left || m_plainSpans[y].second < right)
            return 0;
    return m_plainColour;
}

void GVGridViewItem::refresh()
{
    if (updatesEnabled()) {
        update();
        return;
    }
    // The grid draws this cell, so the grid repaints its place.
    if (QWidget* owner = parentWidget(); owner && isVisible())
        owner->update(geometry());
}

bool GVGridViewItem::mayDrawOutside() const
{
    const GVGridViewItemLayout& look = *m_currentLayout;
    if ((look.visibleContentMask & GVGridViewItemLayout::ShowTitle) && !m_itemTitle.isEmpty())
        return true;
    // The picture and its shadow stay inside the content.
    return selected() && std::ceil(look.selectionRingLineWidth / 2) > look.contentInset;
}

void GVGridViewItem::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintCell(painter);
}

void GVGridViewItem::paintCell(QPainter& painter)
{
    const QRectF content = contentRect();
    if (content.width() <= 0 || content.height() <= 0)
        return;
    takeThumbnail();
    const GVGridViewItemLayout& look = *m_currentLayout;
    const QPixmap& background = cellBackground(look, content.size());
    const double margin = (background.deviceIndependentSize().width() - content.width()) / 2;
    const QPointF origin = content.topLeft() - QPointF(margin, margin);
    if (m_bandBottom > m_bandTop) {
        // Only the rounded ends need blending; the rows between are one colour.
        const qreal ratio = background.devicePixelRatio();
        const auto part = [&](int top, int bottom) {
            painter.drawPixmap(QRectF(origin.x(), origin.y() + top / ratio, background.width() / ratio, (bottom - top) / ratio),
                               background, QRectF(0, top, background.width(), bottom - top));
        };
        part(0, m_bandTop);
        painter.fillRect(QRectF(origin.x(), origin.y() + m_bandTop / ratio, background.width() / ratio,
                                (m_bandBottom - m_bandTop) / ratio), m_bandColor);
        part(m_bandBottom, background.height());
    } else {
        painter.drawPixmap(origin, background);
    }
    // Shadows and titles are drawn smooth; a picture placed without scaling
    // lands on whole pixels either way, and the hint costs a state change.
    const bool titled = (look.visibleContentMask & GVGridViewItemLayout::ShowTitle) && !m_itemTitle.isEmpty();
    const bool unscaled = painter.deviceTransform().type() <= QTransform::TxTranslate;
    if (titled || m_hasShadow || !unscaled)
        painter.setRenderHint(QPainter::Antialiasing);
    if (look.visibleContentMask & GVGridViewItemLayout::ShowImage) {
        const QRectF target = imageRect();
        const QImage bitmap = m_itemImage.bitmap();
        if (!target.isEmpty() && !bitmap.isNull()) {
            // A translucent picture over the plain middle of the cell is
            // drawn already laid on its colour: a copy, not a blend.
            const QRgb under = unscaled && !m_hasShadow && bitmap.hasAlphaChannel() ? plainColourUnder(target, origin) : 0;
            const QPixmap& scaled = scaledThumbnail(bitmap, target.size(), under);
            if (m_hasShadow) {
                QPainterPath shadow;
                shadow.addRect(target.translated(-3, 3));
                painter.fillPath(shadow, QColor(85, 85, 85, 160));
            }
            painter.drawPixmap(target.topLeft(), scaled);
        }
    }
    if (titled) {
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
