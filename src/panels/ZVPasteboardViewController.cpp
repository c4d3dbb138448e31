#include "panels/ZVPasteboardViewController.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "canvas/ElementPasteboard.h"
#include "canvas/ModelArchive.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/ElementPainter.h"
#include "content/ZV3DTextView.h"
#include "content/ZVTextView.h"
#include "platform/runtime/UserDefaults.h"
#include "util/layout/PinLayout.h"

#include <QDropEvent>
#include <QHBoxLayout>
#include <QLoggingCategory>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <cmath>

namespace ql {

namespace {

Q_LOGGING_CATEGORY(holdingLog, "quiverleaf.pasteboard", QtInfoMsg)

const QString viewDataKey = QStringLiteral("viewData");
const QString imageKey = QStringLiteral("image");
// Pictures of very large elements are kept at this many pixels at most on
// their longer side.
constexpr double kLargestPicture = 4096;

// The element drawn at its frame's size, unturned.
QImage pictureOf(const ZVPuttyView& element)
{
    const QSizeF size = element.frame().size();
    if (!(size.width() > 0 && size.height() > 0))
        return {};
    const double scale = std::min(1.0, kLargestPicture / std::max(size.width(), size.height()));
    QImage picture(QSize(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale))),
                   QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    ElementPainter::paintLocal(painter, element);
    return picture;
}

// What is kept of an element: a text box comes back as a fresh box with its
// text and background only.
std::unique_ptr<ZVPuttyView> plainTextCopy(const ZVPuttyView& element)
{
    auto* source = qobject_cast<const ZVTextView*>(element.contentView());
    if (!source)
        return nullptr;
    std::unique_ptr<ZVPuttyView> copy = ZVPuttyView::initWithText();
    auto* text = qobject_cast<ZVTextView*>(copy->contentView());
    text->setBackgroundColor(source->backgroundColor());
    text->setAttributedString(source->attributedString());
    return copy;
}

} // namespace

ZVPasteboardViewController::ZVPasteboardViewController(QObject* parent) : ZVGridBrowserController(parent)
{
    setStore(nullptr);
}

ZVPasteboardViewController::~ZVPasteboardViewController()
{
    if (isViewLoaded()) {
        GVGridView* grid = gridView();
        grid->setDelegate(nullptr);
        grid->setDataSource(nullptr);
    }
}

UserDefaults& ZVPasteboardViewController::store() const
{
    return m_store ? *m_store : ZVDesignHelper::sharedInstance().defaults();
}

void ZVPasteboardViewController::setStore(UserDefaults* store)
{
    m_store = store;
    disconnect(m_storeWatch);
    m_storeWatch = connect(&this->store(), &UserDefaults::changed, this, &ZVPasteboardViewController::storeChanged);
    if (isViewLoaded())
        reload();
}

QVariantList ZVPasteboardViewController::entries() const
{
    return store().arrayForKey(storeKey());
}

std::optional<QVariantMap> ZVPasteboardViewController::entryForElement(ZVPuttyView& element)
{
    std::unique_ptr<ZVPuttyView> textCopy;
    if (element.contentViewType() == ZVPuttyView::TextContent)
        textCopy = plainTextCopy(element);
    const Result<QByteArray> archived = canvas::archiveRootObject(textCopy ? textCopy.get() : &element);
    if (!archived) {
        qCWarning(holdingLog).noquote() << "An element could not be kept:" << archived.error().describe();
        return std::nullopt;
    }
    Image picture;
    if (auto* deep = qobject_cast<ZV3DTextView*>(element.contentView()))
        picture = ZVDesignHelper::imageFromSceneKitView(*deep);
    else
        picture = Image(pictureOf(element));
    const Result<QByteArray> png = picture.encoded(Image::Format::Png);
    return QVariantMap {{viewDataKey, *archived}, {imageKey, png ? *png : QByteArray()}};
}

QPushButton* ZVPasteboardViewController::insertButton()
{
    view();
    return m_insertButton;
}

QPushButton* ZVPasteboardViewController::deleteButton()
{
    view();
    return m_deleteButton;
}

