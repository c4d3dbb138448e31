#include "panels/imageedit/CropSelectionItem.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionGraphicsItem>

namespace ql {

void CropSelectionItem::setPictureRect(const QRectF& rect)
{
    prepareGeometryChange();
    m_picture = rect;
}

void CropSelectionItem::setSelection(const std::optional<QRectF>& selection)
{
    m_selection = selection;
    update();
}

QList<QPointF> CropSelectionItem::handlePoints(const QRectF& r)
{
    const QPointF c = r.center();
    return {r.topLeft(), {c.x(), r.top()}, r.topRight(), {r.right(), c.y()},
            r.bottomRight(), {c.x(), r.bottom()}, r.bottomLeft(), {r.left(), c.y()}};
}

QRectF CropSelectionItem::boundingRect() const
{
    return m_picture.adjusted(-20, -20, 20, 20);
}

void CropSelectionItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    if (!m_selection)
        return;
    // Handles and lines keep their size on screen whatever the zoom.
    const double scale = option->levelOfDetailFromTransform(painter->worldTransform());
    const double unit = scale > 0 ? 1.0 / scale : 1.0;
    const QRectF selection = *m_selection;
    QPainterPath shade;
    shade.addRect(m_picture);
    QPainterPath hole;
    hole.addRect(selection);
    painter->fillPath(shade.subtracted(hole), QColor(0, 0, 0, 110));
    QPen pen(Qt::white, 1.0 * unit);
    painter->setPen(pen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(selection);
    pen.setColor(Qt::black);
    pen.setDashPattern({4, 4});
    painter->setPen(pen);
    painter->drawRect(selection);
    painter->setPen(QPen(Qt::black, unit));
    painter->setBrush(Qt::white);
    const double half = 4.0 * unit;
    for (const QPointF& point : handlePoints(selection))
        painter->drawRect(QRectF(point - QPointF(half, half), QSizeF(2 * half, 2 * half)));
}

} // namespace ql
