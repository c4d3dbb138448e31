#include "GridTestSupport.h"

#include "platform/runtime/NotificationCenter.h"

#include <QPaintEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::test;

TEST(GridView, AsksOnlyForVisibleRowsAndReusesPooledItems)
{
    RecordingGridOwner owner;
    owner.count = 1000;
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridView* grid = view.grid;
    EXPECT_EQ(grid->numberOfItems(), 1000);
    EXPECT_LE(owner.asked, 10) << "only the rows in view are made";
    EXPECT_GE(owner.asked, 8);
    const int columns = grid->numberOfColumns();
    EXPECT_EQ(columns, 2);
    EXPECT_EQ(grid->height(), 500 * 100) << "as tall as its rows";

    QScrollBar* bar = view.area.verticalScrollBar();
    for (int step = 0; step < 40; ++step)
        bar->setValue(bar->value() + 37);
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    // Only the rows shown remain, and later rows came from the pool.
    const int rowsShown = (view.area.viewport()->height() + 99) / 100 + 1;
    EXPECT_LE(grid->visibleItems().size(), rowsShown * columns);
    EXPECT_EQ(grid->visibleItems().lastKey(), 999);
    for (GVGridViewItem* item : grid->visibleItems())
        EXPECT_TRUE(item->isVisible());
    EXPECT_GT(owner.reused, 0);
    EXPECT_EQ(owner.reusedStillRepresenting, 0) << "a pooled item comes out without its represented object";
    const QList<GVGridViewItem*> children = grid->findChildren<GVGridViewItem*>();
    EXPECT_LE(children.size(), 3 * rowsShown * columns) << "items are reused, not piled up";

    bar->setValue(0);
    QCoreApplication::processEvents();
    owner.count = 5;
    owner.reused = 0;
    grid->reloadData();
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->numberOfItems(), 5);
    EXPECT_EQ(grid->visibleItems().size(), 5);
    EXPECT_EQ(owner.reused, 0) << "a reload empties the pool";
    EXPECT_EQ(grid->findChildren<GVGridViewItem*>().size(), 5);
}

