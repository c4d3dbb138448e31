// Scrolling the thumbnail grid by rows and by pages, with 1,000 and 10,000
// items: each iteration scrolls once and draws the visible area, one frame.
// A QListView in icon mode with the same thumbnails scrolls in the same run
// as the yardstick: same outer size and viewport, same 100-point cells in
// two columns, 88-point pictures. Plain cases render the whole viewport
// into an image on both sides; "Shown" cases let the window repaint what
// the scroll exposed, as on screen (the list view moves its pixels and
// paints the new row, the grid is repainted where it moved).
// The symbols case renders each symbol as its cell is made, as the shape
// browser does.
#include "design/ZVDesignHelper.h"
#include "panels/grid/GVGridView.h"
#include "shapes/library/ZVShapeLibrary.h"

#include <QApplication>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardItemModel>
#include <benchmark/benchmark.h>
#include "QtBenchmarkMain.h"

using namespace ql;

namespace {

const QList<Image>& thumbnails()
{
    static const QList<Image> pictures = [] {
        QList<Image> made;
        for (const ZVLibraryShape& shape : ZVShapeLibrary::build())
            made.append(ZVShapeLibrary::thumbnail(shape));
        return made;
    }();
    return pictures;
}

class Source : public GVGridViewDataSource {
public:
    Source(qint64 count, bool symbols) : m_count(count), m_symbols(symbols) {}
    qint64 numberOfItemsInSection(GVGridView&, int) override { return m_count; }
    GVGridViewItem* itemAtIndex(GVGridView& grid, qint64 index, int) override
    {
        GVGridViewItem* item = grid.dequeueReusableItemWithIdentifier(QStringLiteral("GVGridViewItem"));
        if (!item)
            item = new GVGridViewItem;
        if (m_symbols) {
            const QStringList& symbols = ZVDesignHelper::symbols();
            item->setItemImage(ZVDesignHelper::imageWithCharacter(symbols.at(index % symbols.size())));
        } else {
            item->setItemImage(thumbnails().at(index % thumbnails().size()));
        }
        return item;
    }

private:
    qint64 m_count;
    bool m_symbols;
};

// Both views: wide enough that their viewports (216 wide) hold two columns
// of cells; at 216 outside the list view's viewport held only one, and it
// drew half the thumbnails the grid drew.
const QSize kViewSize(232, 600);
constexpr int kColumns = 2;

// Scrolls one step (a row or a page), wrapping at the end, and draws.
void frame(QAbstractScrollArea& area, int step, QImage& canvas, bool shown)
{
    QScrollBar* bar = area.verticalScrollBar();
    int next = bar->value() + step;
    if (next > bar->maximum())
        next = 0;
    bar->setValue(next);
    if (shown)
        QCoreApplication::processEvents();
    else
        area.viewport()->render(&canvas);
}

void gridScroll(benchmark::State& state, bool pages, bool symbols, bool shown = false)
{
    Source source(state.range(0), symbols);
    QScrollArea area;
    area.setWidgetResizable(true);
    area.resize(kViewSize);
    auto* grid = new GVGridView;
    area.setWidget(grid);
    grid->setItemSize(QSizeF(100, 100));
    grid->setDataSource(&source);
    grid->reloadData();
    area.show();
    QCoreApplication::processEvents();
    QImage canvas(area.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    if (grid->numberOfColumns() != kColumns)
        state.SkipWithError("the grid does not show two columns");
    const int step = pages ? area.viewport()->height() : 100;
    for (auto _ : state)
        frame(area, step, canvas, shown);
    grid->setDataSource(nullptr);
}

void listScroll(benchmark::State& state, bool pages, bool shown = false)
{
    QStandardItemModel model;
    QList<QIcon> icons;
    for (const Image& picture : thumbnails())
        icons.append(QIcon(QPixmap::fromImage(picture.bitmap())));
    for (qint64 index = 0; index < state.range(0); ++index)
        model.appendRow(new QStandardItem(icons.at(index % icons.size()), QString()));
    QListView view;
    view.setViewMode(QListView::IconMode);
    view.setUniformItemSizes(true);
    view.setGridSize(QSize(100, 100));
    view.setIconSize(QSize(88, 88));
    view.setModel(&model);
    view.resize(kViewSize);
    view.show();
    QCoreApplication::processEvents();
    QImage canvas(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const int step = pages ? view.viewport()->height() : 100;
    // The list view scrolls by pixels here, as the grid does.
    view.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    if (view.indexAt(QPoint(150, 50)).row() != kColumns - 1)
        state.SkipWithError("the list view does not show two columns");
    for (auto _ : state)
        frame(view, step, canvas, shown);
}

void BM_GridRows(benchmark::State& state) { gridScroll(state, false, false); }
void BM_GridPages(benchmark::State& state) { gridScroll(state, true, false); }
void BM_GridSymbolPages(benchmark::State& state) { gridScroll(state, true, true); }
void BM_ListViewRows(benchmark::State& state) { listScroll(state, false); }
void BM_ListViewPages(benchmark::State& state) { listScroll(state, true); }
void BM_GridRowsShown(benchmark::State& state) { gridScroll(state, false, false, true); }
void BM_ListViewRowsShown(benchmark::State& state) { listScroll(state, false, true); }
void BM_GridPagesShown(benchmark::State& state) { gridScroll(state, true, false, true); }
void BM_ListViewPagesShown(benchmark::State& state) { listScroll(state, true, true); }

} // namespace

BENCHMARK(BM_GridRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListViewRows)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridPages)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListViewPages)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridRowsShown)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListViewRowsShown)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridPagesShown)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListViewPagesShown)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSymbolPages)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return runQtBenchmarks<QApplication>(argc, argv);
}
