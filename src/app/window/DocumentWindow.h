// The first, small document window: the current page, a list to switch
// pages, and the File menu. It shows a document; the document controller
// creates and closes it.
#pragma once

#include <QMainWindow>
#include <QPointer>

class QListWidget;
class QMenu;

namespace ql {

class Document;
class PagePreview;
class DocumentController;

class DocumentWindow : public QMainWindow {
    Q_OBJECT
public:
    DocumentWindow(Document& document, DocumentController& controller, bool isNew, QWidget* parent = nullptr);
    ~DocumentWindow() override;

    Document* document() const { return m_document; }
    QListWidget* pageList() const { return m_pageList; }
    PagePreview* pagePreview() const { return m_preview; }

    // 90 % of the screen's visible width and its full height, centred.
    static QRect initialFrame(const QRect& visibleFrame);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildFileMenu();
    void rebuildRecentMenu();
    void updateTitle();
    void reloadPageList();
    void showCurrentPage();

    QPointer<Document> m_document;
    DocumentController& m_controller;
    QMenu* m_recentMenu = nullptr;
    QAction* m_revertAction = nullptr;
    QListWidget* m_pageList = nullptr;
    PagePreview* m_preview = nullptr;
};

} // namespace ql
