#include "canvas/painting/Text3DContentPainter.h"

#include "canvas/ZVPuttyView.h"
#include "content/ZV3DTextView.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

namespace ql {

void Text3DContentPainter::paint(QPainter& painter, const ZVPuttyView& element, const QRectF& content, double alpha)
{
    const auto* view = qobject_cast<const ZV3DTextView*>(element.contentView());
    if (!view || view->string().isEmpty())
        return;
    QFont font(QStringLiteral("Helvetica"));
    font.setBold(true);
    font.setPixelSize(100);
    // Sized so that the string fills the content's width or height.
    const QSizeF measured = QFontMetricsF(font).size(Qt::TextSingleLine, view->string());
    const double scale = std::min(content.width() / measured.width(), content.height() / measured.height());
    if (scale <= 0)
        return;
    painter.save();
    painter.setOpacity(painter.opacity() * alpha);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(content.center());
    painter.scale(scale, scale);
    painter.setFont(font);
    painter.setPen(QColor(0x44, 0x44, 0x44));
    const QRectF box(-measured.width() / 2, -measured.height() / 2, measured.width(), measured.height());
    painter.drawText(box, Qt::AlignCenter, view->string());
    painter.restore();
}

} // namespace ql
