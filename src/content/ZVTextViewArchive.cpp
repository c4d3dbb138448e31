#include "platform/archive/ArchiveFields.h"
#include "content/ArchivedClassChains.h"
#include "content/ZVTextView.h"

const ql::fields::Record<ZVTextView>& ZVTextView::archiveRecord()
{
    using V = ZVTextView;
    static const auto keys = ql::fields::Record<V>()
        .rect("frame", &V::m_frame)
        .custom("textStorage",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    coder.encodeObject(key, QVariant::fromValue(view.textStorage()));
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    const QVariant value = ql::fields::readRaw(coder, key);
                    if (value.metaType() == QMetaType::fromType<ql::AttributedString>())
                        view.m_text = value.value<ql::AttributedString>();
                })
        .number("textViewType", &V::m_textViewType)
        .custom("clippingRects",
                [](const V& view, ql::KeyedArchiver& coder, const QString& key) {
                    QVariantList rects;
                    for (const QRectF& rect : view.clippingRects())
                        rects.append(rect);
                    coder.encodeObject(key, rects);
                },
                [](V& view, ql::KeyedUnarchiver& coder, const QString& key) {
                    const QVariant value = ql::fields::readRaw(coder, key);
                    if (value.typeId() != QMetaType::QVariantList)
                        return;
                    QList<QRectF> rects;
                    for (const QVariant& item : value.toList()) {
                        if (item.typeId() == QMetaType::QRectF)
                            rects.append(item.toRectF());
                    }
                    view.m_clippingRects = rects;
                })
        .number("currentVerticalInsetMargins", &V::m_verticalInset)
        .number("currentHorizontalInsetMargins", &V::m_horizontalInset);
    return keys;
}

QStringList ZVTextView::archiveClassChain() const
{
    return ql::fields::viewClassChain(QStringLiteral("ZVTextView"), {QStringLiteral("NSTextView"), QStringLiteral("NSText")});
}

void ZVTextView::encodeWithCoder(ql::KeyedArchiver& coder) const
{
    archiveRecord().encode(*this, coder);
}

void ZVTextView::initWithCoder(ql::KeyedUnarchiver& coder)
{
    archiveRecord().decode(*this, coder);
    m_isPageNumber = m_textViewType.toInt() == PageNumber;
}
