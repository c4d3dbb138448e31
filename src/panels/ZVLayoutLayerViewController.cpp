#include "panels/ZVLayoutLayerViewController.h"

#include "util/ArrayExtensions.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "panels/controls/RowDragReorder.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace ql {

namespace {

// The longer side of a layer's thumbnail, in pixels.
constexpr int kThumbnailSize = 48;
// How long thumbnails wait for the changes of a user action to end: drawn
// at once, they would hold up the frame that shows the change.
constexpr int kThumbnailDelay = 150;

bool isSwitch(int column)
{
    return column == ZVLayoutLayerViewController::VisibleColumn
        || column == ZVLayoutLayerViewController::PrintableColumn;
}

QTableWidgetItem* switchItem(bool on, const QString& toolTip)
{
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    item->setToolTip(toolTip);
    return item;
}

} // namespace

ZVLayoutLayerViewController::ZVLayoutLayerViewController(QObject* parent) : ViewController(parent)
{
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("redrawLayerThumbs"), nullptr,
                                                   [this](const Notification&) { redrawThumbnailsSoon(); });
    // Thumbnails show placeholders for pictures not converted yet.
    NotificationCenter::defaultCenter().addObserver(this, QString::fromLatin1(kPictureConversionFinished), nullptr,
                                                   [this](const Notification&) { redrawThumbnailsSoon(); });
}

ZVCanvasView* ZVLayoutLayerViewController::currentPage() const
{
    return m_page.data();
}

QTableWidget* ZVLayoutLayerViewController::tableView()
{
    view();
    return m_table;
}

QPushButton* ZVLayoutLayerViewController::addButton()
{
    view();
    return m_addButton;
}

QWidget* ZVLayoutLayerViewController::loadView()
{
    auto* view = new QWidget;
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_table = new QTableWidget(0, 4, view);
    m_table->setObjectName(QStringLiteral("layerTable"));
    m_table->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    m_table->setHorizontalHeaderLabels({QString(), tr("Layer"), tr("Show"), tr("Print")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    for (int column : {ThumbnailColumn, VisibleColumn, PrintableColumn})
        m_table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    // Double clicks rename (below); F2 too.
    m_table->setEditTriggers(QAbstractItemView::EditKeyPressed);
    m_table->setShowGrid(false);
    layout->addWidget(m_table);

    auto* reorder = new RowDragReorder(m_table);
    connect(reorder, &RowDragReorder::rowMoved, this, &ZVLayoutLayerViewController::moveLayer);
    // Installed after the reorder gesture, so it sees presses first: a click
    // on a switch flips it without choosing the layer or starting a drag.
    m_table->viewport()->installEventFilter(this);
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &ZVLayoutLayerViewController::rowChosen);
    connect(m_table, &QTableWidget::itemChanged, this, &ZVLayoutLayerViewController::itemEdited);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (!isSwitch(column))
            m_table->editItem(m_table->item(row, NameColumn));
    });

    auto* strip = new QWidget(view);
    auto* buttons = new QHBoxLayout(strip);
    buttons->setContentsMargins(4, 4, 4, 4);
    m_addButton = new QPushButton(QStringLiteral("+"), strip);
    m_addButton->setObjectName(QStringLiteral("addLayerButton"));
    m_addButton->setToolTip(tr("New Layer"));
    m_addButton->setFixedWidth(32);
    connect(m_addButton, &QPushButton::clicked, this, &ZVLayoutLayerViewController::addLayoutLayer);
    buttons->addWidget(m_addButton);
    buttons->addStretch();
    layout->addWidget(strip);

    reload();
    return view;
}

void ZVLayoutLayerViewController::setCurrentPage(ZVCanvasView* page)
{
    if (m_page != page)
        observe(page);
    reload();
}

void ZVLayoutLayerViewController::observe(ZVCanvasView* page)
{
    if (m_page)
        m_page->removeObservers(this);
    m_page = page;
    if (!page)
        return;
    // Adding, restacking and their undo all come through the page's list.
    page->addObserver(QStringLiteral("layoutLayers"), this, [this](const KeyValueChange&) { reload(); });
    page->addObserver(QStringLiteral("currentLayoutLayer"), this, [this](const KeyValueChange&) {
        selectCurrentLayer();
    });
}

ZVPuttyViewGroup* ZVLayoutLayerViewController::layerAtRow(int row) const
{
    if (!m_page)
        return nullptr;
    const ZVPuttyViewGroupList rows = m_page->layoutLayersReversed();
    return row >= 0 && row < rows.size() ? rows.at(row).data() : nullptr;
}

void ZVLayoutLayerViewController::reload()
{
    if (!m_table)
        return;
    m_reloading = true;
    m_table->setRowCount(0);
    const ZVPuttyViewGroupList rows = m_page ? m_page->layoutLayersReversed() : ZVPuttyViewGroupList();
    m_table->setRowCount(int(rows.size()));
    for (int row = 0; row < rows.size(); ++row) {
        const ZVPuttyViewGroup* layer = rows.at(row);
        if (!layer)
            continue;
        auto* thumbnail = new QTableWidgetItem;
        thumbnail->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        m_table->setItem(row, ThumbnailColumn, thumbnail);
        auto* name = new QTableWidgetItem(layer->groupName());
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        m_table->setItem(row, NameColumn, name);
        m_table->setItem(row, VisibleColumn, switchItem(layer->visible(), tr("Show the layer's elements")));
        m_table->setItem(row, PrintableColumn, switchItem(layer->printable(), tr("Print and export the layer's elements")));
    }
    m_reloading = false;
    redrawThumbnailsSoon();
    selectCurrentLayer();
}

