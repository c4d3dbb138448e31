#include "content/ZVTextView.h"

ZVTextView::ZVTextView(const QRectF& frame, QObject* parent) : ZVContentView(parent)
{
    m_frame = frame;
}

const ql::PropertyTable& ZVTextView::properties() const
{
    using V = ZVTextView;
    static const ql::PropertyTable table =
        contentTable<V>()
            .property("textStorage", &V::textStorage, &V::setAttributedString)
            .property("string", &V::string, &V::setString)
            .property("textViewType", &V::textViewType, &V::setTextViewType, ql::ValueKind::Number)
            .property("isPageNumber", &V::isPageNumber, &V::setIsPageNumber)
            .property("clippingRects", &V::clippingRects, &V::setClippingRects)
            .property("currentHorizontalInsetMargins", &V::currentHorizontalInsetMargins,
                      &V::setCurrentHorizontalInsetMargins, ql::ValueKind::Number)
            .property("currentVerticalInsetMargins", &V::currentVerticalInsetMargins,
                      &V::setCurrentVerticalInsetMargins, ql::ValueKind::Number)
            .property("backgroundColor", &V::backgroundColor, &V::setBackgroundColor)
            .build();
    return table;
}

void ZVTextView::setAttributedString(const ql::AttributedString& text)
{
    willChangeValueForKey(QStringLiteral("string"));
    changeValue(QStringLiteral("textStorage"), m_text, text);
    didChangeValueForKey(QStringLiteral("string"));
}

void ZVTextView::setString(const QString& text)
{
    // New text takes the attributes of the text it replaces.
    const ql::TextAttributes attributes = m_text.isEmpty() ? ql::TextAttributes() : m_text.attributesAt(0);
    setAttributedString(ql::AttributedString(text, attributes));
}

void ZVTextView::setTextViewType(const QVariant& type)
{
    changeValue(QStringLiteral("textViewType"), m_textViewType, type);
}

void ZVTextView::setIsPageNumber(bool isPageNumber)
{
    changeValue(QStringLiteral("isPageNumber"), m_isPageNumber, isPageNumber);
}

void ZVTextView::setClippingRects(const QList<QRectF>& rects)
{
    changeValue(QStringLiteral("clippingRects"), m_clippingRects, rects);
}

void ZVTextView::setCurrentHorizontalInsetMargins(const QVariant& inset)
{
    changeValue(QStringLiteral("currentHorizontalInsetMargins"), m_horizontalInset, inset);
}

void ZVTextView::setCurrentVerticalInsetMargins(const QVariant& inset)
{
    changeValue(QStringLiteral("currentVerticalInsetMargins"), m_verticalInset, inset);
}

void ZVTextView::setBackgroundColor(const ql::Color& color)
{
    changeValue(QStringLiteral("backgroundColor"), m_backgroundColor, color);
}
