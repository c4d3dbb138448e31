#include "panels/ZVLayoutLayerViewController.h"

#include "canvas/ZVCanvasView.h"
#include "platform/runtime/NotificationCenter.h"

#include <QListWidget>
#include <QVBoxLayout>

namespace ql {

ZVLayoutLayerViewController::ZVLayoutLayerViewController(QObject* parent) : ViewController(parent)
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("redrawLayerThumbs"), nullptr,
                                                   [this](const Notification&) { reload(); });
}

ZVCanvasView* ZVLayoutLayerViewController::currentPage() const
{
    return m_page.data();
}

QListWidget* ZVLayoutLayerViewController::tableView()
{
    view();
    return m_table;
}

QWidget* ZVLayoutLayerViewController::loadView()
{
    auto* view = new QWidget;
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    m_table = new QListWidget(view);
    m_table->setObjectName(QStringLiteral("layerTable"));
    layout->addWidget(m_table);
    reload();
    return view;
}

void ZVLayoutLayerViewController::setCurrentPage(ZVCanvasView* page)
{
    m_page = page;
    reload();
}

void ZVLayoutLayerViewController::reload()
{
    if (!m_table)
        return;
    m_table->clear();
    if (!m_page)
        return;
    for (const QPointer<ZVPuttyViewGroup>& layer : m_page->layoutLayersReversed()) {
        if (!layer)
            continue;
        auto* row = new QListWidgetItem(layer->groupName(), m_table);
        if (layer.data() == m_page->currentLayoutLayer())
            m_table->setCurrentItem(row);
    }
}

} // namespace ql