TEST(GridView, ClicksSelectAndTellTheDelegate)
{
    RecordingGridOwner owner;
    owner.count = 20;
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridView* grid = view.grid;

    clickGrid(grid, view.centreOf(1));
    EXPECT_EQ(owner.calls, (QStringList {"click 1", "select 1"}));
    EXPECT_TRUE(grid->itemAtIndex(1)->selected());
    owner.calls.clear();
    clickGrid(grid, view.centreOf(2));
    EXPECT_EQ(owner.calls, (QStringList {"click 2", "deselect 1", "select 2"}));
    EXPECT_EQ(grid->selectedIndexes(), (QList<qint64> {2}));
    owner.calls.clear();
    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, view.centreOf(2));
    EXPECT_TRUE(owner.calls.contains(QStringLiteral("double 2")));

    // Arrows move a single selection: right, then down a row.
    owner.calls.clear();
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->selectedIndexes(), (QList<qint64> {3}));
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->selectedIndexes(), (QList<qint64> {5}));
    EXPECT_EQ(owner.calls, (QStringList {"deselect 2", "select 3", "deselect 3", "select 5"}));

    // A right click selects what it is on and opens the menu for the selection.
    owner.calls.clear();
    clickGrid(grid, view.centreOf(0), Qt::RightButton);
    EXPECT_EQ(owner.calls, (QStringList {"click 0", "deselect 5", "select 0", "menu 1"}));

    // Multiple selection adds with Ctrl and spans with Shift.
    grid->setAllowsMultipleSelection(true);
    clickGrid(grid, view.centreOf(3), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(grid->selectedIndexes(), (QList<qint64> {0, 3}));
    clickGrid(grid, view.centreOf(5), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(grid->selectedIndexes(), (QList<qint64> {0, 3, 4, 5}));
    clickGrid(grid, view.centreOf(3), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(grid->selectedIndexes(), (QList<qint64> {0, 4, 5}));

    // Empty space below the last row deselects everything at once.
    owner.calls.clear();
    owner.count = 3;
    grid->reloadData();
    clickGrid(grid, view.centreOf(0));
    owner.calls.clear();
    clickGrid(grid, QPoint(50, 350));
    EXPECT_EQ(owner.calls, (QStringList {"deselectAll"}));
    EXPECT_TRUE(grid->selectedItems().isEmpty());
}

TEST(GridView, DeselectingAllTellsOnceAndLeavesOtherGridsAlone)
{
    RecordingGridOwner owner;
    owner.count = 6;
    RecordingGridOwner otherOwner;
    otherOwner.count = 6;
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GridInScrollArea other(otherOwner, QSize(216, 400), QSizeF(100, 100));
    view.grid->setAllowsMultipleSelection(true);
    view.grid->selectItemAtIndex(0);
    view.grid->selectItemAtIndex(4);
    other.grid->selectItemAtIndex(2);

    QList<QObject*> senders;
    QObject context;
    NotificationCenter::defaultCenter().addObserver(&context, QStringLiteral("GVGridViewDeSelectAllItems"), nullptr,
                                                    [&](const Notification& note) { senders.append(note.sender); });
    owner.calls.clear();
    view.grid->deselectAllItems();
    EXPECT_EQ(senders, (QList<QObject*> {view.grid}));
    EXPECT_EQ(owner.calls, (QStringList {"deselectAll"})) << "no per-item calls";
    EXPECT_FALSE(view.grid->itemAtIndex(0)->selected());
    EXPECT_FALSE(view.grid->itemAtIndex(4)->selected());
    EXPECT_TRUE(other.grid->itemAtIndex(2)->selected()) << "another grid's items follow their own grid";
    EXPECT_EQ(other.grid->selectedIndexes(), (QList<qint64> {2}));

    owner.calls.clear();
    view.grid->deselectAllItems();
    EXPECT_EQ(senders.size(), 1) << "nothing selected, nothing posted";
    EXPECT_TRUE(owner.calls.isEmpty());
}

TEST(GridView, SelectedItemsStayOutOfThePoolWhileScrolledAway)
{
    RecordingGridOwner owner;
    owner.count = 200;
    GridInScrollArea view(owner, QSize(216, 300), QSizeF(100, 100));
    GVGridView* grid = view.grid;
    grid->selectItemAtIndex(0);
    GVGridViewItem* selected = grid->itemAtIndex(0);
    view.area.verticalScrollBar()->setValue(5000);
    QCoreApplication::processEvents();
    EXPECT_FALSE(grid->visibleItems().contains(0));
    EXPECT_EQ(grid->selectedItems(), (QList<GVGridViewItem*> {selected}));
    EXPECT_TRUE(selected->selected());
    view.area.verticalScrollBar()->setValue(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->itemAtIndex(0), selected) << "the selected item comes back as it was";
    EXPECT_TRUE(selected->selected());
}

TEST(GridView, PointerHoversOneItemAtATime)
{
    RecordingGridOwner owner;
    owner.count = 4;
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridView* grid = view.grid;
    QTest::mouseMove(grid, view.centreOf(0));
    EXPECT_TRUE(grid->itemAtIndex(0)->hovered());
    QTest::mouseMove(grid, view.centreOf(1));
    EXPECT_FALSE(grid->itemAtIndex(0)->hovered());
    EXPECT_TRUE(grid->itemAtIndex(1)->hovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(grid, &leave);
    EXPECT_FALSE(grid->itemAtIndex(1)->hovered());
}

TEST(GridView, ScrolledAwayItemsHideAndKeptItemsFollowAWidthChange)
{
    RecordingGridOwner owner;
    owner.count = 1000;
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridView* grid = view.grid;
    QScrollBar* bar = view.area.verticalScrollBar();
    const auto onlyVisibleItemsShownInTheirCells = [&] {
        for (GVGridViewItem* child : grid->findChildren<GVGridViewItem*>()) {
            const bool listed = grid->itemAtIndex(child->index()) == child;
            EXPECT_EQ(child->isVisible(), listed) << "item " << child->index();
            if (listed) {
                EXPECT_EQ(child->geometry(), grid->rectForItemAtIndex(child->index()));
            }
        }
    };
    // By a page (every row replaced), by part of a row, then back up.
    for (int step : {400, 400, 37, 137, -900}) {
        bar->setValue(bar->value() + step);
        QCoreApplication::processEvents();
        onlyVisibleItemsShownInTheirCells();
    }
    view.area.resize(330, 400);
    QCoreApplication::processEvents();
    EXPECT_EQ(grid->numberOfColumns(), 3);
    onlyVisibleItemsShownInTheirCells();
}

TEST(GridView, TheGridDrawsEachCellAsTheCellWouldAndRepaintsCellsThatChange)
{
    // The two grabs differ only in whether they keep an alpha channel.
    const auto argb = [](const QPixmap& drawn) { return drawn.toImage().convertToFormat(QImage::Format_ARGB32); };
    RecordingGridOwner owner;
    owner.count = 100;
    owner.fill = [](GVGridViewItem& item, qint64 index) {
        QImage bitmap(30 + int(index % 7) * 10, 40, QImage::Format_ARGB32_Premultiplied);
        bitmap.fill(QColor::fromHsv(int(index * 37 % 360), 200, 200, 180));
        item.setItemImage(Image(bitmap));
        if (index % 3 == 0)
            item.setItemTitle(QString());
    };
    GridInScrollArea view(owner, QSize(216, 400), QSizeF(100, 100));
    GVGridView* grid = view.grid;
    // Part rows at both edges, one cell selected and another under the pointer.
    view.area.verticalScrollBar()->setValue(450);
    QCoreApplication::processEvents();
    const qint64 first = grid->visibleItems().firstKey();
    clickGrid(grid, view.centreOf(first + 2));
    QTest::mouseMove(grid, view.centreOf(first + 3));
    ASSERT_TRUE(grid->itemAtIndex(first + 3)->hovered());
    for (GVGridViewItem* item : grid->visibleItems())
        EXPECT_EQ(argb(grid->grab(item->geometry())), argb(item->grab())) << "item " << item->index();

    // A cell's change of look reaches the screen through the grid.
    struct PaintSpy : QObject {
        QRegion painted;
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Paint)
                painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } spy;
    grid->installEventFilter(&spy);
    QTest::mouseMove(grid, view.centreOf(first + 4));
    const auto repainted = [&](qint64 index) { return QRegion(grid->rectForItemAtIndex(index)).subtracted(spy.painted).isEmpty(); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return repainted(first + 3) && repainted(first + 4); }, 5000));
    EXPECT_FALSE(spy.painted.intersects(grid->rectForItemAtIndex(first))) << "only the cells that changed";
}