void ZVLayoutLayerViewController::redrawThumbnails()
{
    if (!m_table)
        return;
    const QSignalBlocker quiet(m_table);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QTableWidgetItem* item = m_table->item(row, ThumbnailColumn);
        const ZVPuttyViewGroup* layer = layerAtRow(row);
        if (item && layer)
            item->setIcon(layerThumbnail(*layer));
    }
}

// Every change of every page asks, often many times in one user action: the
// thumbnails are drawn once, a moment after it.
void ZVLayoutLayerViewController::redrawThumbnailsSoon()
{
    if (m_redrawPending)
        return;
    m_redrawPending = true;
    after(kThumbnailDelay, this, [this] {
        m_redrawPending = false;
        redrawThumbnails();
    });
}

// The one place a row's picture comes from: the layer's elements where they
// lie on the page, scaled to the thumbnail.
QIcon ZVLayoutLayerViewController::layerThumbnail(const ZVPuttyViewGroup& layer) const
{
    if (!m_page)
        return QIcon();
    const QSizeF pageSize = m_page->frame().size();
    const double scale = kThumbnailSize / std::max({pageSize.width(), pageSize.height(), 1.0});
    return QIcon(QPixmap::fromImage(m_page->imageRepresentationOfLayoutLayer(&layer, scale)));
}

void ZVLayoutLayerViewController::selectCurrentLayer()
{
    if (!m_table)
        return;
    const bool reloading = m_reloading;
    m_reloading = true;
    const ZVPuttyViewGroupList rows = m_page ? m_page->layoutLayersReversed() : ZVPuttyViewGroupList();
    const ZVPuttyViewGroup* current = m_page ? m_page->currentLayoutLayer() : nullptr;
    const auto found = std::find_if(rows.cbegin(), rows.cend(),
                                    [current](const QPointer<ZVPuttyViewGroup>& layer) { return layer == current; });
    if (found == rows.cend())
        m_table->clearSelection();
    else
        m_table->selectRow(int(found - rows.cbegin()));
    m_reloading = reloading;
}

void ZVLayoutLayerViewController::rowChosen()
{
    if (m_reloading || !m_page)
        return;
    const QList<QTableWidgetItem*> chosen = m_table->selectedItems();
    ZVPuttyViewGroup* layer = chosen.isEmpty() ? nullptr : layerAtRow(chosen.first()->row());
    if (!layer) {
        selectCurrentLayer();
        return;
    }
    if (layer == m_page->currentLayoutLayer())
        return;
    // What is selected belongs to the layer that was current.
    m_page->clearPuttyViews();
    m_page->setCurrentLayoutLayer(layer);
}

void ZVLayoutLayerViewController::addLayoutLayer()
{
    if (!m_page)
        return;
    ZVPuttyViewGroup* layer = m_page->addLayoutLayer(tr("New Layer"));
    m_page->clearPuttyViews();
    m_page->setCurrentLayoutLayer(layer);
}

void ZVLayoutLayerViewController::moveLayer(int from, int to)
{
    if (!m_page)
        return;
    ZVPuttyViewGroupList rows = m_page->layoutLayersReversed();
    if (from < 0 || from >= rows.size() || to < 0 || to >= rows.size() || from == to)
        return;
    moveObjectFromIndex(rows, from, to);
    std::reverse(rows.begin(), rows.end());
    m_page->setLayoutLayers(rows);
}

void ZVLayoutLayerViewController::itemEdited(QTableWidgetItem* item)
{
    if (m_reloading || !m_page)
        return;
    ZVPuttyViewGroup* layer = layerAtRow(item->row());
    if (!layer)
        return;
    switch (item->column()) {
    case NameColumn: {
        const QString name = item->text().trimmed();
        if (name.isEmpty() || name == layer->groupName()) {
            // A layer keeps a name to be told apart by.
            const bool reloading = m_reloading;
            m_reloading = true;
            item->setText(layer->groupName());
            m_reloading = reloading;
            return;
        }
        layer->setGroupName(name);
        break;
    }
    case VisibleColumn: {
        const bool visible = item->checkState() == Qt::Checked;
        layer->setVisible(visible);
        if (!visible) {
            // Hidden elements would still take arrow keys and commands.
            for (ZVPuttyView* element : layer->puttyViewsObjects(m_page->puttyViews())) {
                element->setIsActive(false);
                if (m_page->focusedPuttyView() == element)
                    m_page->setFocusedPuttyView(nullptr);
            }
        }
        m_page->layoutPuttyViews();
        break;
    }
    case PrintableColumn:
        layer->setPrintable(item->checkState() == Qt::Checked);
        m_page->layoutPuttyViews();
        break;
    default: return;
    }
    changedWithoutUndo();
}

void ZVLayoutLayerViewController::changedWithoutUndo()
{
    if (PageDocument* document = m_page ? m_page->document() : nullptr)
        document->pageChangedWithoutUndo(m_page);
}

bool ZVLayoutLayerViewController::eventFilter(QObject* watched, QEvent* event)
{
    // Only clicks matter; the type is checked first because the table's
    // viewport also sends events while the table is being destroyed.
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonDblClick
        && event->type() != QEvent::MouseButtonRelease)
        return false;
    if (!m_table || watched != m_table->viewport())
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QModelIndex index = m_table->indexAt(mouse->position().toPoint());
    if (!index.isValid() || !isSwitch(index.column()) || mouse->button() != Qt::LeftButton)
        return false;
    if (event->type() != QEvent::MouseButtonRelease) {
        QTableWidgetItem* item = m_table->item(index.row(), index.column());
        item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    }
    return true;
}

} // namespace ql