void ZVPasteboardViewController::setGridSelected(bool selected)
{
    if (selected == m_gridSelected)
        return;
    m_gridSelected = selected;
    emit gridSelectedChanged(selected);
}

void ZVPasteboardViewController::buildView(QWidget* view)
{
    m_insertButton = new QPushButton(tr("Insert"), m_actionView);
    m_insertButton->setObjectName(QStringLiteral("insertButton"));
    m_deleteButton = new QPushButton(tr("Delete"), m_actionView);
    m_deleteButton->setObjectName(QStringLiteral("deleteButton"));
    m_actionView->layout()->setContentsMargins(4, 2, 4, 2);
    m_actionView->layout()->addWidget(m_insertButton);
    m_actionView->layout()->addWidget(m_deleteButton);
    connect(m_insertButton, &QPushButton::clicked, this, [this] { insertObject(m_insertButton); });
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { deleteFromPasteboard(m_deleteButton); });
    for (QPushButton* button : {m_insertButton, m_deleteButton}) {
        button->setEnabled(false);
        connect(this, &ZVPasteboardViewController::gridSelectedChanged, button, &QPushButton::setEnabled);
    }
    setup(view);
}

void ZVPasteboardViewController::setup(QWidget* root)
{
    if (m_setUp)
        return;
    m_setUp = true;
    setGridSelected(false);
    GVGridView* grid = m_gridView;
    grid->setDelegate(this);
    grid->setDataSource(this);

    makeItemLayouts();
    m_defaultLayout->backgroundColor = Qt::transparent;
    m_hoverLayout->backgroundColor = Qt::transparent;

    grid->setItemSize(QSizeF(125, 125));
    grid->setScrollElasticity(true);
    m_scrollView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The bottom 30 points hold the buttons.
    autoPinEdgesToSuperviewEdgesWithInsets(m_scrollView, QMarginsF(0, 0, 0, 30));
    autoPinEdge(m_actionView, PinEdge::Top, PinEdge::Bottom, m_scrollView);
    autoPinEdge(m_actionView, PinEdge::Bottom, PinEdge::Bottom, root);
    autoPinEdge(m_actionView, PinEdge::Left, PinEdge::Left, root);
    autoPinEdge(m_actionView, PinEdge::Right, PinEdge::Right, root);

    // Elements dragged in from elsewhere, on a thumbnail or the empty room
    // under them.
    for (QWidget* target : {static_cast<QWidget*>(grid), m_scrollView->viewport()}) {
        target->setAcceptDrops(true);
        target->installEventFilter(this);
    }
    reload();
}

void ZVPasteboardViewController::storeChanged(const QString& key)
{
    if (key == storeKey() && isViewLoaded())
        reload();
}

void ZVPasteboardViewController::reload()
{
    m_entries = entries();
    // The grid itself: this runs while the view is being made too.
    GVGridView* grid = m_gridView;
    if (!grid)
        return;
    grid->reloadDataAnimated(false);
    grid->deselectAllItems();
    // A reload forgets the selection without telling anyone.
    setGridSelected(false);
}

void ZVPasteboardViewController::save(const QVariantList& list)
{
    UserDefaults& defaults = store();
    // Every holding area hears of it and shows the new list.
    defaults.setObject(storeKey(), list);
    defaults.synchronize();
}

std::optional<qint64> ZVPasteboardViewController::selectedEntry()
{
    if (!isViewLoaded())
        return std::nullopt;
    const QList<qint64> selected = gridView()->selectedIndexes();
    if (selected.isEmpty())
        return std::nullopt;
    const qint64 index = selected.first();
    const QVariantList stored = entries();
    // The store changed behind the grid's back: show it, act on nothing.
    if (stored != m_entries) {
        reload();
        return std::nullopt;
    }
    if (index < 0 || index >= stored.size())
        return std::nullopt;
    return index;
}

void ZVPasteboardViewController::addToPasteboard(QObject*)
{
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    if (!page)
        return;
    QVariantList stored = entries();
    for (ZVPuttyView* element : page->activeViews()) {
        const bool highlighted = element->isHighlighted();
        const bool active = element->isActive();
        // The picture shows no selection marks.
        element->setIsHighlighted(false);
        element->setIsActive(false);
        if (const std::optional<QVariantMap> entry = entryForElement(*element)) {
            // Stored after each, so an interruption keeps what was added.
            stored.append(*entry);
            save(stored);
        }
        element->setIsHighlighted(highlighted);
        element->setIsActive(active);
    }
}

