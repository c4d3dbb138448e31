#include "app/document/Document.h"

#include "design/ZVDesignHelper.h"
#include "app/document/DocumentArchive.h"
#include "app/document/mobile/MobileImport.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/CanvasHost.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/FontResolver.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <QFileInfo>
#include <algorithm>

namespace ql {

Document::Document(QObject* parent) : KVObject(parent)
{
    initialize();
    connect(&m_undoManager, &UndoManager::changed, this, &Document::documentStateChanged);
    connect(&m_undoManager, &UndoManager::redoActionsDiscarded, this, [this] {
        // The saved state lay ahead, among the steps just thrown away: counting
        // forward again may reach the saved count but never the saved contents.
        if (m_undoManager.changeCount() < m_savedChangeCount)
            m_savedStateLost = true;
    });
    // Undo while drawing first makes the drawing a step: undo takes that.
    connect(&m_undoManager, &UndoManager::willUndoOrRedo, this, &Document::finishOpenDrawings);
}

Document::~Document()
{
    NotificationCenter::defaultCenter().removeObservers(this);
    // Pages go first, while the undo manager they record on still exists.
    m_currentPage = nullptr;
    while (!children().isEmpty())
        delete children().constFirst();
}

void Document::initialize()
{
    // The window's unit fields look these up by name.
    ZVDesignHelper::sharedInstance().registerValueTransformers();
    m_scrollMag = QStringLiteral("100%");
    m_notes = AttributedString();
    m_leftPaneVisible = true;
    m_rightPaneVisible = true;
    m_layoutLayersPaneVisible = true;
    m_pasteboardVisible = false;
    m_rulersVisible = true;
    m_exportFileFormat = 0;
    m_exportFileResolution = 1;
    m_exportResolutionEligible = false;
    m_exportQualityEligible = false;
    m_exportCMYKEligible = false;
    m_exportContentHeight = 320.0;
    m_exportImageQuality = 8;
    m_exportPageRangeType = 0;
}

const PropertyTable& Document::properties() const
{
    static const PropertyTable table = PropertyTableBuilder<Document>(&KVObject::baseTable())
        .field("notes", &Document::m_notes)
        .field("formatAsBooklet", &Document::m_formatAsBooklet)
        .field("pagesType", &Document::m_pagesType, ValueKind::Number)
        .readOnly("masterPages", &Document::masterPageList)
        .property("currentPage", &Document::currentPage, &Document::setCurrentPage)
        .readOnly("pageLabel", &Document::pageLabel)
        .field("previousAvailable", &Document::m_previousAvailable)
        .field("nextAvailable", &Document::m_nextAvailable)
        .field("scrollMag", &Document::m_scrollMag)
        .field("leftPaneVisible", &Document::m_leftPaneVisible)
        .field("rightPaneVisible", &Document::m_rightPaneVisible)
        .field("layoutLayersPaneVisible", &Document::m_layoutLayersPaneVisible)
        .field("pasteboardVisible", &Document::m_pasteboardVisible)
        .field("rulersVisible", &Document::m_rulersVisible)
        .field("exportFileName", &Document::m_exportFileName)
        .field("exportFileFormat", &Document::m_exportFileFormat, ValueKind::Number)
        .field("exportFileResolution", &Document::m_exportFileResolution, ValueKind::Number)
        .field("exportColorSpace", &Document::m_exportColorSpace, ValueKind::Number)
        .field("exportPageRangeType", &Document::m_exportPageRangeType, ValueKind::Number)
        .field("exportPageStart", &Document::m_exportPageStart, ValueKind::Number)
        .field("exportPageEnd", &Document::m_exportPageEnd, ValueKind::Number)
        .field("exportPageCount", &Document::m_exportPageCount, ValueKind::Number)
        .field("exportImageQuality", &Document::m_exportImageQuality, ValueKind::Number)
        .field("exportResolutionEligible", &Document::m_exportResolutionEligible)
        .field("exportCMYKEligible", &Document::m_exportCMYKEligible)
        .field("exportQualityEligible", &Document::m_exportQualityEligible)
        .field("exportContentHeight", &Document::m_exportContentHeight)
        .build();
    return table;
}

void Document::setFilePath(const QString& path)
{
    if (m_filePath == path)
        return;
    m_filePath = path;
    emit documentStateChanged();
}

QString Document::displayName() const
{
    if (!m_filePath.isEmpty())
        return QFileInfo(m_filePath).completeBaseName();
    return m_untitledName.isEmpty() ? QObject::tr("Untitled") : m_untitledName;
}

void Document::setUntitledName(const QString& name)
{
    m_untitledName = name;
    emit documentStateChanged();
}

bool Document::isDocumentEdited() const
{
    return m_editedWithoutUndo || m_savedStateLost || m_undoManager.changeCount() != m_savedChangeCount;
}

void Document::updateChangeCountDone()
{
    m_editedWithoutUndo = true;
    emit documentStateChanged();
}

void Document::updateChangeCountCleared()
{
    m_savedChangeCount = m_undoManager.changeCount();
    m_editedWithoutUndo = false;
    m_savedStateLost = false;
    emit documentStateChanged();
}

void Document::finishOpenDrawings()
{
    for (const QList<ZVCanvasView*>* list : {&m_contentPages, &m_masterPages}) {
        for (ZVCanvasView* page : *list)
            page->finishDrawing();
    }
}

Result<QByteArray> Document::dataOfType(const QString&)
{
    // A drawing open on a page (a stroke, a shape whose points are being
    // edited) is part of the document; its step comes before the save point.
    finishOpenDrawings();
    m_undoManager.closeTurnGroup();
    // Guides moved on the rulers belong in the file too.
    saveCurrentPageMarkers();
    // Whatever type is asked for, documents are written in the desktop format.
    return DocumentArchive::write(*this);
}

Status Document::readFromData(const QByteArray& data, const QString& typeName)
{
    // Loading is not an edit: it must leave nothing to undo.
    UndoRegistrationBlocker blocker(&m_undoManager);
    // A text may name fonts by the hundred thousand; those the machine lacks
    // cost a fontconfig look-up each.
    const FontResolver::AliasBudget fontLookups;
    Status status;
    if (typeName == kDesktopDocumentType)
        status = DocumentArchive::read(*this, data);
    else if (typeName == kMobileDocumentType)
        status = MobileImport::read(*this, data);
    // Any other type reads nothing: the document stays empty and gets its
    // first pages when its window is set up.
    if (status)
        bringWindowForwardSoon();
    return status;
}

void Document::bringWindowForwardSoon()
{
    after(100, this, [this] {
        if (QWidget* window = documentWindow()) {
            window->raise();
            window->activateWindow();
        }
    });
}

void Document::addWindow(QWidget* window)
{
    m_windows.append(window);
}

void Document::removeWindow(QWidget* window)
{
    m_windows.removeAll(window);
}

QList<QWidget*> Document::windows() const
{
    QList<QWidget*> result;
    for (const QPointer<QWidget>& window : m_windows)
        if (window)
            result.append(window);
    return result;
}

QWidget* Document::documentWindow() const
{
    const QList<QWidget*> all = windows();
    return all.size() == 1 ? all.first() : nullptr;
}

void Document::setUpForWindow(bool isNew)
{
    // A read document keeps the booklet flag it was stored with; clearing it
    // here would lose it at the next save.
    if (isNew)
        setFormatAsBooklet(false);
    showFirstPage();
    setValueForKey(u"scrollMag", QObject::tr("Fit Page"));
    // Only choices made for this document switch its pages.
    NotificationCenter::defaultCenter().removeObservers(this);
    NotificationCenter::defaultCenter().addObserver(this, QStringLiteral("openPage"), this,
                                                   [this](const Notification& n) { receiveNotification(n); });
}

void Document::showFirstPage()
{
    {
        // Setting up the first pages is not an edit.
        UndoRegistrationBlocker blocker(&m_undoManager);
        if (m_contentPages.isEmpty())
            m_contentPages.append(newPage());
        if (m_masterPages.isEmpty())
            m_masterPages.append(newPage());
    }
    setPagesType(0);
    setCurrentPage(pages().first());
}

ZVCanvasView* Document::newPage()
{
    auto* page = new ZVCanvasView(this);
    page->setFrame(QRectF(0, 0, 612, 792));
    page->setDocument(this);
    return page;
}

void Document::setPagesType(int type)
{
    m_pages = type == 1 ? &m_masterPages : &m_contentPages;
    changeValue(QStringLiteral("pagesType"), m_pagesType, QVariant(type));
    emit pagesChanged();
}

int Document::indexOfPage(const ZVCanvasView* page) const
{
    return int(pages().indexOf(page));
}

int Document::indexOfMasterPage(const ZVCanvasView* page) const
{
    return int(m_masterPages.indexOf(page));
}

void Document::pageGeometryChanged(ZVCanvasView* page)
{
    if (page && page == m_currentPage)
        setCurrentPage(page);
}

ZVCanvasView* Document::currentPage() const
{
    return m_currentPage.data();
}

void Document::setCurrentPage(ZVCanvasView* page)
{
    // Only a shown page can be current: any other gives way to the first
    // shown page before anything is pointed at it.
    if (page && !pages().contains(page))
        page = pages().isEmpty() ? nullptr : pages().first();
    willChangeValueForKey(QStringLiteral("currentPage"));
    m_currentPage = page;
    didChangeValueForKey(QStringLiteral("currentPage"));
    if (!page)
        return;
    page->setDocument(this);
    ZVDesignHelper::sharedInstance().setCurrentPage(page);
    // The window points its canvas, rulers, layers panel and background
    // picker at the page and redraws it.
    emit currentPageChanged(page);
    showCurrentPageMarkers();
    updatePageCounts();
    page->setCanvasFrames();
    page->layoutPuttyViews();
    NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
    // Whatever page is current by then starts with nothing selected.
    after(10, this, [this] {
        if (ZVCanvasView* current = currentPage())
            current->clearPuttyViews();
    });
}

void Document::updatePageCounts()
{
    if (pages().isEmpty())
        return;
    if (!pages().contains(m_currentPage.data()))
        setCurrentPage(pages().first());
    const qsizetype index = pages().indexOf(m_currentPage.data());
    const int type = m_pagesType.toInt();
    if (type == 0)
        changeValue(QStringLiteral("pageLabel"), m_pageLabel, QStringLiteral("%1 / %2").arg(index + 1).arg(pages().size()));
    else if (type == 1)
        changeValue(QStringLiteral("pageLabel"), m_pageLabel, m_currentPage->masterPageTitle());
    changeValue(QStringLiteral("previousAvailable"), m_previousAvailable, index > 0);
    changeValue(QStringLiteral("nextAvailable"), m_nextAvailable, index < pages().size() - 1);
    NotificationCenter::defaultCenter().post(QStringLiteral("AutoUpdateText"));
}

void Document::previousPage()
{
    const qsizetype index = pages().indexOf(m_currentPage.data());
    if (index >= 1)
        setCurrentPage(pages().at(index - 1));
}

void Document::nextPage()
{
    const qsizetype index = pages().indexOf(m_currentPage.data());
    if (index >= 0 && index < pages().size() - 1)
        setCurrentPage(pages().at(index + 1));
}

void Document::receiveNotification(const Notification& notification)
{
    QList<qsizetype> indexes;
    for (const QVariant& value : notification.userInfo.value(QStringLiteral("indexes")).toList())
        indexes.append(value.toLongLong());
    if (indexes.isEmpty())
        return;
    const qsizetype first = *std::min_element(indexes.begin(), indexes.end());
    if (first < 0 || first >= pages().size())
        return;
    setCurrentPage(pages().at(first));
    if (m_pagesPopover)
        m_pagesPopover->close();
}

QList<ZVPuttyView*> Document::allPuttyViews() const
{
    QList<ZVPuttyView*> elements;
    for (const ZVCanvasView* page : pages())
        elements.append(page->puttyViews());
    return elements;
}

void Document::updateGuideView()
{
    // The overlay is drawn with the page: repainting the canvas repaints it.
    if (CanvasHost* host = canvasHost())
        host->setNeedsDisplay();
}

} // namespace ql
