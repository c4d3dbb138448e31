// Draws the crop selection over the picture: the rest of the picture
// shaded, the rectangle's edge and its eight handles.
#pragma once

#include <QGraphicsItem>
#include <QList>
#include <optional>

namespace ql {

class CropSelectionItem : public QGraphicsItem {
public:
    CropSelectionItem() = default;

    void setPictureRect(const QRectF& rect);
    void setSelection(const std::optional<QRectF>& selection);

    // Corners and edge middles: top-left, top, top-right, right,
    // bottom-right, bottom, bottom-left, left.
    static QList<QPointF> handlePoints(const QRectF& rect);

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QRectF m_picture;
    std::optional<QRectF> m_selection;
};

} // namespace ql