void ZVPasteboardViewController::deleteFromPasteboard(QObject*)
{
    const std::optional<qint64> index = selectedEntry();
    if (!index)
        return;
    QVariantList stored = m_entries;
    stored.removeAt(*index);
    save(stored);
}

void ZVPasteboardViewController::insertObject(QObject*)
{
    const std::optional<qint64> index = selectedEntry();
    auto* document = qobject_cast<Document*>(representedObject());
    ZVCanvasView* page = document ? document->currentPage() : nullptr;
    if (!index || !page)
        return;
    std::unique_ptr<ZVPuttyView> read =
        ElementPasteboard::readElement(m_entries.at(*index).toMap().value(viewDataKey).toByteArray());
    if (!read) {
        qCWarning(holdingLog) << "A kept element could not be read.";
        return;
    }
    // A stranger to what it was copied from, as a dropped one is; the page
    // gives it its current layer.
    ElementPasteboard::giveNewIdentities({read.get()});
    ZVPuttyView* element = read.release();
    page->addPuttyView(element);
    page->centerPuttyView(element);
}

bool ZVPasteboardViewController::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return takeDrop(event);
    default:
        return ZVGridBrowserController::eventFilter(watched, event);
    }
}

bool ZVPasteboardViewController::takeDrop(QEvent* event)
{
    auto* drop = static_cast<QDropEvent*>(event);
    // The grid's own thumbnails are already kept.
    const QString elementType = ElementPasteboard::draggedElementType();
    const bool fromElsewhere = drop->source() != m_gridView && drop->mimeData()
                               && drop->mimeData()->hasFormat(elementType)
                               && (drop->possibleActions() & Qt::CopyAction);
    if (!fromElsewhere) {
        drop->ignore();
        return true;
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (event->type() != QEvent::Drop)
        return true;
    const std::unique_ptr<ZVPuttyView> read = ElementPasteboard::readElement(drop->mimeData()->data(elementType));
    if (!read)
        return true;
    if (const std::optional<QVariantMap> entry = entryForElement(*read)) {
        QVariantList stored = entries();
        stored.append(*entry);
        save(stored);
    }
    return true;
}

qint64 ZVPasteboardViewController::numberOfItemsInSection(GVGridView&, int)
{
    return m_entries.size();
}

GVGridViewItem* ZVPasteboardViewController::itemAtIndex(GVGridView& grid, qint64 index, int)
{
    GVGridViewItem* item = reusableItem(grid);
    const QVariantMap entry = m_entries.value(index).toMap();
    // Any picture Qt reads will do; a damaged one shows nothing.
    Result<Image> picture = Image::fromData(entry.value(imageKey).toByteArray());
    item->setItemImage(picture ? *picture : Image());
    item->setItemView(entry.value(viewDataKey).toByteArray());
    return item;
}

void ZVPasteboardViewController::didClickItemAtIndex(GVGridView&, qint64 index, int)
{
    qCDebug(holdingLog, "didClickItemAtIndex: %lli", index);
}

void ZVPasteboardViewController::didDoubleClickItemAtIndex(GVGridView&, qint64 index, int)
{
    qCDebug(holdingLog, "didDoubleClickItemAtIndex: %lli", index);
}

void ZVPasteboardViewController::didActivateContextMenuWithIndexes(GVGridView&, const QList<qint64>& indexes, int)
{
    qCDebug(holdingLog, "rightMouseButtonClickedOnItemAtIndex: %s", qPrintable(indexList(indexes)));
}

void ZVPasteboardViewController::didSelectItemAtIndex(GVGridView&, qint64, int)
{
    setGridSelected(true);
}

void ZVPasteboardViewController::didDeselectItemAtIndex(GVGridView&, qint64 index, int)
{
    qCDebug(holdingLog, "didDeselectItemAtIndex: %lli", index);
}

void ZVPasteboardViewController::willDeselectAllItems(GVGridView&)
{
    setGridSelected(false);
}

} // namespace ql
