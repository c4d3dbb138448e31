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

void ZVGridBrowserController::makeItemLayouts()
{
    m_defaultLayout = GVGridViewItemLayout::defaultLayout();
    m_hoverLayout = GVGridViewItemLayout::defaultLayout();
    m_selectionLayout = GVGridViewItemLayout::defaultLayout();
}

GVGridViewItem* ZVGridBrowserController::reusableItem(GVGridView& grid)
{
    const QString identifier = QStringLiteral("GVGridViewItem");
    GVGridViewItem* item = grid.dequeueReusableItemWithIdentifier(identifier);
    if (!item)
        item = new GVGridViewItem(m_defaultLayout, identifier);
    item->setHoverLayout(m_hoverLayout);
    item->setSelectionLayout(m_selectionLayout);
    return item;
}

QString ZVGridBrowserController::indexList(const QList<qint64>& indexes)
{
    QStringList numbers;
    for (qint64 index : indexes)
        numbers.append(QString::number(index));
    return QStringLiteral("[") + numbers.join(QStringLiteral(", ")) + QStringLiteral("]");
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
    // Room enough around the strip's buttons for them to keep their height.
    auto* strip = new QHBoxLayout(m_actionView);
    strip->setContentsMargins(3, 3, 3, 3);
    buildView(root);
    return root;
}

void ZVGridBrowserController::setUpGridLooks(QSizeF itemSize)
{
    makeItemLayouts();
    m_hoverLayout->backgroundColor = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.42f);
    m_selectionLayout->backgroundColor = QColor::fromRgbF(0.542f, 0.699f, 0.807f, 0.42f);
    m_gridView->setItemSize(itemSize);
    m_gridView->setBackgroundColor(QColor::fromRgbF(0.93f, 0.93f, 0.93f));
    m_gridView->setScrollElasticity(false);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

} // namespace ql
