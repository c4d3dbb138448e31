#include "panels/browsers/ZVGridBrowserController.h"

#include "panels/grid/GVGridViewItem.h"

#include <QHBoxLayout>
#include <QScrollArea>

namespace ql {

ZVGridBrowserController::~ZVGridBrowserController()
{
    // The window may have taken the view (and the grid) down first.
    if (isViewLoaded() && m_gridView) {
        m_gridView->setDelegate(nullptr);
        m_gridView->setDataSource(nullptr);
    }
}

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

void ZVGridBrowserController::setUpGridLooks(QSizeF itemSize)
{
    m_itemLayout = GVGridViewItemLayout::defaultLayout();
    m_itemHoverLayout = GVGridViewItemLayout::defaultLayout();
    m_itemHoverLayout->backgroundColor = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.42f);
    m_itemSelectionLayout = GVGridViewItemLayout::defaultLayout();
    m_itemSelectionLayout->backgroundColor = QColor::fromRgbF(0.542f, 0.699f, 0.807f, 0.42f);
    m_gridView->setItemSize(itemSize);
    m_gridView->setBackgroundColor(QColor::fromRgbF(0.93f, 0.93f, 0.93f));
    m_gridView->setScrollElasticity(false);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

GVGridViewItem* ZVGridBrowserController::dequeueItem(GVGridView& grid)
{
    static const QString identifier = QStringLiteral("GVGridViewItem");
    GVGridViewItem* item = grid.dequeueReusableItemWithIdentifier(identifier);
    if (!item)
        item = new GVGridViewItem(m_itemLayout, identifier);
    item->setHoverLayout(m_itemHoverLayout);
    item->setSelectionLayout(m_itemSelectionLayout);
    return item;
}

} // namespace ql
