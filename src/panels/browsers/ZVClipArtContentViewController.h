// The clip-art browser of the content pane: Return in the search field asks
// the clip-art service (the user default "clipArtHost"; empty: no search)
// for the first page of results, "More" for the next one. The results fill
// the grid with their thumbnails and titles; a double click downloads the
// picture and puts it on the current page. Only the latest question's
// answer counts; an answer overtaken by a newer question is dropped.
#pragma once

#include "panels/browsers/ClipArtAnswer.h"
#include "panels/browsers/ZVGridBrowserController.h"

#include <QPointer>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ql {

class HTHTTPTask;
struct HTHTTPResponse;

class ZVClipArtContentViewController : public ZVGridBrowserController,
                                       public GVGridViewDataSource,
                                       public GVGridViewDelegate {
    Q_OBJECT
public:
    // Pictures larger than this are not downloaded.
    static constexpr qint64 kPictureByteLimit = qint64(64) * 1024 * 1024;

    explicit ZVClipArtContentViewController(QObject* parent = nullptr);
    ~ZVClipArtContentViewController() override;

    QLineEdit* searchField();
    QPushButton* moreButton();
    // What the browser last had to say: searching, nothing found, a failure.
    QLabel* statusField();

    // The first page of results for the field's text.
    void searchClipArt();
    // The next page of the same search.
    void searchMore();
    // Downloads the picture of a result and puts it on the current page.
    void insertItem(qint64 index);

    const QList<ClipArtItem>& items() const { return m_items; }
    bool isSearching() const { return m_task != nullptr; }

    // Grid data source and delegate.
    qint64 numberOfItemsInSection(GVGridView& grid, int section) override;
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDoubleClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;

protected:
    QString title() const override { return tr("Clip Art"); }
    void buildView(QWidget* view) override;

private:
    void requestPage(int page);
    void answered(int page, const Result<HTHTTPResponse>& response);
    void say(const QString& text);
    void updateMoreButton();

    QPointer<QLineEdit> m_searchField;
    QPointer<QPushButton> m_moreButton;
    QPointer<QLabel> m_statusField;
    QString m_query;
    int m_page = 0;
    bool m_morePossible = false;
    QList<ClipArtItem> m_items;
    // Each question gets a new number; answers to older ones are dropped.
    quint64 m_question = 0;
    std::shared_ptr<HTHTTPTask> m_task;
};

} // namespace ql
