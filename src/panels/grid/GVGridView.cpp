#include "panels/grid/GVGridView.h"

#include "platform/runtime/NotificationCenter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <cmath>

namespace ql {

GVGridView::GVGridView(QWidget* parent)
    : QWidget(parent), m_itemSize(GVGridViewItem::defaultItemSize()), m_imageCache(new GVGridImageCache(this))
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(m_imageCache, &GVGridImageCache::loaded, this, &GVGridView::thumbnailLoaded);
    fitThumbnails();
}

GVGridView::~GVGridView() = default;

void GVGridView::setItemSize(QSizeF size)
{
    if (size == m_itemSize || size.width() < 1 || size.height() < 1)
        return;
    m_itemSize = size;
    fitThumbnails();
    fitHeight();
    layoutItems();
}

void GVGridView::fitThumbnails()
{
    // No thumbnail shows larger than its cell, in the screen's pixels.
    const QSizeF pixels = m_itemSize * std::max(1.0, devicePixelRatioF());
    m_imageCache->setThumbnailSize(QSize(int(std::ceil(pixels.width())), int(std::ceil(pixels.height()))));
}

void GVGridView::setBackgroundColor(const QColor& color)
{
    m_backgroundColor = color;
    if (QScrollArea* area = scrollArea()) {
        QPalette palette = area->viewport()->palette();
        palette.setColor(QPalette::Window, color);
        area->viewport()->setPalette(palette);
        area->viewport()->setAutoFillBackground(true);
    }
    update();
}

QScrollArea* GVGridView::scrollArea() const
{
    QWidget* viewport = parentWidget();
    return viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
}

int GVGridView::numberOfColumns() const
{
    return std::max(1, int(width() / m_itemSize.width()));
}

int GVGridView::heightForWidth(int width) const
{
    const qint64 columns = std::max(1, int(width / m_itemSize.width()));
    const qint64 rows = (m_count + columns - 1) / columns;
    return int(std::min<qint64>(rows * qint64(std::ceil(m_itemSize.height())), QWIDGETSIZE_MAX));
}

QSize GVGridView::sizeHint() const
{
    const int width = int(std::ceil(m_itemSize.width()));
    return QSize(width, heightForWidth(width));
}

QRect GVGridView::rectForItemAtIndex(qint64 index) const
{
    const int columns = numberOfColumns();
    const double cellWidth = m_itemSize.width();
    // Room left over is shared out between the columns.
    const double gap = (width() - columns * cellWidth) / (columns + 1);
    const qint64 row = index / columns;
    const qint64 column = index % columns;
    const double x = std::max(0.0, gap) + column * (cellWidth + std::max(0.0, gap));
    return QRect(int(std::round(x)), int(row * qint64(std::ceil(m_itemSize.height()))),
                 int(std::ceil(cellWidth)), int(std::ceil(m_itemSize.height())));
}

qint64 GVGridView::indexForItemAtLocation(QPointF location) const
{
    if (location.y() < 0 || location.x() < 0)
        return -1;
    const qint64 row = qint64(location.y() / std::ceil(m_itemSize.height()));
    const int columns = numberOfColumns();
    for (int column = 0; column < columns; ++column) {
        const qint64 index = row * columns + column;
        if (index < m_count && rectForItemAtIndex(index).contains(location.toPoint()))
            return index;
    }
    return -1;
}

void GVGridView::fitHeight()
{
    updateGeometry();
    QScrollArea* area = scrollArea();
    if (!area || !area->widgetResizable())
        return;
    const int height = std::max(heightForWidth(width()), area->viewport()->height());
    if (height != this->height())
        resize(width(), height);
}

QRect GVGridView::visibleArea() const
{
    if (QWidget* viewport = parentWidget())
        return QRect(-pos(), viewport->size()) & rect();
    return rect();
}

