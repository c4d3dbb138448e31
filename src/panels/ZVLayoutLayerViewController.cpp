#include "panels/ZVLayoutLayerViewController.h"

#include "canvas/ZVCanvasView.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <QIcon>
#include <QImage>
#include <QListWidget>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {

namespace {

// The longer side of a layer's thumbnail, in pixels.
constexpr int kThumbnailSize = 48;

} // namespace

ZVLayoutLayerViewController::ZVLayoutLayerViewController(QObject* parent) : ViewController(parent)
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("redrawLayerThumbs"), nullptr,
                                                   [this](const Notification&) { reloadSoon(); });
    // Thumbnails show placeholders for pictures not converted yet.
    NotificationCenter::defaultCenter().addObserver(this, QString::fromLatin1(kPictureConversionFinished), nullptr,
                                                   [this](const Notification&) { reloadSoon(); });
}

// Any change of any document asks for new thumbnails, often many times in one
// user action: the panel draws them once, after it.
void ZVLayoutLayerViewController::reloadSoon()
{
    if (m_reloadPending)
        return;
    m_reloadPending = true;
    after(0, this, [this] {
        m_reloadPending = false;
        reload();
    });
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
    m_table->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
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
    const QSizeF pageSize = m_page->frame().size();
    const double scale = kThumbnailSize / std::max({pageSize.width(), pageSize.height(), 1.0});
    for (const QPointer<ZVPuttyViewGroup>& layer : m_page->layoutLayersReversed()) {
        if (!layer)
            continue;
        auto* row = new QListWidgetItem(layer->groupName(), m_table);
        row->setIcon(QIcon(QPixmap::fromImage(m_page->imageRepresentationOfLayoutLayer(layer, scale))));
        if (layer.data() == m_page->currentLayoutLayer())
            m_table->setCurrentItem(row);
    }
}

} // namespace ql
