#include "panels/browsers/ZVGridBrowserController.h"

#include <QHBoxLayout>
#include <QScrollArea>

namespace ql {

QScrollArea* ZVGridBrowserController::scrollView()
{
    view();
    return m_scrollView;
}

QWidget* ZVGridBrowserController::actionView()
{
    view();
    return m_actionView;
}

GVGridView* ZVGridBrowserController::gridView()
{
    view();
    return m_gridView;
}

QWidget* ZVGridBrowserController::loadView()
{
    auto* root = new QWidget;
    m_scrollView = new QScrollArea(root);
    m_scrollView->setObjectName(QStringLiteral("scrollView"));
    m_scrollView->setFrameShape(QFrame::NoFrame);
    m_scrollView->setWidgetResizable(true);
    m_gridView = new GVGridView;
    m_gridView->setObjectName(QStringLiteral("gridView"));
    m_gridView->setAccessibleName(title());
    m_scrollView->setWidget(m_gridView);
    m_actionView = new QWidget(root);
    m_actionView->setObjectName(QStringLiteral("actionView"));
    new QHBoxLayout(m_actionView);
    buildView(root);
    return root;
}

} // namespace ql
