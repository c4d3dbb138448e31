#include "panels/templates/ZVTemplateWindowController.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/DocumentBudget.h"
#include "app/document/DocumentController.h"
#include "net/HTS3Manager.h"
#include "panels/controls/ScreenPlacement.h"
#include "panels/templates/TemplateLibrary.h"
#include "platform/runtime/FileReading.h"
#include "platform/ui/Prompter.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QtDebug>

namespace ql {

namespace {

// Library thumbnails are small pictures; anything larger is not one.
constexpr qint64 kLargestThumbnail = TemplateLibrary::kLargestThumbnailFile;

} // namespace

ZVTemplateWindowController::ZVTemplateWindowController(DocumentController& documents,
                                                       std::shared_ptr<HTS3Manager> bucket, QObject* parent)
    : QObject(parent)
    , m_documents(documents)
    , m_bucket(bucket ? std::move(bucket) : std::make_shared<HTS3Manager>())
    , m_savedFolder(ZVDesignHelper::templatesFolder())
{
}

ZVTemplateWindowController::~ZVTemplateWindowController()
{
    if (m_download)
        m_download->cancel();
    if (m_listing)
        m_listing->cancel();
    if (m_grid) {
        m_grid->setDataSource(nullptr);
        m_grid->setDelegate(nullptr);
    }
    delete m_window.data();
}

QWidget* ZVTemplateWindowController::window()
{
    if (!m_window)
        loadWindow();
    return m_window;
}

void ZVTemplateWindowController::loadWindow()
{
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName(windowNibName());
    window->setWindowTitle(tr("Choose a Template"));
    window->resize(900, 600);
    m_window = window;

    m_sourceList = new QListWidget(window);
    m_sourceList->setObjectName(QStringLiteral("sourceList"));
    m_sourceList->setFixedWidth(180);
    connect(m_sourceList, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != m_selectedSource)
            selectSource(row);
    });

    auto* scroll = new QScrollArea(window);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid = new GVGridView;
    m_grid->setObjectName(QStringLiteral("gridView"));
    scroll->setWidget(m_grid);
    m_grid->setItemSize(QSizeF(170, 200));
    m_grid->setBackgroundColor(QColor::fromRgbF(0.93, 0.93, 0.93));
    m_grid->imageCache().setByteLimit(kLargestThumbnail);
    m_grid->setDataSource(this);
    m_grid->setDelegate(this);

    m_statusLabel = new QLabel(window);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->setWordWrap(true);
    m_progress = new QProgressBar(window);
    m_progress->setRange(0, 0);
    m_progress->setMaximumWidth(160);
    m_cancelButton = new QPushButton(tr("Cancel"), window);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(m_cancelButton, &QPushButton::clicked, this, &ZVTemplateWindowController::cancelDownload);
    m_chooseButton = new QPushButton(tr("Choose"), window);
    m_chooseButton->setObjectName(QStringLiteral("chooseButton"));
    m_chooseButton->setDefault(true);
    connect(m_chooseButton, &QPushButton::clicked, this, &ZVTemplateWindowController::chooseTemplate);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_statusLabel, 1);
    bar->addWidget(m_progress);
    bar->addWidget(m_cancelButton);
    bar->addWidget(m_chooseButton);
    auto* right = new QVBoxLayout;
    right->addWidget(scroll, 1);
    right->addLayout(bar);
    auto* layout = new QHBoxLayout(window);
    layout->addWidget(m_sourceList);
    layout->addLayout(right, 1);

    // On the screen of the window it was asked from.
    const QRect screen = ScreenPlacement::availableGeometryOf(QApplication::activeWindow());
    ScreenPlacement::centre(*window, screen, screen);
    m_blank = TemplateLibrary::blankSource();
    rebuildSources();
    updateControls();
}

