#include "canvas/view/TextEditingOverlay.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "content/ZVTextView.h"
#include "content/text/TextEditor.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/FontResolver.h"

#include <QPainter>

namespace ql {

void TextEditingOverlay::paint(QPainter& painter, const ZVPuttyView& element)
{
    auto* text = qobject_cast<ZVTextView*>(element.contentView());
    if (!text || !text->editMode() || !text->isSelectable())
        return;
    const QRectF content = ElementPainter::contentRect(element);
    text::TextEditor* editor = text->editor();
    painter.save();
    painter.setClipRect(content, Qt::IntersectClip);
    painter.translate(content.topLeft());
    painter.setPen(Qt::NoPen);
    const QList<QRectF> selection = editor->selectionRects();
    if (!selection.isEmpty()) {
        // Translucent, so the text stays readable under it.
        painter.setBrush(QColor(0x3d, 0x8e, 0xff, 0x60));
        for (const QRectF& rect : selection)
            painter.drawRect(rect);
    } else if (const QRectF caret = editor->caretRect(); !caret.isNull()) {
        // Text an input method is still composing stands at the caret,
        // underlined, in the typing font, until it is committed.
        const QString preedit = editor->preedit();
        double composedWidth = 0;
        if (!preedit.isEmpty()) {
            const QVariant typingFont = text->typingAttributes().value(TextAttribute::font);
            QFont font = FontResolver::resolve(typingFont.canConvert<Font>() ? typingFont.value<Font>()
                                                                         : Font(FontResolver::defaultPostScriptName(), FontResolver::defaultPointSize));
            font.setUnderline(true);
            const QFontMetricsF metrics(font, FontResolver::layoutDevice());
            composedWidth = metrics.horizontalAdvance(preedit);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(QPointF(caret.left(), caret.bottom() - metrics.descent()), preedit);
            painter.setPen(Qt::NoPen);
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(caret.translated(composedWidth, 0), Qt::black);
    }
    painter.restore();
}

} // namespace ql
