#include "canvas/ZVLinkTextView.h"

#include "canvas/CanvasEvent.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVTextView.h"
#include "content/text/TextStorage.h"

#include <QLoggingCategory>
#include <QPainter>

namespace {

Q_LOGGING_CATEGORY(linkBadgeLog, "quiverleaf.canvas.linkbadge", QtWarningMsg)

const ZVTextView* textOf(const ZVPuttyView* element)
{
    return element && element->contentViewType() == ZVPuttyView::TextContent
               ? qobject_cast<const ZVTextView*>(element->contentView())
               : nullptr;
}

} // namespace

ZVLinkTextView::ZVLinkTextView(ZVPuttyView* element) : m_puttyView(element) {}

QRectF ZVLinkTextView::frameFor(QSizeF elementSize)
{
    const double margin = ZVPuttyView::kMargin;
    const double half = kSize / 2;
    return QRectF(elementSize.width() - margin - half, (elementSize.height() - 2 * margin) * 0.25 + margin - half, kSize,
                  kSize);
}

QRectF ZVLinkTextView::frame() const
{
    // Follows the element's size as its handles do.
    return m_puttyView ? frameFor(m_puttyView->frame().size()) : QRectF(-45, 15, kSize, kSize);
}

bool ZVLinkTextView::isHidden() const
{
    const ZVTextView* text = textOf(m_puttyView);
    return !text || !m_puttyView->isHighlighted() || text->textViewType().toInt() != ZVTextView::PlainText;
}

void ZVLinkTextView::updateFromChain()
{
    const ZVTextView* text = textOf(m_puttyView);
    const ql::text::TextStorage* storage = text ? text->textStorage() : nullptr;
    m_linkable = true;
    m_linkColor = QColor(Qt::blue);
    if (!storage)
        return;
    const int index = storage->indexOfTextContainer(text->textContainer());
    if (index < 0)
        return;
    if (index < storage->textContainerCount() - 1)
        m_linkable = false;
    else if (storage->hasOverflow())
        m_linkColor = QColor(Qt::red);
}

void ZVLinkTextView::drawRect(QPainter& painter, const QRectF& rect) const
{
    painter.save();
    painter.fillRect(rect, m_linkable && m_linkColor.isValid() ? m_linkColor : QColor(Qt::blue));
    painter.setPen(QPen(Qt::white, 1.0));
    painter.setBrush(Qt::NoBrush);
    const double w = rect.width();
    const double h = rect.height();
    painter.translate(rect.topLeft());
    if (m_linkable) {
        painter.drawLine(QPointF(w / 2, 1), QPointF(w / 2, h - 1));
        painter.drawLine(QPointF(1, h / 2), QPointF(w - 1, h / 2));
    } else {
        painter.drawLine(QPointF(1, 1), QPointF(w - 1, h / 2));
        painter.drawLine(QPointF(w - 1, h / 2), QPointF(1, h - 1));
    }
    painter.restore();
}

void ZVLinkTextView::mouseDown(const ql::CanvasEvent& event)
{
    qCDebug(linkBadgeLog) << "mousedown";
    ZVPuttyView* element = m_puttyView.data();
    if (!element)
        return;
    if (element->isActive())
        element->createLinkedTextView(event.location);
    else
        element->mouseDown(event);
}

ql::CanvasCursor ZVLinkTextView::cursor() const
{
    using Shape = ql::CanvasCursor::Shape;
    return ql::CanvasCursor::standard(m_puttyView && m_puttyView->isActive() ? Shape::PointingHand : Shape::Arrow);
}