void ZVTemplateWindowController::showWindow()
{
    window();
    // Templates saved since the last showing appear; replaced thumbnails too.
    m_saved = TemplateLibrary::savedSource(m_savedFolder, m_grid->imageCache().thumbnailSize());
    rebuildSources();
    listLibrary();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void ZVTemplateWindowController::close()
{
    if (m_window)
        m_window->close();
}

void ZVTemplateWindowController::listLibrary()
{
    if (!m_bucket->isConfigured())
        return;
    if (m_listing)
        m_listing->cancel();
    const quint64 generation = ++m_listingGeneration;
    m_listingRuns = true;
    m_statusLabel->setText(tr("Loading the template library…"));
    m_listing = m_bucket->listObjects(this, [this, generation](const Result<QList<S3Object>>& listed) {
        if (generation != m_listingGeneration)
            return;
        m_listing.reset();
        m_listingRuns = false;
        if (listed) {
            m_cloud = TemplateLibrary::cloudSources(*listed, *m_bucket);
            m_statusLabel->clear();
            rebuildSources();
        } else {
            // What was listed before stays; the reason shows in the window.
            m_statusLabel->setText(tr("The template library could not be loaded: %1").arg(listed.error().message));
        }
        emit listingFinished();
    });
}

void ZVTemplateWindowController::rebuildSources()
{
    // The source shown stays shown when it is still there.
    const QString selectedTitle = selectedSource() ? selectedSource()->title : QString();
    const int previous = m_selectedSource;
    m_sources = QList<TemplateSource> {m_blank, m_saved} + m_cloud;
    int selected = 0;
    if (previous >= 0 && previous < m_sources.size() && m_sources[previous].title == selectedTitle) {
        selected = previous;
    } else {
        for (int i = 0; i < m_sources.size(); ++i) {
            if (m_sources[i].title == selectedTitle) {
                selected = i;
                break;
            }
        }
    }
    if (m_sourceList) {
        const QSignalBlocker blocker(m_sourceList);
        m_sourceList->clear();
        for (const TemplateSource& source : m_sources)
            m_sourceList->addItem(source.title);
    }
    m_selectedSource = -1;
    selectSource(selected);
    emit sourcesChanged();
}

const TemplateSource* ZVTemplateWindowController::selectedSource() const
{
    return m_selectedSource >= 0 && m_selectedSource < m_sources.size() ? &m_sources[m_selectedSource] : nullptr;
}

void ZVTemplateWindowController::selectSource(int index)
{
    if (index < 0 || index >= m_sources.size())
        return;
    m_selectedSource = index;
    if (!m_grid)
        return;
    {
        const QSignalBlocker blocker(m_sourceList);
        m_sourceList->setCurrentRow(index);
    }
    m_grid->reloadData();
    updateControls();
}

void ZVTemplateWindowController::updateControls()
{
    if (!m_window)
        return;
    m_progress->setVisible(m_downloading);
    m_cancelButton->setVisible(m_downloading);
    m_chooseButton->setEnabled(!m_downloading && !m_grid->selectedIndexes().isEmpty());
    m_grid->setEnabled(!m_downloading);
    m_sourceList->setEnabled(!m_downloading);
}

// Choosing ---------------------------------------------------------------------

void ZVTemplateWindowController::chooseTemplate()
{
    const QList<qint64> selected = gridView()->selectedIndexes();
    if (!selected.isEmpty())
        chooseTemplateAtIndex(selected.first());
}

void ZVTemplateWindowController::chooseTemplateAtIndex(qint64 index)
{
    const TemplateSource* source = selectedSource();
    if (m_downloading || !source || index < 0 || index >= source->entries.size())
        return;
    const TemplateEntry entry = source->entries[index];
    if (entry.kind != TemplateEntry::Kind::Cloud) {
        openTemplateFile(entry.path, entry.title);
        return;
    }
    const quint64 generation = ++m_downloadGeneration;
    m_downloading = true;
    updateControls();
    m_download = m_bucket->downloadObject(entry.object, this, [this, generation, entry](const Result<QString>& path) {
        if (generation != m_downloadGeneration)
            return;
        m_download.reset();
        m_downloading = false;
        updateControls();
        if (path)
            openTemplateFile(*path, entry.title);
        else
            showError(tr("The template “%1” could not be downloaded.").arg(entry.title), path.error().message);
        emit downloadFinished();
    });
}

void ZVTemplateWindowController::cancelDownload()
{
    if (!m_downloading)
        return;
    if (m_download)
        m_download->cancel();
    m_download.reset();
    ++m_downloadGeneration;
    m_downloading = false;
    updateControls();
    emit downloadFinished();
}

void ZVTemplateWindowController::openTemplateFile(const QString& path, const QString& title)
{
    const Result<QByteArray> data =
        path.isEmpty() ? Result<QByteArray>(Error {}) : readFileWithin(path, DocumentBudget::kMaxBytes);
    if (!data) {
        showError(tr("The template “%1” could not be opened.").arg(title),
                  path.isEmpty()                     ? tr("The file is missing.")
                  : isFileTooLarge(data.error()) ? tr("The file is too large.")
                                                     : data.error().message);
        return;
    }
    // The controller reports a file it cannot read itself.
    m_documents.openUntitledDocumentWithData(*data, kDesktopDocumentType);
}

void ZVTemplateWindowController::showError(const QString& message, const QString& detail)
{
    qWarning().noquote() << message << detail;
    if (Prompter* prompter = m_documents.prompter()) {
        AlertRequest alert;
        alert.messageText = message;
        alert.informativeText = detail;
        prompter->runAlert(alert);
    }
}

// Grid -------------------------------------------------------------------------

qint64 ZVTemplateWindowController::numberOfItemsInSection(GVGridView&, int)
{
    const TemplateSource* source = selectedSource();
    return source ? source->entries.size() : 0;
}

GVGridViewItem* ZVTemplateWindowController::itemAtIndex(GVGridView& grid, qint64 index, int)
{
    auto* item = grid.dequeueReusableItemWithIdentifier(QStringLiteral("GVGridViewItem"));
    if (!item)
        item = new GVGridViewItem(GVGridViewItemLayout::defaultLayout(), QStringLiteral("GVGridViewItem"));
    const TemplateSource* source = selectedSource();
    if (!source || index < 0 || index >= source->entries.size())
        return item;
    const TemplateEntry& entry = source->entries[index];
    item->setItemImageURL(entry.thumbnailURL);
    item->setItemImage(entry.thumbnail);
    item->setItemTitle(entry.title);
    item->setHasShadow(true);
    item->setDisableDragging(true);
    return item;
}

void ZVTemplateWindowController::didDoubleClickItemAtIndex(GVGridView&, qint64 index, int)
{
    chooseTemplateAtIndex(index);
}

void ZVTemplateWindowController::didSelectItemAtIndex(GVGridView&, qint64, int)
{
    updateControls();
}

void ZVTemplateWindowController::didDeselectItemAtIndex(GVGridView&, qint64, int)
{
    updateControls();
}

void ZVTemplateWindowController::willDeselectAllItems(GVGridView&)
{
    updateControls();
}

} // namespace ql
