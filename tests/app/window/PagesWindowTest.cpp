// The window's side of pages: the Page menu and its validation, what a page
// switch re-points, the master-page ground, the pages popover and the page
// inspector's apply button.
#include "../document/DocumentTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVElementItem.h"
#include "canvas/view/ZVPageItem.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "panels/ZVLayoutLayerViewController.h"
#include "panels/ZVPagesViewController.h"
#include "panels/controls/Popover.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "panels/inspectors/ZVPageSettingsController.h"
#include "platform/runtime/Deferred.h"
#include "platform/runtime/NotificationCenter.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolButton>

using namespace ql;

namespace {

class PagesWindow : public ql::testing::DocumentFixture {
protected:
    void open(int pages)
    {
        document = controller.newDocument();
        window = qobject_cast<DocumentWindow*>(document->documentWindow());
        ASSERT_NE(window, nullptr);
        while (document->contentPages().size() < pages)
            document->contentPages().append(document->newPage());
        document->setCurrentPage(document->contentPages().first());
        DeferredCalls::instance().flush();
    }
    QAction* item(const char* path) const { return window->menus().itemAtPath(QString::fromUtf8(path)); }
    bool enabled(const char* path) const
    {
        QAction* action = item(path);
        return action && window->menus().validateMenuItem(action);
    }
    // Opens the popover from the strip's page button.
    Popover* popover()
    {
        window->outlets().pageExplorer->click();
        return qobject_cast<Popover*>(document->pagesPopover());
    }
    static ZVPagesViewController* contentOf(Popover* popover)
    {
        return popover ? qobject_cast<ZVPagesViewController*>(popover->contentViewController()) : nullptr;
    }
    static bool closes(const QPointer<Popover>& popover)
    {
        return QTest::qWaitFor([&] { return popover.isNull() || !popover->isVisible(); }, 5000);
    }

    Document* document = nullptr;
    DocumentWindow* window = nullptr;
};

} // namespace

TEST_F(PagesWindow, PageMenuValidatesByThePageList)
{
    open(1);
    QStringList titles;
    for (QAction* action : window->menus().pageMenu()->actions())
        if (!action->isSeparator())
            titles.append(action->text());
    EXPECT_EQ(titles, (QStringList {"Previous Page", "Next Page", "Pages…", "Insert Page Before", "Insert Page After",
                                    "Delete Page", "Show Master Pages", "Insert Vertical Guide",
                                    "Insert Horizontal Guide", "Delete Guides"}));
    EXPECT_FALSE(enabled("Page/Delete Page")) << "the only page cannot go";
    EXPECT_FALSE(enabled("Page/Previous Page"));
    EXPECT_FALSE(enabled("Page/Next Page"));

    item("Page/Insert Page After")->trigger();
    item("Page/Insert Page After")->trigger();
    EXPECT_EQ(document->pageLabel(), QStringLiteral("3 / 3"));
    EXPECT_EQ(window->outlets().pageLabel->text(), QStringLiteral("3 / 3"));
    EXPECT_TRUE(enabled("Page/Delete Page"));
    EXPECT_TRUE(enabled("Page/Previous Page"));
    EXPECT_FALSE(enabled("Page/Next Page"));
    item("Page/Previous Page")->trigger();
    item("Page/Previous Page")->trigger();
    EXPECT_EQ(document->currentPage(), document->contentPages()[0]);
    EXPECT_FALSE(enabled("Page/Previous Page"));
    EXPECT_TRUE(enabled("Page/Next Page"));

    // Delete asks through the controller's prompter.
    prompter.answerAlert(0);
    item("Page/Next Page")->trigger();
    item("Page/Delete Page")->trigger();
    EXPECT_EQ(document->contentPages().size(), 2);
    EXPECT_EQ(prompter.alerts.size(), 1);

    const QColor grey = window->scrollView()->surroundColor();
    item("Page/Show Master Pages")->trigger();
    EXPECT_EQ(document->currentPage(), document->masterPages()[0]);
    EXPECT_EQ(window->outlets().pageLabel->text(), QStringLiteral("A"));
    EXPECT_EQ(window->scrollView()->surroundColor(), QColor(0xD1, 0xEE, 0xFC)) << "masters are edited on light blue";
    ASSERT_NE(item("Page/Show Content Pages"), nullptr) << "the title flips";
    EXPECT_FALSE(enabled("Page/Delete Page")) << "one master";
    item("Page/Show Content Pages")->trigger();
    EXPECT_EQ(window->scrollView()->surroundColor(), grey);
    EXPECT_NE(item("Page/Show Master Pages"), nullptr);
}