void GVGridView::layoutItems(bool cellsMoved)
{
    // A data source that reloads while handing out an item would re-enter.
    if (m_layingOut || !isVisible() || !m_dataSource)
        return;
    m_layingOut = true;
    const QRect area = visibleArea();
    qint64 first = 0;
    qint64 last = -1;
    if (!area.isEmpty() && m_count > 0) {
        const int columns = numberOfColumns();
        const double rowHeight = std::ceil(m_itemSize.height());
        const qint64 firstRow = qint64(area.top() / rowHeight);
        const qint64 lastRow = qint64((area.bottom()) / rowHeight);
        first = firstRow * columns;
        last = std::min(m_count - 1, (lastRow + 1) * columns - 1);
    }
    // Cells are drawn by the grid, not by their own widgets, so whatever
    // changes place is repainted here: the cells that come, move or go.
    QRect changed;
    // Items that scroll away stay shown until the end of the pass: the rows
    // that scroll in mostly take them back, and hiding and showing each one
    // costs more than the move.
    QList<GVGridViewItem*> leaving;
    for (auto entry = m_visible.begin(); entry != m_visible.end();) {
        if (entry.key() < first || entry.key() > last) {
            recycle(entry.value(), false);
            leaving.append(entry.value());
            entry = m_visible.erase(entry);
        } else {
            // Scrolling moves the grid, not its cells.
            if (cellsMoved) {
                changed |= entry.value()->geometry();
                entry.value()->setGeometry(rectForItemAtIndex(entry.key()));
                changed |= entry.value()->geometry();
            }
            ++entry;
        }
    }
    for (qint64 index = first; index <= last; ++index) {
        if (m_visible.contains(index))
            continue;
        GVGridViewItem* item = m_selection.value(index);
        if (!item) {
            item = m_dataSource->itemAtIndex(*this, index, 0);
            if (!item)
                continue;
        }
        if (item->parentWidget() != this)
            item->setParent(this);
        item->setUpdatesEnabled(false);
        item->setIndex(index);
        item->setSelected(m_selection.contains(index));
        item->setGeometry(rectForItemAtIndex(index));
        item->show();
        changed |= item->geometry();
        m_visible.insert(index, item);
    }
    for (GVGridViewItem* item : std::as_const(leaving)) {
        if (!m_visible.contains(item->index()) || m_visible.value(item->index()) != item) {
            changed |= item->geometry();
            item->hide();
        }
    }
    if (!changed.isEmpty())
        update(changed);
    m_layingOut = false;
}

void GVGridView::recycle(GVGridViewItem* item, bool hide)
{
    if (hide)
        item->hide();
    if (item == m_hovered)
        setHoveredItem(nullptr);
    // Selected items wait, as they are, for their row to come back.
    if (!item->isReuseable())
        return;
    item->prepareForReuse();
    m_pool[item->reuseIdentifier()].append(item);
}

void GVGridView::discard(GVGridViewItem* item)
{
    if (item == m_hovered)
        m_hovered = nullptr;
    delete item;
}

GVGridViewItem* GVGridView::dequeueReusableItemWithIdentifier(const QString& identifier)
{
    auto pool = m_pool.find(identifier);
    if (pool == m_pool.end() || pool->isEmpty())
        return nullptr;
    GVGridViewItem* item = pool->takeLast();
    item->setRepresentedObject(nullptr);
    return item;
}

void GVGridView::reloadData()
{
    m_count = m_dataSource ? std::max<qint64>(0, m_dataSource->numberOfItemsInSection(*this, 0)) : 0;
    QSet<GVGridViewItem*> items;
    for (GVGridViewItem* item : std::as_const(m_visible))
        items.insert(item);
    for (GVGridViewItem* item : std::as_const(m_selection))
        items.insert(item);
    for (const QList<GVGridViewItem*>& pool : std::as_const(m_pool))
        for (GVGridViewItem* item : pool)
            items.insert(item);
    m_visible.clear();
    m_selection.clear();
    m_pool.clear();
    m_anchor = -1;
    for (GVGridViewItem* item : std::as_const(items))
        discard(item);
    m_imageCache->forgetFailures();
    fitHeight();
    layoutItems();
    update();
}

void GVGridView::select(qint64 index)
{
    GVGridViewItem* item = m_visible.value(index);
    if (!item || m_selection.contains(index))
        return;
    m_selection.insert(index, item);
    item->setSelected(true);
    m_anchor = index;
    if (m_delegate)
        m_delegate->didSelectItemAtIndex(*this, index, 0);
}

void GVGridView::deselect(qint64 index)
{
    GVGridViewItem* item = m_selection.take(index);
    if (!item)
        return;
    item->setSelected(false);
    if (!m_visible.contains(index))
        recycle(item);
    if (m_delegate)
        m_delegate->didDeselectItemAtIndex(*this, index, 0);
}

void GVGridView::selectItemAtIndex(qint64 index)
{
    if (index < 0 || index >= m_count)
        return;
    scrollToItemAtIndex(index);
    if (!m_allowsMultipleSelection) {
        for (qint64 other : m_selection.keys())
            if (other != index)
                deselect(other);
    }
    select(index);
}

void GVGridView::deselectItemAtIndex(qint64 index)
{
    deselect(index);
}

void GVGridView::deselectAllItems()
{
    if (m_selection.isEmpty())
        return;
    NotificationCenter::defaultCenter().post(GVGridViewItemBase::deselectAllNotification(), this);
    const QMap<qint64, GVGridViewItem*> selection = std::exchange(m_selection, {});
    for (auto entry = selection.cbegin(); entry != selection.cend(); ++entry) {
        entry.value()->setSelected(false);
        if (!m_visible.contains(entry.key()))
            recycle(entry.value());
    }
    m_anchor = -1;
    if (m_delegate)
        m_delegate->willDeselectAllItems(*this);
}

