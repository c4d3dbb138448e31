// The pages popover's content: a row of thumbnails of the pages the window
// shows, the current page selected. A double click or Return asks for the
// chosen page with the "openPage" notification; the add button appends a new
// page like the current one, which Undo takes out again.
#pragma once

#include "panels/ViewController.h"

#include <QPointer>
#include <QSize>

class QListWidget;
class QToolButton;
class ZVCanvasView;

namespace ql {

class Document;

class ZVPagesViewController : public ViewController {
    Q_OBJECT
public:
    // The popover's content size, in points.
    static constexpr QSize kContentSize {500, 150};

    explicit ZVPagesViewController(QObject* parent = nullptr);

    Document* document() const;
    // The document whose shown pages the row holds.
    void setDocument(Document* document);
    // The pages shown, in order; none once the document is gone.
    QList<ZVCanvasView*> pages() const;

    // Fills the row from the pages, then the document updates its counter.
    void reload();
    // Posts "openPage" with the selected positions, the document as sender.
    void openPage();
    // A new page at the end of the shown list, made current.
    void addPage();

    QListWidget* collectionView();
    QToolButton* addButton();

protected:
    QWidget* loadView() override;

private:
    void selectCurrentPage();

    QPointer<Document> m_document;
    QPointer<QListWidget> m_collection;
    QPointer<QToolButton> m_addButton;
};

} // namespace ql
