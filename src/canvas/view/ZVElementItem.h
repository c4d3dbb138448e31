// One element on the canvas: an item placed and turned as the element's
// frame and rotation say (item coordinates are the element's own), drawn by
// the element painter, repainted whenever its element, content or background
// changes. Items of a master's elements are inert: they take no events.
// The item repaints its element from a kept picture (ElementPictureCache).
#pragma once

#include <QGraphicsItem>
#include <QMetaObject>
#include <QPointer>
#include <memory>

class ZVPuttyView;

namespace ql {

class ElementPictureBudget;
class ElementPictureCache;
class ZVClipView;

class ZVElementItem : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    // The element's picture takes its room from `pictures`, shared by the
    // page's items.
    ZVElementItem(ZVPuttyView& element, bool inert, ZVClipView* clipView,
                  std::shared_ptr<ElementPictureBudget> pictures, QGraphicsItem* parent = nullptr);
    ~ZVElementItem() override;

    ZVPuttyView* element() const;
    bool isInert() const { return m_inert; }
    // How many times the item has painted (tests check repaints).
    int paintCount() const { return m_paintCount; }
    // The picture the element is drawn from.
    ElementPictureCache* pictureCache() const { return m_pictures.get(); }
    // The element's drawing changed, or a picture it waited for arrived: it
    // is drawn anew.
    void redraw();

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void follow();
    void watchParts();
    void onChange(const QString& key);
    void updateCursor();
    // The outline the clip view draws around the content, scene coordinates.
    QRectF outlineRect() const;

    QPointer<ZVPuttyView> m_element;
    bool m_inert;
    QPointer<ZVClipView> m_clipView;
    QRectF m_bounds;
    QRectF m_lastOutline;
    QList<QMetaObject::Connection> m_partConnections;
    int m_paintCount = 0;
    std::unique_ptr<ElementPictureCache> m_pictures;
};

} // namespace ql
