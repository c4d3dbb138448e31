// The page's guide overlay on the canvas: the topmost child of the page
// item, as large as the page, drawing the page's ZVGuideView. It takes no
// pointer events, so presses reach the page and its elements.
#pragma once

#include <QGraphicsItem>
#include <QList>
#include <QObject>
#include <QPointer>

class ZVGuideView;

namespace ql {

class ZVGuideItem : public QObject, public QGraphicsItem {
    Q_OBJECT
    Q_INTERFACES(QGraphicsItem)
public:
    ZVGuideItem(ZVGuideView& guideView, QGraphicsItem* parent);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    void follow();
    // Redraws the strips of the smart-guide lines that went or came.
    void followLines();

    QPointer<ZVGuideView> m_guideView;
    QRectF m_bounds;
    QList<double> m_shownVLines;
    QList<double> m_shownHLines;
};

} // namespace ql
