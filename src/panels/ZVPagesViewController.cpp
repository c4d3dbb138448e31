#include "panels/ZVPagesViewController.h"

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/painting/PagePainter.h"
#include "platform/runtime/NotificationCenter.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>
#include <algorithm>

namespace ql {

namespace {

// The largest thumbnail, in pixels, with room for its title under it.
constexpr QSize kThumbnailSize {96, 104};

QPixmap thumbnail(ZVCanvasView& page)
{
    const QSizeF size = page.bounds().size();
    if (size.isEmpty())
        return {};
    const double scale = std::min(kThumbnailSize.width() / size.width(), kThumbnailSize.height() / size.height());
    QImage image = PagePainter::image(page, scale);
    // A white page needs an edge to stand out from the white row.
    QPainter painter(&image);
    painter.setPen(QColor(0xb4, 0xb4, 0xb4));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    painter.end();
    return QPixmap::fromImage(image);
}

} // namespace

ZVPagesViewController::ZVPagesViewController(QObject* parent) : ViewController(parent) {}

Document* ZVPagesViewController::document() const
{
    return m_document.data();
}

void ZVPagesViewController::setDocument(Document* document)
{
    if (m_document)
        disconnect(m_document, nullptr, this, nullptr);
    m_document = document;
    if (!document)
        return;
    // Undo and redo of an add change the list while the row shows it.
    connect(document, &Document::pagesChanged, this, [this] {
        if (m_collection)
            reload();
    });
    connect(document, &Document::currentPageChanged, this, &ZVPagesViewController::selectCurrentPage);
}

QList<ZVCanvasView*> ZVPagesViewController::pages() const
{
    return m_document ? m_document->pages() : QList<ZVCanvasView*>();
}

QListWidget* ZVPagesViewController::collectionView()
{
    view();
    return m_collection;
}

QToolButton* ZVPagesViewController::addButton()
{
    view();
    return m_addButton;
}

QWidget* ZVPagesViewController::loadView()
{
    auto* view = new QWidget;
    auto* layout = new QHBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    m_collection = new QListWidget(view);
    m_collection->setObjectName(QStringLiteral("pagesCollection"));
    m_collection->setViewMode(QListView::IconMode);
    m_collection->setFlow(QListView::LeftToRight);
    m_collection->setWrapping(false);
    m_collection->setMovement(QListView::Static);
    m_collection->setIconSize(kThumbnailSize);
    m_collection->setSpacing(4);
    m_collection->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_collection->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A double click or Return on a thumbnail.
    connect(m_collection, &QListWidget::activated, this, [this] { openPage(); });
    layout->addWidget(m_collection, 1);
    m_addButton = new QToolButton(view);
    m_addButton->setObjectName(QStringLiteral("addButton"));
    m_addButton->setText(QStringLiteral("+"));
    m_addButton->setToolTip(tr("Add Page"));
    connect(m_addButton, &QToolButton::clicked, this, &ZVPagesViewController::addPage);
    layout->addWidget(m_addButton, 0, Qt::AlignBottom);
    reload();
    return view;
}

void ZVPagesViewController::reload()
{
    if (m_collection) {
        m_collection->clear();
        const bool masters = m_document && m_document->pagesType().toInt() == 1;
        for (ZVCanvasView* page : pages()) {
            auto* item = new QListWidgetItem(QIcon(thumbnail(*page)), masters ? page->masterPageTitle() : page->title(),
                                             m_collection);
            item->setTextAlignment(Qt::AlignHCenter);
        }
        selectCurrentPage();
    }
    if (m_document)
        m_document->updatePageCounts();
}

void ZVPagesViewController::selectCurrentPage()
{
    if (!m_collection || !m_document)
        return;
    const qsizetype index = pages().indexOf(m_document->currentPage());
    if (index < 0 || index >= m_collection->count())
        return;
    m_collection->clearSelection();
    m_collection->setCurrentRow(int(index));
}

void ZVPagesViewController::openPage()
{
    if (!m_collection || !m_document)
        return;
    QList<int> rows;
    for (const QModelIndex& index : m_collection->selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    QVariantList indexes;
    for (int row : std::as_const(rows))
        indexes.append(row);
    NotificationCenter::defaultCenter().post(QStringLiteral("openPage"), m_document,
                                             {{QStringLiteral("indexes"), indexes}});
}

void ZVPagesViewController::addPage()
{
    if (!m_document)
        return;
    // The row follows through the document's list change.
    m_document->appendPageUndoably(m_document->newCanvas());
}

} // namespace ql
