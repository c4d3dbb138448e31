#include "app/window/DocumentWindow.h"

#include "app/document/Document.h"
#include "app/document/DocumentController.h"
#include "app/window/PagePreview.h"
#include "canvas/ZVCanvasView.h"
#include "platform/runtime/NotificationCenter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>

namespace ql {

DocumentWindow::DocumentWindow(Document& document, DocumentController& controller, bool isNew, QWidget* parent)
    : QMainWindow(parent), m_document(&document), m_controller(controller)
{
    setAttribute(Qt::WA_DeleteOnClose);
    document.addWindow(this);
    document.setUpForWindow(isNew);

    buildFileMenu();
    auto* split = new QSplitter(this);
    m_pageList = new QListWidget(split);
    m_pageList->setMaximumWidth(160);
    m_preview = new PagePreview(split);
    split->setStretchFactor(1, 1);
    setCentralWidget(split);
    // The choice goes to this document only, as the pages panel's does.
    connect(m_pageList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_document && row >= 0)
            NotificationCenter::defaultCenter().post(QStringLiteral("openPage"), m_document,
                                                     {{QStringLiteral("indexes"), QVariantList {row}}});
    });
    connect(&document, &Document::currentPageChanged, this, &DocumentWindow::showCurrentPage);
    connect(&document, &Document::pagesChanged, this, &DocumentWindow::reloadPageList);
    connect(&document, &Document::contentsReplaced, this, &DocumentWindow::reloadPageList);
    reloadPageList();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(initialFrame(screen->availableGeometry()));

    connect(&document, &Document::documentStateChanged, this, &DocumentWindow::updateTitle);
    connect(&controller, &DocumentController::recentDocumentsChanged, this, &DocumentWindow::rebuildRecentMenu);
    updateTitle();
}

DocumentWindow::~DocumentWindow()
{
    if (m_document)
        m_document->removeWindow(this);
}

QRect DocumentWindow::initialFrame(const QRect& visibleFrame)
{
    const int width = int(visibleFrame.width() * 0.9);
    // Offset by the visible frame's origin so that the window stays clear of
    // panels at the screen's top or left edge and on the right screen.
    return QRect(visibleFrame.x() + (visibleFrame.width() - width) / 2, visibleFrame.y(), width, visibleFrame.height());
}

void DocumentWindow::buildFileMenu()
{
    QMenu* file = menuBar()->addMenu(tr("&File"));
    DocumentController& controller = m_controller;
    file->addAction(tr("&New"), QKeySequence(Qt::CTRL | Qt::Key_N), &controller, [&controller] { controller.newDocument(); });
    file->addAction(tr("&Open…"), QKeySequence(Qt::CTRL | Qt::Key_O), &controller, [&controller] { controller.openDocumentFromPanel(); });
    m_recentMenu = file->addMenu(tr("Open &Recent"));
    rebuildRecentMenu();
    file->addAction(tr("&Import…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), &controller,
                    [&controller] { controller.importDocumentFromPanel(); });
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), this, [this] { close(); });
    file->addAction(tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), this, [this] {
        if (m_document)
            m_controller.saveDocument(m_document);
    });
    file->addAction(tr("Save &As…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), this, [this] {
        if (m_document)
            m_controller.saveDocumentAs(m_document);
    });
    m_revertAction = file->addAction(tr("Re&vert to Saved"), this, [this] {
        if (m_document)
            m_controller.revertDocumentToSaved(m_document);
    });
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), &controller, [&controller] {
        if (controller.closeAllDocuments())
            QApplication::quit();
    });
}

void DocumentWindow::rebuildRecentMenu()
{
    m_recentMenu->clear();
    const QStringList paths = m_controller.recentDocumentPaths();
    for (const QString& path : paths)
        m_recentMenu->addAction(QFileInfo(path).fileName(), &m_controller,
                                [this, path] { m_controller.openDocumentWithContentsOfFile(path); });
    if (!paths.isEmpty())
        m_recentMenu->addSeparator();
    QAction* clear = m_recentMenu->addAction(tr("Clear Menu"), &m_controller, [this] { m_controller.clearRecentDocuments(); });
    clear->setEnabled(!paths.isEmpty());
}

void DocumentWindow::updateTitle()
{
    if (!m_document)
        return;
    setWindowTitle(m_document->displayName() + QStringLiteral("[*] — Quiverleaf"));
    setWindowModified(m_document->isDocumentEdited());
    setWindowFilePath(m_document->filePath());
    m_revertAction->setEnabled(!m_document->filePath().isEmpty() && m_document->isDocumentEdited());
}

void DocumentWindow::reloadPageList()
{
    if (!m_document)
        return;
    const QSignalBlocker blocker(m_pageList);
    m_pageList->clear();
    const bool masters = m_document->pagesType().toInt() == 1;
    const QList<ZVCanvasView*>& pages = m_document->pages();
    for (qsizetype i = 0; i < pages.size(); ++i)
        m_pageList->addItem(masters ? pages[i]->masterPageTitle() : tr("Page %1").arg(i + 1));
    showCurrentPage();
}

void DocumentWindow::showCurrentPage()
{
    if (!m_document)
        return;
    ZVCanvasView* page = m_document->currentPage();
    m_preview->setPage(page);
    const QSignalBlocker blocker(m_pageList);
    const qsizetype row = m_document->pages().indexOf(page);
    if (row >= m_pageList->count())
        reloadPageList();
    else
        m_pageList->setCurrentRow(int(row));
}

void DocumentWindow::closeEvent(QCloseEvent* event)
{
    // Closing the window closes the document; the user may cancel that.
    if (m_document && m_controller.documents().contains(m_document.data()) && !m_controller.closeDocument(m_document)) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace ql
