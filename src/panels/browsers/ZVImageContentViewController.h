// The image browser of the content pane: "Open…" asks for one picture file
// and puts it on the current page; the grid keeps the pictures opened in
// this window, to be put on the page again by a double click or a drag.
#pragma once

#include "panels/browsers/ZVGridBrowserController.h"
#include "platform/graphics/Image.h"

#include <QUrl>

class QPushButton;

namespace ql {

class ZVImageContentViewController : public ZVGridBrowserController,
                                     public GVGridViewDataSource,
                                     public GVGridViewDelegate {
    Q_OBJECT
public:
    struct OpenedPicture {
        QUrl url;
        QString title;
        Image thumbnail;
    };

    explicit ZVImageContentViewController(QObject* parent = nullptr);

    // A panel that leaves the window usable, for one file of the allowed
    // picture types; the picture chosen becomes a centred, active image
    // element of the current page. A file that is no picture adds nothing
    // and says so. The panel starts where the last one's file was chosen,
    // else beside the document, else in the pictures folder.
    void openFile(QObject* sender = nullptr);
    // The same for a file already chosen; false when nothing was added.
    bool insertFile(const QString& path);

    QPushButton* openButton();
    const QList<OpenedPicture>& openedPictures() const { return m_opened; }

    // Grid data source and delegate.
    qint64 numberOfItemsInSection(GVGridView& grid, int section) override;
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDoubleClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;

protected:
    QString title() const override { return tr("Images"); }
    void buildView(QWidget* view) override;

private:
    void remember(const QString& path, const Image& picture);

    QPushButton* m_openButton = nullptr;
    QList<OpenedPicture> m_opened;
    QString m_lastFolder;
};

} // namespace ql
