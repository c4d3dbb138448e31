// The page on the canvas: the white sheet with its master's background and
// its own, clipping one child item per element in stacking order (the
// master's elements, inert, under the page's own visible layers; the
// master's page-number boxes as copies that show this page's number) and the
// rubber band on top. The items follow the page's stacking incrementally and
// are rebuilt when another page is shown.
#pragma once

#include <QGraphicsItem>
#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <memory>

class ZVCanvasView;
class ZVPuttyView;

namespace ql {

class ElementPictureBudget;
class PageNumberCopies;
class ZVClipView;
class ZVElementItem;
class ZVSelectionView;

class ZVPageItem : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    // `pictures` is the memory the element pictures share with those of
    // other page items of the canvas; without it the item has its own.
    ZVPageItem(ZVCanvasView& page, ZVClipView* clipView, std::shared_ptr<ElementPictureBudget> pictures = {});
    ~ZVPageItem() override;

    ZVCanvasView* page() const;
    // The element items, bottom first.
    QList<ZVElementItem*> elementItems() const;
    // The item drawing `element`; a master's page-number box has none, its
    // copy on this page has.
    ZVElementItem* itemFor(const ZVPuttyView* element) const { return m_items.value(element); }
    ZVSelectionView* selectionView() const { return m_selectionView; }
    // The memory the element items' pictures share.
    ElementPictureBudget& pictureBudget() const { return *m_pictureBudget; }

    // Brings the element items in line with the page's stacking.
    void syncStack();

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

signals:
    // After the page's size changed.
    void geometryChanged();

private:
    void onPageChange(const QString& key);
    void watchMaster();
    void watchBackgrounds();

    QPointer<ZVCanvasView> m_page;
    QPointer<ZVClipView> m_clipView;
    QRectF m_bounds;
    QHash<const ZVPuttyView*, ZVElementItem*> m_items;
    // Shared with the items, which may outlive this object's members.
    std::shared_ptr<ElementPictureBudget> m_pictureBudget;
    ZVSelectionView* m_selectionView = nullptr;
    PageNumberCopies* m_pageNumbers = nullptr;
    QList<QMetaObject::Connection> m_masterConnections;
    QList<QMetaObject::Connection> m_backgroundConnections;
    bool m_syncPending = false;
};

} // namespace ql
