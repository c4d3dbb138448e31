// The scrolling thumbnail grid of the browsers, pickers and the holding
// area. It lives in a QScrollArea (resizable widget), keeps child items for
// the visible rows only, in cells of `itemSize`, as many columns as fit, and
// puts items that scroll away into a pool for reuse; selected items stay
// out of the pool. It takes every press itself: selection, clicks, double
// clicks and context menus go to its delegate, and a drag past the start
// distance goes to the item under it.
#pragma once

#include "panels/grid/GVGridImageCache.h"
#include "panels/grid/GVGridViewDelegate.h"
#include "panels/grid/GVGridViewItem.h"

#include <QHash>
#include <QMap>
#include <QPointer>
#include <QWidget>

class QScrollArea;

namespace ql {

class GVGridView : public QWidget {
    Q_OBJECT
public:
    explicit GVGridView(QWidget* parent = nullptr);
    ~GVGridView() override;

    // Not owned; owners clear them when they go.
    GVGridViewDataSource* dataSource() const { return m_dataSource; }
    void setDataSource(GVGridViewDataSource* source) { m_dataSource = source; }
    GVGridViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(GVGridViewDelegate* delegate) { m_delegate = delegate; }

    QSizeF itemSize() const { return m_itemSize; }
    void setItemSize(QSizeF size);
    QColor backgroundColor() const { return m_backgroundColor; }
    // Also the enclosing scroll view's.
    void setBackgroundColor(const QColor& color);
    // Scroll views here never bounce; the setting is kept for its owners.
    bool scrollElasticity() const { return m_scrollElasticity; }
    void setScrollElasticity(bool elastic) { m_scrollElasticity = elastic; }
    bool allowsMultipleSelection() const { return m_allowsMultipleSelection; }
    void setAllowsMultipleSelection(bool allows) { m_allowsMultipleSelection = allows; }

    GVGridImageCache& imageCache() { return *m_imageCache; }

    // A pooled item of the identifier, its represented object cleared; null
    // when the pool has none.
    GVGridViewItem* dequeueReusableItemWithIdentifier(const QString& identifier);
    // Asks the count anew, drops every item (visible, pooled and selected),
    // lets failed thumbnails be asked again and shows the visible rows.
    void reloadData();
    void reloadDataAnimated(bool) { reloadData(); }

    qint64 numberOfItems() const { return m_count; }
    int numberOfColumns() const;
    // The cell of a row in the grid's coordinates.
    QRect rectForItemAtIndex(qint64 index) const;
    qint64 indexForItemAtLocation(QPointF location) const;
    // Shown items by row.
    const QMap<qint64, GVGridViewItem*>& visibleItems() const { return m_visible; }
    GVGridViewItem* itemAtIndex(qint64 index) const { return m_visible.value(index); }

    QList<GVGridViewItem*> selectedItems() const { return m_selection.values(); }
    QList<qint64> selectedIndexes() const { return m_selection.keys(); }
    // Selects the row as a click would (in single selection, alone).
    void selectItemAtIndex(qint64 index);
    void deselectItemAtIndex(qint64 index);
    // When something is selected: posts "GVGridViewDeSelectAllItems" with
    // this grid as sender, empties the selection and tells the delegate once.
    void deselectAllItems();
    void scrollToItemAtIndex(qint64 index);

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QScrollArea* scrollArea() const;
    QRect visibleArea() const;
    // Takes the height of its rows at once rather than at the scroll area's
    // next layout, so that rows asked for right after a change exist.
    void fitHeight();
    // Brings the items in line with the visible rows; `cellsMoved` when the
    // width or the item size changed, so kept items take their new cells.
    void layoutItems(bool cellsMoved = true);
    // Pools an item that left the visible rows; callers that may hand it
    // out again at once keep it shown.
    void recycle(GVGridViewItem* item, bool hide = true);
    void discard(GVGridViewItem* item);
    void select(qint64 index);
    void deselect(qint64 index);
    void setHoveredItem(GVGridViewItem* item);
    void clicked(qint64 index, Qt::KeyboardModifiers modifiers);
    void thumbnailLoaded(const QUrl& url, const Image& image);
    void fitThumbnails();

    GVGridViewDataSource* m_dataSource = nullptr;
    GVGridViewDelegate* m_delegate = nullptr;
    QSizeF m_itemSize;
    QColor m_backgroundColor;
    bool m_scrollElasticity = true;
    bool m_allowsMultipleSelection = false;
    qint64 m_count = 0;
    QMap<qint64, GVGridViewItem*> m_visible;
    QHash<QString, QList<GVGridViewItem*>> m_pool;
    QMap<qint64, GVGridViewItem*> m_selection;
    qint64 m_anchor = -1;
    QPointer<GVGridViewItem> m_hovered;
    GVGridImageCache* m_imageCache;
    // The press that may become a drag.
    QPointF m_pressPoint;
    qint64 m_pressIndex = -1;
    bool m_dragging = false;
    bool m_layingOut = false;
};

} // namespace ql
