#include "panels/controls/ZVDraggableTextField.h"

#include "imaging/ImageFitting.h"
#include "imaging/ViewExtensions.h"
#include "canvas/ElementPasteboard.h"
#include "content/text/AttributedTextMapping.h"
#include "content/text/RtfWriter.h"
#include "platform/graphics/FontResolver.h"

#include <QMimeData>
#include <QMouseEvent>
#include <QTextDocument>
#include <algorithm>

namespace ql {

namespace {

constexpr double kDragSide = 190;

} // namespace

ZVDraggableTextField::ZVDraggableTextField(QWidget* parent) : QLabel(parent)
{
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setMargin(4);
}

void ZVDraggableTextField::setAttributedStringValue(const AttributedString& value)
{
    m_value = value;
    setText(value.string());
    const QVariant font = value.isEmpty() ? QVariant() : value.attributeAt(TextAttribute::font, 0);
    setFont(font.canConvert<Font>() ? FontResolver::resolve(font.value<Font>()) : QFont());
}

QMimeData* ZVDraggableTextField::dragPayload() const
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/rtf"), text::rtfFromAttributedString(m_value));
    QTextDocument document;
    text::setAttributedString(document, m_value);
    data->setHtml(document.toHtml());
    data->setText(m_value.string());
    data->setData(ElementPasteboard::sampleTextType(), QByteArrayLiteral("1"));
    return data;
}

void ZVDraggableTextField::mouseDragged(QPoint at)
{
    const QImage shown = imageRepresentation(*this);
    QImage picture;
    QPoint hotSpot;
    if (!shown.isNull() && shown.height() > 0) {
        picture = imageScaledToFitSize(Image(shown), QSizeF(kDragSide, kDragSide)).bitmap();
        // The picture sits centred in its square; the pointer keeps its
        // place on it.
        const double scale = std::min(kDragSide / shown.width(), kDragSide / shown.height());
        const QPointF offset((picture.width() - shown.width() * scale) / 2, (picture.height() - shown.height() * scale) / 2);
        hotSpot = (offset + QPointF(at) * scale).toPoint();
    }
    DragSource::start(this, dragPayload(), picture, hotSpot);
}

void ZVDraggableTextField::mousePressEvent(QMouseEvent* event)
{
    m_gesture.press(*event);
    event->accept();
}

void ZVDraggableTextField::mouseMoveEvent(QMouseEvent* event)
{
    if (const std::optional<QPoint> at = m_gesture.move(*event))
        mouseDragged(*at);
}

void ZVDraggableTextField::mouseReleaseEvent(QMouseEvent* event)
{
    m_gesture.release();
    QLabel::mouseReleaseEvent(event);
}

} // namespace ql
