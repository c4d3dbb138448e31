#include "canvas/view/ZVDrawingItem.h"

#include "canvas/ZVCanvasView.h"
#include "content/ZVDrawingView.h"

#include <QPainter>

namespace ql {

ZVDrawingItem::ZVDrawingItem(ZVCanvasView& page, QGraphicsItem* parent) : QGraphicsItem(parent), m_page(&page)
{
    setAcceptedMouseButtons(Qt::NoButton);
    connect(page.drawingView(), &DFDrawingView::needsDisplay, this, &ZVDrawingItem::follow);
    connect(&page, &KVObject::valueChanged, this, [this](const QString& key) {
        if (key == QLatin1String("drawingMode") || key == QLatin1String("frame"))
            follow();
    });
    follow();
}

void ZVDrawingItem::follow()
{
    const QRectF bounds = m_page ? m_page->bounds() : QRectF();
    if (bounds != m_bounds) {
        prepareGeometryChange();
        m_bounds = bounds;
    }
    setVisible(m_page && m_page->isDrawing());
    update();
}

QRectF ZVDrawingItem::boundingRect() const
{
    return m_bounds;
}

void ZVDrawingItem::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*)
{
    if (m_page)
        m_page->drawingView()->paint(*painter);
}

} // namespace ql