TEST_F(PagesWindow, APageSwitchRepointsRulersPanelAndPicker)
{
    open(2);
    ZVCanvasView* bled = document->contentPages()[1];
    bled->setValueForKey(u"fullBleed", true);
    ZVRulerView* horizontal = window->scrollView()->horizontalRulerView();
    ZVRulerView* vertical = window->scrollView()->verticalRulerView();
    const auto expectShown = [&](ZVCanvasView* page, double origin) {
        EXPECT_EQ(window->scrollView()->documentView(), page);
        EXPECT_EQ(horizontal->clientView(), page);
        EXPECT_EQ(vertical->clientView(), page);
        EXPECT_EQ(horizontal->originOffset(), origin);
        EXPECT_EQ(vertical->originOffset(), origin);
        EXPECT_EQ(window->controllers().layoutLayerViewController->currentPage(), page);
        EXPECT_EQ(window->controllers().pageSettingsController->backgroundPicker()->background(), page->backgroundView());
        EXPECT_EQ(ZVDesignHelper::sharedInstance().currentPage(), page);
    };
    window->outlets().nextPage->click();
    expectShown(bled, 9.0);
    window->outlets().previousPage->click();
    expectShown(document->contentPages()[0], 0.0);

    // A master with full bleed moves the rulers' zero for the pages using it.
    ZVCanvasView* master = document->masterPages()[0];
    master->setValueForKey(u"fullBleed", true);
    master->setValueForKey(u"bleedMargin", 12.0);
    document->contentPages()[0]->setMasterPage(master);
    document->setCurrentPage(document->contentPages()[0]);
    expectShown(document->contentPages()[0], 12.0);

    // A page of no shown list never reaches them.
    ZVCanvasView* stranger = document->newPage();
    document->setCurrentPage(stranger);
    expectShown(document->contentPages()[0], 12.0);
}

TEST_F(PagesWindow, AMastersPageNumberBoxShowsTheShownPagesNumber)
{
    open(3);
    ZVCanvasView* master = document->masterPages()[0];
    for (ZVCanvasView* page : document->contentPages())
        page->setMasterPage(master);
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    box->setFrame(QRectF(100, 100, 300, 60).adjusted(-40, -40, 40, 40));
    master->addPuttyView(box);
    auto* field = qobject_cast<ZVTextView*>(box->contentView());
    ASSERT_TRUE(field);
    field->setTextViewType(ZVTextView::PageNumber);
    // The number boxes the canvas draws for the shown page.
    const auto shown = [this] {
        DeferredCalls::instance().flush();
        QStringList texts;
        for (ZVElementItem* drawn : window->scrollView()->pageItem()->elementItems()) {
            const auto* text = qobject_cast<const ZVTextView*>(drawn->element()->contentView());
            if (text && text->isPageNumber())
                texts.append(text->string());
        }
        return texts;
    };
    document->setCurrentPage(document->contentPages()[1]);
    EXPECT_EQ(shown(), QStringList {QStringLiteral("Page 2 of 3")});
    EXPECT_FALSE(document->contentPages()[1]->puttyViews().contains(box));

    // The box's settings reach the page: numbered from the second page on.
    field->setValueForKey(u"startPage", 2);
    EXPECT_EQ(shown(), QStringList {QStringLiteral("Page 1 of 2")});
    EXPECT_EQ(DeferredCalls::instance().pendingCount(), 0) << "a fresh copy leaves the box as it was";
    // Another page counts at once; each page shows its own number.
    item("Page/Insert Page After")->trigger();
    document->setCurrentPage(document->contentPages()[2]);
    document->contentPages()[2]->setMasterPage(master);
    EXPECT_EQ(shown(), QStringList {QStringLiteral("Page 2 of 3")});
}

TEST_F(PagesWindow, PopoverShowsThumbnailsAndOpensTheChosenPage)
{
    open(3);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    Document* other = controller.newDocument();
    window->activateWindow();
    document->setCurrentPage(document->contentPages()[1]);
    QPointer<Popover> shown = popover();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->size(), QSize(500, 150));
    QToolButton* explorer = window->outlets().pageExplorer;
    // The screen is narrower than the window's popover wants beside the
    // button: it stays on the screen all the same.
    EXPECT_TRUE(explorer->screen()->availableGeometry().contains(shown->geometry()));
    QListWidget* row = contentOf(shown)->collectionView();
    ASSERT_EQ(row->count(), 3);
    EXPECT_EQ(row->currentRow(), 1) << "the current page selected";
    EXPECT_FALSE(row->item(0)->icon().isNull());
    EXPECT_EQ(row->item(2)->text(), QStringLiteral("3"));

    // An index past the end changes nothing; another document's notice neither.
    NotificationCenter::defaultCenter().post(QStringLiteral("openPage"), document,
                                             {{QStringLiteral("indexes"), QVariantList {4, 3}}});
    NotificationCenter::defaultCenter().post(QStringLiteral("openPage"), other,
                                             {{QStringLiteral("indexes"), QVariantList {0}}});
    EXPECT_EQ(document->currentPage(), document->contentPages()[1]);
    QCoreApplication::processEvents();
    ASSERT_FALSE(shown.isNull());
    EXPECT_TRUE(shown->isVisible());

    // A double click on the third thumbnail.
    const QPoint third = row->visualItemRect(row->item(2)).center();
    QTest::mouseClick(row->viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(row->viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(document->currentPage(), document->contentPages()[2]);
    EXPECT_TRUE(closes(shown));

    // Return on the selection; the smallest position counts.
    shown = popover();
    row = contentOf(shown)->collectionView();
    row->clearSelection();
    row->item(1)->setSelected(true);
    row->item(0)->setSelected(true);
    row->setCurrentItem(row->item(1), QItemSelectionModel::NoUpdate);
    QTest::keyClick(row, Qt::Key_Return);
    EXPECT_EQ(document->currentPage(), document->contentPages()[0]);
    EXPECT_TRUE(closes(shown));

    // A new popover replaces the open one.
    QPointer<Popover> first = popover();
    QPointer<Popover> second = popover();
    EXPECT_NE(first, second);
    EXPECT_TRUE(closes(first));
    EXPECT_TRUE(second->isVisible());
    // A click anywhere else closes it.
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, QPoint(5, window->height() - 5));
    EXPECT_TRUE(closes(second));
}

