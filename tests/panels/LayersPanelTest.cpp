// The layers panel in a real window: rows top first, clicks, "+", undo,
// restacking by dragging a row (read back from the saved file by plistlib),
// renaming, and the visible and printable switches as the canvas and the
// page-render tool see them.
#include "app/output/OutputTestSupport.h"
#include "app/window/WindowTestSupport.h"

#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/ZVLayoutLayerViewController.h"
#include "PanelTestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace ql;

namespace {

class LayersPanel : public ql::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        background = page->currentLayoutLayer();
        a = page->addLayoutLayer(QStringLiteral("A"));
        b = page->addLayoutLayer(QStringLiteral("B"));
        page->setCurrentLayoutLayer(a);
        red = ql::testing::addFilledRect(*page, QRectF(100, 100, 100, 100), Qt::red);
        page->setCurrentLayoutLayer(b);
        panel = window->controllers().layoutLayerViewController;
        table = panel->tableView();
        window->outlets().layoutLayerPanel->show();
        window->outlets().layoutLayerPanel->resize(300, 300);
        test::endTurn();
    }

    QStringList rows() const
    {
        QStringList names;
        for (int row = 0; row < table->rowCount(); ++row)
            names.append(table->item(row, ZVLayoutLayerViewController::NameColumn)->text());
        return names;
    }
    int selectedRow() const
    {
        const QList<QTableWidgetItem*> chosen = table->selectedItems();
        return chosen.isEmpty() ? -1 : chosen.first()->row();
    }
    QPoint cell(int row, int column) const { return table->visualRect(table->model()->index(row, column)).center(); }
    void click(int row, int column) { QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell(row, column)); }
    QString saved()
    {
        const QString file = path(QStringLiteral("layers.qvleaf"));
        ql::testing::save(*document, file);
        return file;
    }

    ZVPuttyViewGroup* background = nullptr;
    ZVPuttyViewGroup* a = nullptr;
    ZVPuttyViewGroup* b = nullptr;
    ZVPuttyView* red = nullptr;
    ZVLayoutLayerViewController* panel = nullptr;
    QTableWidget* table = nullptr;
};

} // namespace

TEST_F(LayersPanel, RowsTopFirstClickChoosesPlusAddsOnTopAndUndoLeavesTheTopCurrent)
{
    EXPECT_EQ(rows(), QStringList({"B", "A", "Background"}));
    EXPECT_EQ(selectedRow(), 0);
    click(2, ZVLayoutLayerViewController::NameColumn);
    EXPECT_EQ(page->currentLayoutLayer(), background);
    test::endTurn();

    const int steps = document->undoManager()->undoCount();
    QTest::mouseClick(panel->addButton(), Qt::LeftButton);
    EXPECT_EQ(rows(), QStringList({"New Layer", "B", "A", "Background"}));
    EXPECT_EQ(page->currentLayoutLayer(), page->layoutLayers().constLast());
    EXPECT_EQ(selectedRow(), 0);
    test::endTurn();
    EXPECT_EQ(document->undoManager()->undoCount(), steps + 1);

    document->undoManager()->undo();
    EXPECT_EQ(rows(), QStringList({"B", "A", "Background"}));
    EXPECT_EQ(page->currentLayoutLayer(), b) << "the top layer, not the one undone";
    EXPECT_EQ(selectedRow(), 0);
    document->undoManager()->redo();
    EXPECT_EQ(rows(), QStringList({"New Layer", "B", "A", "Background"}));
    document->undoManager()->undo();
    // The next element lands where it is seen.
    ZVPuttyView* next = page->addImage(Image(QImage(40, 40, QImage::Format_ARGB32)));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->layoutLayerGroup(), b);
    EXPECT_TRUE(page->stackedPuttyViews().contains(next));
}

