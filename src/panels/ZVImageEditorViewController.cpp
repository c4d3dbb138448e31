#include "panels/ZVImageEditorViewController.h"

#include "canvas/ZVPuttyView.h"

namespace ql {

ZVPuttyView* ZVImageEditorViewController::puttyView() const
{
    return m_element.data();
}

void ZVImageEditorViewController::setPuttyView(ZVPuttyView* element)
{
    m_element = element;
}

QWidget* ZVImageEditorViewController::loadView()
{
    return placeholderView(tr("Edit Image"));
}

} // namespace ql
