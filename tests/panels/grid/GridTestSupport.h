// A grid in a scroll area with a data source and delegate that record what
// the grid asks and tells.
#pragma once

#include "panels/grid/GVGridView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace ql::test {

class RecordingGridOwner : public GVGridViewDataSource, public GVGridViewDelegate {
public:
    qint64 count = 0;
    int asked = 0;
    int reused = 0;
    int reusedStillRepresenting = 0;
    QStringList calls;
    QObject marker;
    std::function<void(GVGridViewItem&, qint64)> fill;

    qint64 numberOfItemsInSection(GVGridView&, int) override { return count; }
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int) override
    {
        ++asked;
        GVGridViewItem* item = grid.dequeueReusableItemWithIdentifier(QStringLiteral("GVGridViewItem"));
        if (item) {
            ++reused;
            if (item->representedObject())
                ++reusedStillRepresenting;
        } else {
            item = new GVGridViewItem;
        }
        item->setRepresentedObject(&marker);
        item->setItemTitle(QString::number(index));
        if (fill)
            fill(*item, index);
        return item;
    }
    void didClickItemAtIndex(GVGridView&, qint64 index, int) override { record("click", index); }
    void didDoubleClickItemAtIndex(GVGridView&, qint64 index, int) override { record("double", index); }
    void didActivateContextMenuWithIndexes(GVGridView&, const QList<qint64>& indexes, int) override
    {
        calls.append(QStringLiteral("menu %1").arg(indexes.size()));
    }
    void didSelectItemAtIndex(GVGridView&, qint64 index, int) override { record("select", index); }
    void didDeselectItemAtIndex(GVGridView&, qint64 index, int) override { record("deselect", index); }
    void willDeselectAllItems(GVGridView&) override { calls.append(QStringLiteral("deselectAll")); }

private:
    void record(const char* what, qint64 index) { calls.append(QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(index)); }
};

// A grid of `itemSize` cells in a resizable scroll area of `size`, shown.
struct GridInScrollArea {
    GridInScrollArea(RecordingGridOwner& owner, QSize size, QSizeF itemSize)
    {
        area.setWidgetResizable(true);
        area.setFrameShape(QFrame::NoFrame);
        area.resize(size);
        grid = new GVGridView;
        area.setWidget(grid);
        grid->setItemSize(itemSize);
        grid->setDataSource(&owner);
        grid->setDelegate(&owner);
        grid->reloadData();
        area.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&area));
    }
    ~GridInScrollArea()
    {
        grid->setDataSource(nullptr);
        grid->setDelegate(nullptr);
    }

    QPoint centreOf(qint64 index) const { return grid->rectForItemAtIndex(index).center(); }

    QScrollArea area;
    GVGridView* grid = nullptr;
};

inline void clickGrid(GVGridView* grid, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mousePress(grid, button, modifiers, at);
    QTest::mouseRelease(grid, button, modifiers, at);
}

} // namespace ql::test
