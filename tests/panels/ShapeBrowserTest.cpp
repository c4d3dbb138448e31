#include "app/document/DocumentTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVImageView.h"
#include "panels/browsers/ZVShapeContentViewController.h"
#include "platform/runtime/Deferred.h"
#include "platform/undo/UndoManager.h"
#include "PanelTestSupport.h"
#include "shapes/ZVVectorView.h"

#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QDir>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <memory>

using namespace ql;

namespace {

QImage bitmap(int width, int height)
{
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(Qt::black);
    return picture;
}

class ShapeBrowserTest : public ql::testing::DocumentFixture {
protected:
    ShapeBrowserTest()
    {
        // Icons of the test's own: a file, a folder with its small picture
        // beside it, and a damaged file.
        QDir(icons.path()).mkpath(QStringLiteral("b"));
        bitmap(64, 64).save(icons.filePath(QStringLiteral("a.png")));
        bitmap(32, 32).save(icons.filePath(QStringLiteral("b_sm.png")));
        bitmap(200, 100).save(icons.filePath(QStringLiteral("b/b.png")));
        ql::testing::writeFile(icons.filePath(QStringLiteral("c.png")), QByteArrayLiteral("not a picture"));
        savedIcons = ZVDesignHelper::sharedInstance().iconsFolder();
        ZVDesignHelper::sharedInstance().setIconsFolder(icons.path());
        document = controller.newDocument();
        window = qobject_cast<DocumentWindow*>(document->documentWindow());
        DeferredCalls::instance().flush();
        browser = window->controllers().shapeContentVC;
        grid = browser->gridView();
        window->show();
        // The pane is shown so that the grid makes its visible items.
        QWidget* pane = browser->view();
        pane->show();
        browser->scrollView()->resize(216, 600);
        QCoreApplication::processEvents();
    }
    ~ShapeBrowserTest() override { ZVDesignHelper::sharedInstance().setIconsFolder(savedIcons); }

    ZVCanvasView* page() const { return document->currentPage(); }
    qsizetype elements() const { return page()->puttyViews().size(); }
    ZVPuttyView* last() const { return page()->puttyViews().last(); }
    void choose(qint64 index)
    {
        grid->selectItemAtIndex(index);
        ASSERT_NE(grid->itemAtIndex(index), nullptr);
    }

    QTemporaryDir icons;
    QString savedIcons;
    Document* document = nullptr;
    DocumentWindow* window = nullptr;
    ZVShapeContentViewController* browser = nullptr;
    GVGridView* grid = nullptr;
};

} // namespace

TEST_F(ShapeBrowserTest, ModesListShapesGlyphsAndSymbols)
{
    EXPECT_EQ(browser->shapePickerMode(), 0);
    EXPECT_EQ(grid->numberOfItems(), 28);
    EXPECT_EQ(grid->itemSize(), QSizeF(100, 100));
    EXPECT_EQ(grid->itemAtIndex(0)->itemName(), QStringLiteral("circle"));
    EXPECT_EQ(browser->glyphs(), (QStringList {"a.png", "b", "c.png"}));
    EXPECT_EQ(browser->shapePicker()->count(), 3);
    EXPECT_FALSE(browser->insertButton()->isEnabled());

    browser->shapePicker()->setCurrentIndex(1);
    EXPECT_EQ(browser->shapePickerMode(), 1);
    EXPECT_EQ(grid->numberOfItems(), 3);
    GVGridViewItem* file = grid->itemAtIndex(0);
    EXPECT_EQ(file->itemURL(), QUrl::fromLocalFile(icons.filePath(QStringLiteral("a.png"))));
    EXPECT_EQ(file->itemImage().pixelSize(), QSize(64, 64));
    GVGridViewItem* folder = grid->itemAtIndex(1);
    EXPECT_EQ(folder->itemURL(), QUrl::fromLocalFile(icons.filePath(QStringLiteral("b/b.png"))));
    EXPECT_EQ(folder->itemImage().pixelSize(), QSize(32, 32)) << "the small picture beside the folder";
    EXPECT_TRUE(grid->itemAtIndex(2)->itemImage().isNull()) << "a damaged glyph shows an empty cell";

    browser->setShapePickerMode(2);
    EXPECT_EQ(grid->numberOfItems(), 636);
    EXPECT_FALSE(grid->itemAtIndex(0)->itemImage().isNull());
    browser->setShapePickerMode(3);
    EXPECT_EQ(grid->numberOfItems(), 0);

    // A mode change clears the selection but keeps the insert button's state.
    browser->setShapePickerMode(0);
    choose(3);
    EXPECT_TRUE(browser->insertEligible());
    EXPECT_TRUE(browser->insertButton()->isEnabled());
    browser->setShapePickerMode(1);
    EXPECT_TRUE(grid->selectedItems().isEmpty());
    EXPECT_TRUE(browser->insertEligible());
}

