// The page inspector's "Master Page" choice: "None" and the document's master
// pages by their letters, showing the current page's master; a choice links
// the current content page to it as one undoable edit. Master pages have no
// master of their own, so the choice is closed while they are shown.
#pragma once

#include <QObject>
#include <QPointer>

class QComboBox;
class ZVCanvasView;

namespace ql {

class Document;

class MasterPagePopup : public QObject {
    Q_OBJECT
public:
    // Fills and follows `popup`, which stays the caller's.
    explicit MasterPagePopup(QComboBox* popup, QObject* parent = nullptr);
    ~MasterPagePopup() override;

    void setDocument(Document* document);
    // Rebuilds the titles and shows the current page's master.
    void refresh();

signals:
    // After every refresh: the current page or its master may be another.
    void refreshed();

private:
    void choose(int index);
    ZVCanvasView* contentPage() const;

    QPointer<QComboBox> m_popup;
    QPointer<Document> m_document;
};

} // namespace ql
