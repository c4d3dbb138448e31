#include "app/document/Document.h"

#include "app/document/DocumentArchive.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <QFileInfo>

namespace ql {

Document::Document(QObject* parent) : KVObject(parent)
{
    initialize();
    connect(&m_undoManager, &UndoManager::changed, this, &Document::documentStateChanged);
}

Document::~Document()
{
    NotificationCenter::defaultCenter().removeObservers(this);
}

void Document::initialize()
{
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
    return m_editedWithoutUndo || m_undoManager.changeCount() != m_savedChangeCount;
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
    emit documentStateChanged();
}

Result<QByteArray> Document::dataOfType(const QString&)
{
    // Whatever type is asked for, documents are written in the desktop format.
    return DocumentArchive::write(*this);
}

Status Document::readFromData(const QByteArray& data, const QString& typeName)
{
    Status status;
    if (typeName == kDesktopDocumentType)
        status = DocumentArchive::read(*this, data);
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
    changeValue(QStringLiteral("pagesType"), m_pagesType, QVariant(0));
}

} // namespace ql
