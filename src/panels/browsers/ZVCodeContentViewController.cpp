#include "panels/browsers/ZVCodeContentViewController.h"

#include <QLayout>
#include <QLineEdit>

namespace ql {

QLineEdit* ZVCodeContentViewController::codeField()
{
    view();
    return m_codeField;
}

QWidget* ZVCodeContentViewController::loadView()
{
    QWidget* view = placeholderView(tr("QR/Barcode"));
    m_codeField = new QLineEdit(view);
    m_codeField->setObjectName(QStringLiteral("codeField"));
    m_codeField->setPlaceholderText(tr("Text to encode"));
    static_cast<QBoxLayout*>(view->layout())->insertWidget(1, m_codeField);
    return view;
}

} // namespace ql
