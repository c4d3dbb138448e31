// One cell of a thumbnail grid: a thumbnail with an optional one-line title
// on a rounded background whose look follows the state (default, hovered,
// selected), and the drag of its payload onto a page.
#pragma once

#include "panels/grid/GVGridViewItemBase.h"
#include "panels/grid/GVGridViewItemLayout.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"

#include <QPixmap>
#include <QUrl>
#include <functional>
#include <optional>

class QDrag;
class QPainter;
class QMimeData;

namespace ql {

class GVGridView;

class GVGridViewItem : public GVGridViewItemBase {
    Q_OBJECT
public:
    explicit GVGridViewItem(QWidget* parent = nullptr);
    // All three layouts the one given (browsers set their own hover and
    // selection looks afterwards).
    GVGridViewItem(const GVGridViewItemLayoutPtr& layout, const QString& reuseIdentifier, QWidget* parent = nullptr);
    ~GVGridViewItem() override;

    static QSizeF defaultItemSize() { return {310, 225}; }

    // Content.
    const Image& itemImage() const { return m_itemImage; }
    void setItemImage(const Image& image);
    bool hasShadow() const { return m_hasShadow; }
    void setHasShadow(bool shadow);
    bool disableDragging() const { return m_disableDragging; }
    void setDisableDragging(bool disable) { m_disableDragging = disable; }
    const QString& itemTitle() const { return m_itemTitle; }
    void setItemTitle(const QString& title);
    const QUrl& itemURL() const { return m_itemURL; }
    void setItemURL(const QUrl& url) { m_itemURL = url; }
    const QUrl& itemImageURL() const { return m_itemImageURL; }
    void setItemImageURL(const QUrl& url);
    const std::optional<BezierPath>& itemPath() const { return m_itemPath; }
    void setItemPath(const std::optional<BezierPath>& path) { m_itemPath = path; }
    // A keyed archive of one element; null for none.
    const QByteArray& itemView() const { return m_itemView; }
    void setItemView(const QByteArray& data) { m_itemView = data; }
    const QString& itemName() const { return m_itemName; }
    void setItemName(const QString& name) { m_itemName = name; }

    // Looks.
    const GVGridViewItemLayoutPtr& defaultLayout() const { return m_defaultLayout; }
    // Shown at once, whatever the state.
    void setDefaultLayout(const GVGridViewItemLayoutPtr& layout);
    const GVGridViewItemLayoutPtr& hoverLayout() const { return m_hoverLayout; }
    void setHoverLayout(const GVGridViewItemLayoutPtr& layout) { m_hoverLayout = layout; }
    const GVGridViewItemLayoutPtr& selectionLayout() const { return m_selectionLayout; }
    void setSelectionLayout(const GVGridViewItemLayoutPtr& layout) { m_selectionLayout = layout; }
    const GVGridViewItemLayoutPtr& currentLayout() const { return m_currentLayout; }
    bool useLayout() const { return m_useLayout; }
    void setUseLayout(bool use) { m_useLayout = use; }

    void setSelected(bool selected) override;
    void setHovered(bool hovered) override;
    void clearHovering() { setHovered(false); }
    void clearSelection() { setSelected(false); }
    void prepareForReuse() override;

    // Where the thumbnail and the title go in the item's own coordinates
    // (y down) for the current look, title and image.
    QRectF contentRect() const;
    QRectF imageRect() const;
    QRectF titleRect() const;

    // The drag's data, whole at its start: "ZVShape" (a keyed archive of
    // {"path", "name"}) when there is a path, else "ZVPuttyView" (the
    // element data as it is), else the link of itemURL (and the picture when
    // it is a local file), else the picture of itemImage.
    QMimeData* dragPayload() const;
    // Starts a drag from a point of the item, unless dragging is disabled.
    void mouseDragged(QPointF at);
    // How drags start (the panels' one seam); tests put their own in.
    using DragStarter = std::function<void(QDrag&)>;
    static DragStarter& dragStarter();

    // The placeholder shown while a thumbnail loads ("loading.jpg").
    static const Image& loadingImage();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    friend class GVGridView;
    // Draws the cell in its own coordinates. A grid draws all its cells with
    // one painter and keeps their own updates off: a paint event and a
    // painter per cell cost as much as the drawing.
    void paintCell(QPainter& painter);
    // Whether the cell's drawing may reach past its rectangle: a selection
    // ring wider than the inset, or a title, whose glyphs may hang below.
    bool mayDrawOutside() const;
    // Schedules a repaint of the cell, through its grid when the grid draws it.
    void refresh();
    // What the kept cell background was drawn for.
    struct BackgroundKey {
        QSizeF size;
        QColor fill;
        QColor ring;
        double ringWidth = 0;
        unsigned radius = 0;
        bool selected = false;
        qreal pixelRatio = 0;
        bool operator==(const BackgroundKey&) const = default;
    };
    // The rounded cell with its ring as drawn once for the look and size:
    // scrolling draws the same few cells again and again.
    const QPixmap& cellBackground(const GVGridViewItemLayout& look, QSizeF size);
    void findOpaqueBand();
    // The thumbnail scaled to `size` (laid on the opaque colour `under` when
    // there is one), kept while picture, size and colour stay.
    const QPixmap& scaledThumbnail(const QImage& bitmap, QSizeF size, QRgb under);
    QSize thumbnailPixels(QSizeF size) const;
    // The plain colour of the background (drawn at `origin`) when the
    // thumbnail drawn in `target` lies wholly on it; 0 otherwise.
    QRgb plainColourUnder(QRectF target, QPointF origin) const;
    GVGridView* grid() const;
    void takeThumbnail();
    // A thumbnail of `url` arrived (null when it failed).
    void thumbnailLoaded(const QUrl& url, const Image& image);

    Image m_itemImage;
    bool m_hasShadow = false;
    bool m_disableDragging = false;
    QString m_itemTitle;
    QUrl m_itemURL;
    QUrl m_itemImageURL;
    std::optional<BezierPath> m_itemPath;
    QByteArray m_itemView;
    QString m_itemName;
    GVGridViewItemLayoutPtr m_defaultLayout;
    GVGridViewItemLayoutPtr m_hoverLayout;
    GVGridViewItemLayoutPtr m_selectionLayout;
    GVGridViewItemLayoutPtr m_currentLayout;
    bool m_useLayout = true;
    QPixmap m_background;
    BackgroundKey m_backgroundKey;
    // The background's rows that are one opaque colour edge to edge, filled
    // rather than blended; empty when there are none.
    int m_bandTop = 0;
    int m_bandBottom = 0;
    QColor m_bandColor;
    // The opaque colour at the background's centre (0 when there is none)
    // and, per row of pixels, the run of it around the centre column.
    QRgb m_plainColour = 0;
    QList<std::pair<int, int>> m_plainSpans;
    QPixmap m_scaled;
    qint64 m_scaledImageKey = 0;
    QSize m_scaledPixels;
    QRgb m_scaledUnder = 0;
};

} // namespace ql
