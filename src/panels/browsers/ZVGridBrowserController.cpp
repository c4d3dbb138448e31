#include "panels/browsers/ZVGridBrowserController.h"

#include <QHBoxLayout>
#include <QLabel>
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

QWidget* ZVGridBrowserController::gridView()
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
    m_scrollView->setWidgetResizable(false);
    m_gridView = new QWidget;
    m_gridView->setObjectName(QStringLiteral("gridView"));
    auto* empty = new QLabel(title(), m_gridView);
    empty->setObjectName(QStringLiteral("title"));
    empty->move(8, 8);
    m_scrollView->setWidget(m_gridView);
    m_actionView = new QWidget(root);
    m_actionView->setObjectName(QStringLiteral("actionView"));
    new QHBoxLayout(m_actionView);
    buildView(root);
    return root;
}

} // namespace ql
