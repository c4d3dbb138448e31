#include "content/ZV3DTextView.h"

ZV3DTextView::ZV3DTextView(const QRectF& frame, QObject* parent) : ZVContentView(parent)
{
    m_frame = frame;
}

const ql::PropertyTable& ZV3DTextView::properties() const
{
    using V = ZV3DTextView;
    static const ql::PropertyTable table = contentTable<V>()
                                               .property("string", &V::string, &V::setString)
                                               .property("allowsCameraControl", &V::allowsCameraControl,
                                                         &V::setAllowsCameraControl)
                                               .build();
    return table;
}

void ZV3DTextView::setString(const QString& text)
{
    changeValue(QStringLiteral("string"), m_string, text);
}

void ZV3DTextView::setAllowsCameraControl(bool allows)
{
    changeValue(QStringLiteral("allowsCameraControl"), m_allowsCameraControl, allows);
}
