#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/PagePreview.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVBackgroundView.h"

#include <QListWidget>

#include <QMenuBar>
#include <QTest>

using namespace ql;
using DocumentWindowTest = ql::testing::DocumentFixture;

TEST_F(DocumentWindowTest, FrameIsNinetyPercentWideFullHeightAndCentred)
{
    EXPECT_EQ(DocumentWindow::initialFrame(QRect(0, 0, 1000, 700)), QRect(50, 0, 900, 700));
    EXPECT_EQ(DocumentWindow::initialFrame(QRect(1920, 30, 1000, 670)), QRect(1970, 30, 900, 670))
        << "kept within the visible area of the screen it is on";
}

TEST_F(DocumentWindowTest, FileMenuHasTheDocumentCommandsAndTheirKeys)
{
    Document* document = controller.newDocument();
    auto* window = qobject_cast<DocumentWindow*>(document->documentWindow());
    ASSERT_NE(window, nullptr);
    QStringList titles;
    QMenu* file = window->menuBar()->actions().first()->menu();
    ASSERT_NE(file, nullptr);
    for (QAction* action : file->actions())
        if (!action->isSeparator())
            titles.append(action->text().remove(QLatin1Char('&')));
    EXPECT_EQ(titles, (QStringList{"New", "Open…", "Open Recent", "Import…", "Close", "Save", "Save As…",
                                   "Revert to Saved", "Quit"}));

    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(controller.documents().size(), 2) << "Ctrl+N makes a new document";
    Document* second = controller.documents().last();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second->documentWindow()));
    QTest::keyClick(second->documentWindow(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(controller.documents().size(), 1) << "Ctrl+W closes it";

    EXPECT_EQ(window->windowTitle(), QStringLiteral("Untitled[*] — Quiverleaf"));
}

TEST_F(DocumentWindowTest, PageListSwitchesThePageShownInItsOwnWindowOnly)
{
    Document* document = controller.newDocument();
    Document* other = controller.newDocument();
    document->contentPages().append(document->newPage());
    document->contentPages().append(document->newPage());
    document->setPagesType(0);
    auto* window = qobject_cast<DocumentWindow*>(document->documentWindow());
    ASSERT_NE(window, nullptr);
    QListWidget* list = window->pageList();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Page 3"));
    EXPECT_EQ(list->currentRow(), 0);

    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(document->currentPage(), document->contentPages()[2]);
    EXPECT_EQ(window->pagePreview()->page(), document->contentPages()[2]);
    EXPECT_EQ(other->currentPage(), other->contentPages()[0]);

    document->previousPage();
    EXPECT_EQ(list->currentRow(), 1) << "the list follows page changes made elsewhere";
}

TEST_F(DocumentWindowTest, PreviewDrawsThePageBackgroundAndElements)
{
    Document* document = controller.newDocument();
    ZVCanvasView* page = document->currentPage();
    page->backgroundView()->setBackgroundColor(QVariant::fromValue(ql::Color::deviceRgb(0, 0, 1)));
    page->backgroundView()->setBackgroundType(ZVBackgroundView::Colour);
    QImage red(8, 8, QImage::Format_ARGB32);
    red.fill(Qt::red);
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithImage(ql::Image(red));
    element->setFrame(QRectF(0, 0, 612 / 2 + 80, 792 + 80).translated(-40, -40));
    page->addPuttyView(element.release());

    auto* window = qobject_cast<DocumentWindow*>(document->documentWindow());
    PagePreview* preview = window->pagePreview();
    preview->resize(400, 500);
    const QImage shot = preview->grab().toImage();
    const QRectF shown = preview->pageRect();
    ASSERT_FALSE(shown.isEmpty());
    const QPoint leftHalf = QPointF(shown.left() + shown.width() * 0.25, shown.center().y()).toPoint();
    const QPoint rightHalf = QPointF(shown.left() + shown.width() * 0.75, shown.center().y()).toPoint();
    EXPECT_EQ(QColor(shot.pixel(leftHalf)), QColor(Qt::red)) << "the picture element covers the left half";
    EXPECT_EQ(QColor(shot.pixel(rightHalf)), QColor(Qt::blue)) << "the page background shows on the right";
}
