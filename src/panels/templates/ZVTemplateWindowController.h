// The template chooser: a window with the sources on the left (blank pages,
// the user's own templates, the library's folders) and their thumbnails in a
// grid. Double clicking a template, or Choose, opens it as a new untitled
// document; library templates are downloaded first, which can be cancelled.
// The window is made hidden and shown on request; each showing reads the
// user's templates again and lists the library in the background.
#pragma once

#include "panels/grid/GVGridView.h"
#include "panels/templates/TemplateSource.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace ql {

class DocumentController;
class HTHTTPTask;
class HTS3Manager;

class ZVTemplateWindowController : public QObject, public GVGridViewDataSource, public GVGridViewDelegate {
    Q_OBJECT
public:
    // Without a bucket, the one this build names.
    explicit ZVTemplateWindowController(DocumentController& documents, std::shared_ptr<HTS3Manager> bucket = nullptr,
                                        QObject* parent = nullptr);
    ~ZVTemplateWindowController() override;

    static QString windowNibName() { return QStringLiteral("ZVTemplateWindowController"); }

    // Reads the user's templates again, starts listing the library and
    // shows the window.
    void showWindow();
    // The window, made hidden on first request.
    QWidget* window();
    bool isWindowLoaded() const { return !m_window.isNull(); }
    void close();

    // Where the user's templates are read from (default: the design helper's).
    void setSavedTemplatesFolder(const QString& folder) { m_savedFolder = folder; }

    const QList<TemplateSource>& sources() const { return m_sources; }
    int selectedSourceIndex() const { return m_selectedSource; }
    void selectSource(int index);
    const TemplateSource* selectedSource() const;

    GVGridView* gridView() { window(); return m_grid; }
    QListWidget* sourceList() { window(); return m_sourceList; }
    QPushButton* chooseButton() { window(); return m_chooseButton; }
    QPushButton* cancelButton() { window(); return m_cancelButton; }
    QLabel* statusLabel() { window(); return m_statusLabel; }

    // Opens the template shown at `index` (downloading it first when it
    // comes from the library); Choose does this for the selected one.
    void chooseTemplateAtIndex(qint64 index);
    void chooseTemplate();
    bool isDownloading() const { return m_downloading; }
    void cancelDownload();
    bool isListing() const { return m_listingRuns; }

    // Grid.
    qint64 numberOfItemsInSection(GVGridView& grid, int section) override;
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDoubleClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didSelectItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDeselectItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void willDeselectAllItems(GVGridView& grid) override;

signals:
    void sourcesChanged();
    // A library listing or download ended (successfully or not).
    void listingFinished();
    void downloadFinished();

private:
    void loadWindow();
    void listLibrary();
    void rebuildSources();
    void updateControls();
    void openTemplateFile(const QString& path, const QString& title);
    void showError(const QString& message, const QString& detail);

    DocumentController& m_documents;
    std::shared_ptr<HTS3Manager> m_bucket;
    QString m_savedFolder;
    QPointer<QWidget> m_window;
    QListWidget* m_sourceList = nullptr;
    GVGridView* m_grid = nullptr;
    QLabel* m_statusLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_chooseButton = nullptr;
    TemplateSource m_blank;
    TemplateSource m_saved;
    QList<TemplateSource> m_cloud;
    QList<TemplateSource> m_sources;
    int m_selectedSource = 0;
    std::shared_ptr<HTHTTPTask> m_listing;
    std::shared_ptr<HTHTTPTask> m_download;
    bool m_downloading = false;
    bool m_listingRuns = false;
    // Results of a cancelled or replaced request are dropped by these.
    quint64 m_downloadGeneration = 0;
    quint64 m_listingGeneration = 0;
};

} // namespace ql