TEST_F(PagesWindow, PopoverAddIsOneUndoableStep)
{
    open(3);
    ZVCanvasView* before = document->contentPages()[1];
    document->setCurrentPage(before);
    before->setValueForKey(u"rightMargin", 50.0);
    QCoreApplication::processEvents();
    const int stepsBefore = document->undoManager()->undoCount();

    Popover* shown = popover();
    ZVPagesViewController* pages = contentOf(shown);
    ASSERT_NE(pages, nullptr);
    pages->addButton()->click();
    ASSERT_EQ(document->contentPages().size(), 4);
    ZVCanvasView* added = document->contentPages().last();
    EXPECT_EQ(document->currentPage(), added);
    EXPECT_EQ(added->rightMargin(), 50.0);
    EXPECT_EQ(pages->collectionView()->count(), 4);
    EXPECT_EQ(pages->collectionView()->currentRow(), 3);
    EXPECT_EQ(document->pageLabel(), QStringLiteral("4 / 4"));
    QCoreApplication::processEvents();
    EXPECT_EQ(document->undoManager()->undoCount(), stepsBefore + 1);

    document->undoManager()->undo();
    EXPECT_EQ(document->contentPages().size(), 3);
    EXPECT_TRUE(document->deletedPages().contains(added));
    EXPECT_EQ(document->currentPage(), before) << "back to the page current before";
    EXPECT_EQ(before->rightMargin(), 50.0) << "one step: the add alone";
    EXPECT_EQ(pages->collectionView()->count(), 3);

    document->undoManager()->redo();
    ASSERT_EQ(document->contentPages().size(), 4);
    EXPECT_EQ(document->contentPages()[3], added) << "back in its place";
    EXPECT_FALSE(document->deletedPages().contains(added));
    EXPECT_EQ(document->currentPage(), added);
    shown->close();
}

TEST_F(PagesWindow, ApplyButtonCopiesTheSettingsToEveryShownPage)
{
    open(3);
    ZVCanvasView* current = document->contentPages()[2];
    document->setCurrentPage(current);
    current->setValueForKey(u"bottomMargin", 72.0);
    current->setValueForKey(u"showMarginGuides", true);
    QAbstractButton* apply = window->outlets().applyButton;
    ASSERT_NE(apply, nullptr);
    EXPECT_EQ(apply, window->controllers().pageSettingsController->applyButton());
    apply->click();
    for (ZVCanvasView* page : document->contentPages()) {
        EXPECT_EQ(page->bottomMargin(), 72.0);
        EXPECT_TRUE(page->valueForKey(u"showMarginGuides").toBool());
    }
    EXPECT_EQ(document->masterPages()[0]->bottomMargin(), 36.0) << "masters are not shown";
}

TEST_F(PagesWindow, ASelectedBoxsBadgeOffersEveryPageAndTheChosenOneGetsTheLinkedBox)
{
    open(3);
    window->resize(1400, 1000);
    ZVCanvasView* first = document->contentPages().first();
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    first->addPuttyView(box);
    box->setFrame(QRectF(100, 100, 300, 200));
    DeferredCalls::instance().flush();
    ZVScrollView* view = window->scrollView();
    for (const QPointF point : {QPointF(250, 200), box->mapToPage(QPointF(260, 70))}) { // the box, its badge
        view->ensureVisible(QRectF(point, QSizeF(1, 1)), 40, 40);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromPage(point).toPoint());
    }
    QMenu* menu = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* shown = qobject_cast<QMenu*>(widget); shown && shown->isVisible())
                menu = shown->title() == QLatin1String("Add Linked Text Box") ? shown : menu;
        return menu != nullptr;
    }, 5000));
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions().at(2)->text(), QStringLiteral("Page 3"));
    menu->actions().at(2)->trigger();
    menu->close();
    const QList<ZVPuttyView*> added = document->contentPages().at(2)->puttyViews();
    ASSERT_EQ(added.size(), 1);
    ZVCanvasView* third = document->contentPages().at(2);
    const double margin = third->templateView()->leftMargin() + third->effectiveBleedMargin();
    EXPECT_EQ(added.first()->contentFrame(), QRectF(margin, 140, 220, 120)) << "its text starts on that page's margin";
    EXPECT_EQ(box->textGroup()->groupedViews(), (QStringList {box->uuid(), added.first()->uuid()}));
}
