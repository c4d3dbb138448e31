// The holding area: elements the user keeps aside to reuse in any document,
// after restarts too. They live in the user defaults under "pasteboard", a
// list (oldest first) of entries holding the archived element ("viewData")
// and its picture ("image", PNG), shown as a grid of thumbnails. Copying to
// the holding area adds each active element of the current page; Insert puts
// a copy of the selected one on the current page, Delete removes it; a
// thumbnail dragged onto the page lands there, and elements dragged onto the
// grid from elsewhere are kept. Every holding area (one per window) shows
// each change of the store at once.
#pragma once

#include "panels/browsers/ZVGridBrowserController.h"

#include <QPointer>
#include <QVariantMap>
#include <optional>

class QPushButton;
class ZVPuttyView;

namespace ql {

class UserDefaults;

class ZVPasteboardViewController : public ZVGridBrowserController,
                                   public GVGridViewDataSource,
                                   public GVGridViewDelegate {
    Q_OBJECT
public:
    static QString storeKey() { return QStringLiteral("pasteboard"); }

    explicit ZVPasteboardViewController(QObject* parent = nullptr);
    ~ZVPasteboardViewController() override;

    // Where the entries are kept: the program's user defaults unless set.
    UserDefaults& store() const;
    void setStore(UserDefaults* store);
    // The stored entries, oldest first; none when there are none.
    QVariantList entries() const;
    // The entry that keeps an element (a plain copy of a text box's text and
    // background, the element itself otherwise, and its picture); none when
    // it cannot be archived.
    static std::optional<QVariantMap> entryForElement(ZVPuttyView& element);

    QPushButton* insertButton();
    QPushButton* deleteButton();

    // Whether a thumbnail is selected; the buttons follow it.
    bool gridSelected() const { return m_gridSelected; }
    void setGridSelected(bool selected);

    // Keeps each active element of the current page, stored after each.
    void addToPasteboard(QObject* sender);
    // Removes the selected entry; nothing without one.
    void deleteFromPasteboard(QObject* sender = nullptr);
    // A copy of the selected entry's element, with an identity of its own,
    // on the current page's current layer, centred; the entry stays.
    void insertObject(QObject* sender = nullptr);

    // Grid data source.
    qint64 numberOfItemsInSection(GVGridView& grid, int section) override;
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int section) override;
    // Grid delegate.
    void didClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDoubleClickItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didActivateContextMenuWithIndexes(GVGridView& grid, const QList<qint64>& indexes, int section) override;
    void didSelectItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void didDeselectItemAtIndex(GVGridView& grid, qint64 index, int section) override;
    void willDeselectAllItems(GVGridView& grid) override;

signals:
    void gridSelectedChanged(bool selected);

protected:
    QString title() const override { return tr("Pasteboard"); }
    void buildView(QWidget* view) override;
    // Elements dropped on the grid.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setup(QWidget* root);
    void storeChanged(const QString& key);
    // Shows the store as it is, nothing selected.
    void reload();
    void save(const QVariantList& entries);
    // The selected entry's place, while the grid still shows the store.
    std::optional<qint64> selectedEntry();
    bool takeDrop(QEvent* event);

    QPointer<UserDefaults> m_store;
    QMetaObject::Connection m_storeWatch;
    // What the grid shows.
    QVariantList m_entries;
    QPushButton* m_insertButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    bool m_gridSelected = false;
    bool m_setUp = false;
};

} // namespace ql
