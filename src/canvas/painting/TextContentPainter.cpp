#include "canvas/painting/TextContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/TextDocuments.h"
#include "content/ZVTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

namespace ql {

void TextContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZVTextView*>(element.contentView());
    if (!view || view->textStorage().isEmpty())
        return;
    const QPointF inset(view->currentHorizontalInsetMargins().toFloat(), view->currentVerticalInsetMargins().toFloat());
    const QRectF box = content.adjusted(inset.x(), inset.y(), 0, 0);
    std::unique_ptr<QTextDocument> document = TextDocuments::documentFor(view->textStorage(), box.width());
    painter.save();
    painter.setOpacity(painter.opacity() * alpha);
    painter.setClipRect(content, Qt::IntersectClip);
    painter.translate(box.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    document->documentLayout()->draw(&painter, context);
    painter.restore();
}

} // namespace ql
