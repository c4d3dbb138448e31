#include "panels/browsers/ZVClipArtContentViewController.h"

#include "util/layout/PinLayout.h"

#include <QLineEdit>

namespace ql {

QLineEdit* ZVClipArtContentViewController::searchField()
{
    view();
    return m_searchField;
}

void ZVClipArtContentViewController::buildView(QWidget* view)
{
    m_searchField = new QLineEdit(view);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(tr("Search"));
    autoPinEdgeToSuperviewEdge(m_searchField, PinEdge::Top, 3);
    autoPinEdgeToSuperviewEdge(m_searchField, PinEdge::Left, 3);
    autoPinEdgeToSuperviewEdge(m_searchField, PinEdge::Right, 3);
    autoSetDimension(m_searchField, PinDimension::Height, 22);
}

} // namespace ql
