// What a thumbnail grid asks of its owner: the items (data source) and what
// it tells it about clicks and selection (delegate). Sections are always 0.
#pragma once

#include <QList>
#include <QtGlobal>

namespace ql {

class GVGridView;
class GVGridViewItem;

class GVGridViewDataSource {
public:
    virtual ~GVGridViewDataSource() = default;
    virtual qint64 numberOfItemsInSection(GVGridView& grid, int section) = 0;
    // An item for the row, dequeued from the grid's pool or new; the grid
    // takes it.
    virtual GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int section) = 0;
};

class GVGridViewDelegate {
public:
    virtual ~GVGridViewDelegate() = default;
    virtual void didClickItemAtIndex(GVGridView&, qint64, int) {}
    virtual void didDoubleClickItemAtIndex(GVGridView&, qint64, int) {}
    virtual void didActivateContextMenuWithIndexes(GVGridView&, const QList<qint64>&, int) {}
    virtual void didSelectItemAtIndex(GVGridView&, qint64, int) {}
    virtual void didDeselectItemAtIndex(GVGridView&, qint64, int) {}
    virtual void willDeselectAllItems(GVGridView&) {}
};

} // namespace ql
