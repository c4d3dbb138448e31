// The text content of an element. This holds what pages and elements use of
// it: the styled text, the field kind (plain, page number, date), the
// exclusion rectangles text flows around, the insets the border adds to, and
// the background colour. Layout, editing and fields build on it later.
#pragma once

#include "content/ZVContentView.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"

#include <QList>
#include <QVariant>

namespace ql::fields {
template <class C>
class Record;
}

class ZVTextView : public ZVContentView {
    Q_OBJECT
public:
    enum TextViewType { PlainText = 0, PageNumber = 1, Date = 2 };

    explicit ZVTextView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    const ql::PropertyTable& properties() const override;

    const ql::AttributedString& textStorage() const { return m_text; }
    void setAttributedString(const ql::AttributedString& text);
    QString string() const { return m_text.string(); }
    void setString(const QString& text);

    // 0 plain text, 1 page number, 2 date; a number.
    QVariant textViewType() const { return m_textViewType; }
    void setTextViewType(const QVariant& type);
    bool isPageNumber() const { return m_isPageNumber; }
    void setIsPageNumber(bool isPageNumber);

    // Rectangles in the text's own coordinates that the text flows around.
    const QList<QRectF>& clippingRects() const { return m_clippingRects; }
    void setClippingRects(const QList<QRectF>& rects);

    // Offsets of the text from the content's left and top edges, points.
    QVariant currentHorizontalInsetMargins() const { return m_horizontalInset; }
    void setCurrentHorizontalInsetMargins(const QVariant& inset);
    QVariant currentVerticalInsetMargins() const { return m_verticalInset; }
    void setCurrentVerticalInsetMargins(const QVariant& inset);

    ql::Color backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const ql::Color& color);

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

private:
    static const ql::fields::Record<ZVTextView>& archiveRecord();

    ql::AttributedString m_text;
    QVariant m_textViewType = 0;
    bool m_isPageNumber = false;
    QList<QRectF> m_clippingRects;
    QVariant m_horizontalInset = 0.0;
    QVariant m_verticalInset = 0.0;
    ql::Color m_backgroundColor = ql::Color::clear();
};