void GVGridView::scrollToItemAtIndex(qint64 index)
{
    const QRect cell = rectForItemAtIndex(index);
    if (QScrollArea* area = scrollArea())
        area->ensureVisible(cell.center().x(), cell.center().y(), cell.width() / 2, cell.height() / 2);
    layoutItems();
}

void GVGridView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutItems();
}

void GVGridView::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    layoutItems(false);
}

void GVGridView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    layoutItems();
}

void GVGridView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    if (m_backgroundColor.isValid())
        painter.fillRect(event->rect(), m_backgroundColor);
    // Every cell with this one painter, each clipped to its cell as its own
    // widget would be where it may draw past it.
    const QRect dirty = event->rect();
    for (GVGridViewItem* item : std::as_const(m_visible)) {
        const QRect cell = item->geometry();
        if (item->isHidden() || !cell.intersects(dirty))
            continue;
        painter.setTransform(QTransform::fromTranslate(cell.x(), cell.y()));
        if (item->mayDrawOutside())
            painter.setClipRect(QRect(QPoint(0, 0), cell.size()));
        else if (painter.hasClipping())
            painter.setClipping(false);
        if (painter.testRenderHint(QPainter::Antialiasing))
            painter.setRenderHint(QPainter::Antialiasing, false);
        item->paintCell(painter);
    }
}

void GVGridView::setHoveredItem(GVGridViewItem* item)
{
    if (item == m_hovered)
        return;
    if (m_hovered)
        m_hovered->setHovered(false);
    m_hovered = item;
    if (item)
        item->setHovered(true);
}

void GVGridView::clicked(qint64 index, Qt::KeyboardModifiers modifiers)
{
    if (m_delegate)
        m_delegate->didClickItemAtIndex(*this, index, 0);
    if (m_allowsMultipleSelection && (modifiers & Qt::ControlModifier)) {
        if (m_selection.contains(index))
            deselect(index);
        else
            select(index);
        return;
    }
    if (m_allowsMultipleSelection && (modifiers & Qt::ShiftModifier) && m_anchor >= 0) {
        const qint64 anchor = m_anchor;
        for (qint64 row = std::min(anchor, index); row <= std::max(anchor, index); ++row)
            select(row);
        m_anchor = anchor;
        return;
    }
    for (qint64 other : m_selection.keys())
        if (other != index)
            deselect(other);
    select(index);
}

void GVGridView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    const qint64 index = indexForItemAtLocation(event->position());
    m_pressIndex = index;
    m_pressPoint = event->position();
    m_dragging = false;
    if (index < 0) {
        deselectAllItems();
        return;
    }
    if (event->button() == Qt::RightButton) {
        if (!m_selection.contains(index))
            clicked(index, Qt::NoModifier);
        if (m_delegate)
            m_delegate->didActivateContextMenuWithIndexes(*this, selectedIndexes(), 0);
        return;
    }
    if (event->button() == Qt::LeftButton)
        clicked(index, event->modifiers());
}

void GVGridView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        const qint64 index = indexForItemAtLocation(event->position());
        setHoveredItem(m_visible.value(index));
        return;
    }
    if (m_dragging || m_pressIndex < 0)
        return;
    if ((event->position() - m_pressPoint).manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    if (GVGridViewItem* item = m_visible.value(m_pressIndex))
        item->mouseDragged(item->mapFrom(this, event->position()));
}

void GVGridView::mouseReleaseEvent(QMouseEvent*)
{
    m_pressIndex = -1;
    m_dragging = false;
}

void GVGridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const qint64 index = indexForItemAtLocation(event->position());
    if (index < 0 || event->button() != Qt::LeftButton)
        return;
    if (m_delegate)
        m_delegate->didDoubleClickItemAtIndex(*this, index, 0);
}

void GVGridView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    setHoveredItem(nullptr);
}

void GVGridView::keyPressEvent(QKeyEvent* event)
{
    if (m_selection.size() != 1) {
        QWidget::keyPressEvent(event);
        return;
    }
    const qint64 current = m_selection.firstKey();
    qint64 next = current;
    switch (event->key()) {
    case Qt::Key_Left: next = current - 1; break;
    case Qt::Key_Right: next = current + 1; break;
    case Qt::Key_Up: next = current - numberOfColumns(); break;
    case Qt::Key_Down: next = current + numberOfColumns(); break;
    default: QWidget::keyPressEvent(event); return;
    }
    if (next < 0 || next >= m_count)
        return;
    scrollToItemAtIndex(next);
    deselect(current);
    select(next);
}

void GVGridView::thumbnailLoaded(const QUrl& url, const Image& image)
{
    for (GVGridViewItem* item : std::as_const(m_visible))
        item->thumbnailLoaded(url, image);
}

} // namespace ql