TEST_F(LayersPanel, DraggingARowRestacksTheLayersAsOneUndoStepThatTheFileKeeps)
{
    const QString layerNames = QStringLiteral(
        "[[o[o[u.data]['groupName'].data] for u in o[r['layoutLayers'].data]['NS.objects']]"
        " for r in o if isinstance(r, dict) and '$class' in r"
        " and o[r['$class'].data]['$classname'] == 'ZVCanvasView'][0]");
    const auto fileOrder = [&] {
        return ql::testing::plistlib(saved(), QStringLiteral("(lambda o: %1)(d['$objects'])").arg(layerNames));
    };
    EXPECT_EQ(fileOrder(), QStringLiteral("['Background', 'A', 'B']"));

    // Background, dragged from the bottom row to the top one.
    const QPoint from = cell(2, ZVLayoutLayerViewController::NameColumn);
    const QPoint to = cell(0, ZVLayoutLayerViewController::NameColumn);
    QTest::mousePress(table->viewport(), Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        test::drag(table->viewport(), QPointF(from + (to - from) * step / 4));
    test::release(table->viewport(), to);
    EXPECT_EQ(rows(), QStringList({"Background", "B", "A"}));
    EXPECT_EQ(page->currentLayoutLayer(), background) << "the layer dragged is chosen";
    EXPECT_EQ(fileOrder(), QStringLiteral("['A', 'B', 'Background']"));
    test::endTurn();

    document->undoManager()->undo();
    EXPECT_EQ(rows(), QStringList({"B", "A", "Background"}));
    EXPECT_EQ(fileOrder(), QStringLiteral("['Background', 'A', 'B']"));
}

TEST_F(LayersPanel, DoubleClickRenamesAndANameCannotBeEmptied)
{
    const int steps = document->undoManager()->undoCount();
    const auto rename = [&](const QString& text) {
        // As a hand does it: a click, then the double click.
        const QPoint at = cell(1, ZVLayoutLayerViewController::ThumbnailColumn);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
        auto* editor = table->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr) << "a double click edits the name";
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        test::endTurn();
    };
    rename(QStringLiteral("Pictures"));
    EXPECT_EQ(a->groupName(), QStringLiteral("Pictures"));
    rename(QStringLiteral("   "));
    EXPECT_EQ(a->groupName(), QStringLiteral("Pictures"));
    EXPECT_EQ(rows().at(1), QStringLiteral("Pictures"));
    EXPECT_EQ(document->undoManager()->undoCount(), steps) << "names record no undo";
    EXPECT_TRUE(document->isDocumentEdited());
}

TEST_F(LayersPanel, SwitchesHideFromTheCanvasAndLeaveOutOfPrintWithoutUndo)
{
    ZVPageItem* shown = window->scrollView()->pageItem();
    ASSERT_NE(shown->itemFor(red), nullptr);
    const int steps = document->undoManager()->undoCount();
    red->setIsActive(true);
    page->setFocusedPuttyView(red);

    click(1, ZVLayoutLayerViewController::VisibleColumn);
    EXPECT_FALSE(a->visible());
    EXPECT_EQ(page->currentLayoutLayer(), b) << "a switch does not choose the layer";
    EXPECT_FALSE(page->stackedPuttyViews().contains(red));
    EXPECT_EQ(shown->itemFor(red), nullptr) << "hidden elements leave the canvas";
    EXPECT_FALSE(red->isActive());
    EXPECT_EQ(page->focusedPuttyView(), nullptr);
    click(1, ZVLayoutLayerViewController::VisibleColumn);
    EXPECT_TRUE(a->visible());
    EXPECT_NE(shown->itemFor(red), nullptr);

    // What page-render draws at the square's middle, at 72 dpi.
    const auto printed = [&] {
        const QString out = path(QStringLiteral("out"));
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        const ql::testing::ProgramRun run = ql::testing::pageRender(
            {saved(), out, QStringLiteral("--format"), QStringLiteral("png"), QStringLiteral("--dpi"),
             QStringLiteral("72"), QStringLiteral("--name"), QStringLiteral("page")});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QImage(out + QStringLiteral("/page.png")).pixelColor(150, 150);
    };
    EXPECT_TRUE(ql::testing::isRed(printed()));
    click(1, ZVLayoutLayerViewController::PrintableColumn);
    EXPECT_FALSE(a->printable());
    EXPECT_TRUE(ql::testing::isWhite(printed())) << "a layer that does not print is left out";
    EXPECT_NE(shown->itemFor(red), nullptr) << "but still shown";

    test::endTurn();
    EXPECT_EQ(document->undoManager()->undoCount(), steps) << "switches record no undo";
    EXPECT_TRUE(document->isDocumentEdited());
}