TEST_F(ShapeBrowserTest, InsertsShapesCentredActiveAndUndoable)
{
    ASSERT_EQ(page()->frame().size(), QSizeF(612, 792));
    browser->insertShape();
    EXPECT_EQ(elements(), 0) << "nothing selected, nothing inserted";

    choose(10);
    browser->insertButton()->click();
    ASSERT_EQ(elements(), 1);
    ZVPuttyView* star = last();
    EXPECT_EQ(star->frame(), QRectF(156, 246, 300, 300));
    EXPECT_EQ(star->contentViewType(), ZVPuttyView::VectorContent);
    EXPECT_EQ(qobject_cast<ZVVectorView*>(star->contentView())->shapeName(), QStringLiteral("star"));
    EXPECT_TRUE(star->isActive());
    EXPECT_EQ(page()->focusedPuttyView(), star);
    ql::test::endTurn();
    document->undoManager()->undo();
    EXPECT_EQ(elements(), 0) << "one undo removes it";
    document->undoManager()->redo();
    EXPECT_EQ(elements(), 1);

    // A double click inserts what is selected; several selected shapes come
    // in on one centre, the last alone active.
    grid->setAllowsMultipleSelection(true);
    grid->deselectAllItems();
    choose(0);
    choose(2);
    choose(27);
    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, grid->rectForItemAtIndex(2).center());
    ASSERT_EQ(elements(), 4);
    const QList<ZVPuttyView*> added = page()->puttyViews().mid(1);
    int active = 0;
    for (ZVPuttyView* element : added) {
        EXPECT_EQ(element->frame(), QRectF(156, 246, 300, 300));
        active += element->isActive() ? 1 : 0;
    }
    EXPECT_EQ(active, 1);
    EXPECT_TRUE(page()->focusedPuttyView()->isActive());
    EXPECT_TRUE(added.contains(page()->focusedPuttyView()));
}

TEST_F(ShapeBrowserTest, InsertsGlyphsAndSymbolsAsPictures)
{
    browser->setShapePickerMode(1);
    choose(0);
    browser->insertShape();
    ASSERT_EQ(elements(), 1);
    EXPECT_EQ(last()->frame(), QRectF(234, 324, 144, 144));
    EXPECT_EQ(last()->contentViewType(), ZVPuttyView::ImageContent);
    EXPECT_EQ(page()->focusedPuttyView(), last());

    choose(1);
    browser->insertShape();
    ASSERT_EQ(elements(), 2);
    EXPECT_EQ(last()->frame(), QRectF(166, 306, 280, 180)) << "the folder's full-size picture";

    choose(2);
    browser->insertShape();
    EXPECT_EQ(elements(), 2) << "an unreadable glyph inserts nothing";

    browser->setShapePickerMode(2);
    choose(0);
    const QSizeF symbol = grid->itemAtIndex(0)->itemImage().size();
    browser->insertShape();
    ASSERT_EQ(elements(), 3);
    QSizeF expected = symbol;
    if (expected.width() >= 0.9 * 612)
        expected = QSizeF(306, expected.height() * 306 / expected.width());
    if (expected.height() >= 0.9 * 792)
        expected = QSizeF(expected.width() * 396 / expected.height(), 396);
    EXPECT_NEAR(last()->frame().width(), expected.width() + 80, 0.01);
    EXPECT_NEAR(last()->frame().height(), expected.height() + 80, 0.01);
    EXPECT_NEAR(last()->frame().center().x(), 306, 0.01);

    const int before = int(elements());
    const qint64 blank = browser->symbols().indexOf(QString());
    ASSERT_GE(blank, 0);
    grid->deselectAllItems();
    choose(blank);
    browser->insertShape();
    EXPECT_EQ(elements(), before) << "the empty symbol has no picture and inserts nothing";

    browser->setShapePickerMode(3);
    browser->insertShape();
    EXPECT_EQ(elements(), before);
}

TEST_F(ShapeBrowserTest, InsertMenuTagPlacesTheLibraryShape)
{
    document->insertShapeWithIndex(27);
    ASSERT_TRUE(QTest::qWaitFor([&] { return elements() == 1; }, 5000)) << "a moment later";
    EXPECT_EQ(qobject_cast<ZVVectorView*>(last()->contentView())->shapeName(), QStringLiteral("hLine"));
    EXPECT_EQ(last()->frame(), QRectF(156, 246, 300, 300));
    EXPECT_TRUE(browser->view()->isVisible()) << "the shape pane is shown";
    document->insertShapeWithIndex(28);
    QTest::qWait(150);
    EXPECT_EQ(elements(), 1) << "no such entry, nothing inserted";
}

TEST_F(ShapeBrowserTest, AStarDraggedFromTheGridLandsCentredOnTheDropPoint)
{
    ZVScrollView* canvas = window->scrollView();
    canvas->setMagnification(1.0);
    QCoreApplication::processEvents();
    GVGridViewItem* star = grid->itemAtIndex(10);
    ASSERT_NE(star, nullptr);
    ASSERT_EQ(star->itemName(), QStringLiteral("star"));
    // The payload the grid hands the platform when the drag starts.
    const std::unique_ptr<QMimeData> payload(star->dragPayload());
    const QPointF local = canvas->mapFromPage(QPointF(300, 400));
    QDragEnterEvent enter(local.toPoint(), Qt::CopyAction, payload.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas->viewport(), &enter);
    QDropEvent drop(local, Qt::CopyAction, payload.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(canvas->viewport(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    ASSERT_EQ(elements(), 1);
    EXPECT_EQ(qobject_cast<ZVVectorView*>(last()->contentView())->shapeName(), QStringLiteral("star"));
    EXPECT_EQ(last()->frame(), QRectF(160, 260, 280, 280));
}
