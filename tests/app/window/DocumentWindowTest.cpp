#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVRulerView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "panels/browsers/ZVTextContentViewController.h"
#include "panels/controls/ComposeButton.h"
#include "panels/controls/SegmentedControl.h"
#include "panels/controls/TBTabBar.h"
#include "panels/inspectors/ZV3DTextSettingsController.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "panels/inspectors/ZVEmptyViewController.h"
#include "panels/inspectors/ZVPageSettingsController.h"
#include "platform/runtime/Deferred.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

using namespace ql;

namespace {

class DocumentWindowTest : public ql::testing::DocumentFixture {
protected:
    DocumentWindow* open()
    {
        document = controller.newDocument();
        window = qobject_cast<DocumentWindow*>(document->documentWindow());
        EXPECT_NE(window, nullptr);
        // What the set-up deferred (the loading panel closing, the page's
        // press after the first zoom) is over before the test acts.
        DeferredCalls::instance().flush();
        return window;
    }
    ZVCanvasView* page() const { return document->currentPage(); }
    double magnification() const { return window->scrollView()->magnification(); }
    void type(const QString& zoom) { document->setValueForKey(u"scrollMag", zoom); }

    Document* document = nullptr;
    DocumentWindow* window = nullptr;
};

} // namespace

TEST_F(DocumentWindowTest, FrameIsNinetyPercentWideFullHeightAndCentred)
{
    EXPECT_EQ(DocumentWindow::initialFrame(QRect(0, 0, 1000, 700)), QRect(50, 0, 900, 700));
    EXPECT_EQ(DocumentWindow::initialFrame(QRect(1920, 30, 1000, 670)), QRect(1970, 30, 900, 670))
        << "kept within the visible area of the screen it is on";
}

TEST_F(DocumentWindowTest, MenusHaveTheirItemsAndKeys)
{
    open();
    QStringList titles;
    for (QAction* action : window->menus().fileMenu()->actions())
        if (!action->isSeparator())
            titles.append(action->text().remove(QLatin1Char('&')));
    EXPECT_EQ(titles, (QStringList{"New", "New from Template…", "Open…", "Open Recent", "Import…", "Close", "Save",
                                   "Save As…", "Revert to Saved", "Save as Template…", "Export…", "Share", "Print…",
                                   "Quit"}));
    for (const char* path : {"Edit/Undo", "Edit/Redo", "View/Zoom In", "View/Zoom Out", "View/Actual Size",
                             "View/Fit Width", "View/Fit Height", "View/Fit Page", "View/Hide Content Panel",
                             "View/Hide Inspector Panel", "View/Hide Layers", "View/Show Pasteboard",
                             "View/Full Screen"})
        EXPECT_NE(window->menus().itemAtPath(QString::fromLatin1(path)), nullptr) << path;
    EXPECT_EQ(window->menus().item(QStringLiteral("setZoom:"), 3)->text(), QStringLiteral("Fit Page"));

    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(controller.documents().size(), 2) << "Ctrl+N makes a new document";
    Document* second = controller.documents().last();
    ASSERT_TRUE(QTest::qWaitForWindowActive(second->documentWindow()));
    QTest::keyClick(second->documentWindow(), Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(controller.documents().size(), 1) << "Ctrl+W closes it";
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Untitled[*] — Quiverleaf"));
}

TEST_F(DocumentWindowTest, SetUpShowsThePageInspectorAndTheFirstBrowser)
{
    open();
    EXPECT_EQ(window->controllers().inspectorViewController.data(), window->controllers().pageSettingsController);
    EXPECT_EQ(window->controllers().pageSettingsController->backgroundPicker()->background(), page()->backgroundView());
    EXPECT_EQ(window->outlets().inspectorView->widget(), window->controllers().pageSettingsController->view());
    EXPECT_EQ(window->outlets().contentTabs->selectedIndex(), 0u);
    EXPECT_FALSE(window->contentView(0)->isHidden());
    EXPECT_EQ(window->outlets().scrollView->documentView(), page());
    EXPECT_EQ(window->outlets().pageLabel->text(), QStringLiteral("1 / 1"));
    EXPECT_EQ(window->outlets().leftPane->width(), 216);
    EXPECT_EQ(window->outlets().rightPane->width(), 265);
    EXPECT_EQ(window->outlets().addTextButton->text(), QString()) << "an icon, no title";
    EXPECT_FALSE(window->outlets().addTextButton->icon().isNull());
    EXPECT_EQ(window->observingKeyPaths(),
              (QStringList{"scrollMag", "scrollView.magnification", "currentPage.focusedVector",
                           "currentPage.drawingMode", "exportFileFormat"}));
}

TEST_F(DocumentWindowTest, ContentTabsAnswerTheirKeysAndTellTheHandlerTwice)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const Qt::Key digits[] = {Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4};
    // Tab 0 images, 1 text, 2 shapes, 3 clip art, 4 codes.
    for (int tab : {3, 1, 4, 2, 0}) {
        QTest::keyClick(window, digits[tab], Qt::ControlModifier | Qt::ShiftModifier);
        for (int each = 0; each < 5; ++each)
            EXPECT_EQ(window->contentView(each)->isHidden(), each != tab) << "tab " << tab << " view " << each;
        EXPECT_EQ(window->outlets().contentTabs->selectedIndex(), unsigned(tab));
    }

    QList<int> types;
    window->outlets().inspectorTabs->handleTabBarItemSelection(
        [&types](int type, TBTabBarItem*, unsigned) { types.append(type); });
    TBTabBar* tabs = window->outlets().inspectorTabs;
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->itemRect(1).center());
    EXPECT_EQ(types, (QList<int>{0, 1}));
    EXPECT_EQ(tabs->selectedIndex(), 1u);
}

TEST_F(DocumentWindowTest, RulersTakeTheStoredUnits)
{
    UserDefaults& standard = UserDefaults::standard();
    for (const auto& [type, name] : {std::pair {1, "Centimeters"}, std::pair {2, "Points"}, std::pair {0, "Inches"}}) {
        standard.setInteger(QStringLiteral("unitsType"), type);
        open();
        EXPECT_EQ(window->scrollView()->horizontalRulerView()->measurementUnits(), QString::fromLatin1(name));
        EXPECT_EQ(window->scrollView()->verticalRulerView()->measurementUnits(), QString::fromLatin1(name));
        window->close();
    }
    standard.removeObjectForKey(QStringLiteral("unitsType"));
}

TEST_F(DocumentWindowTest, TypedZoomReadsTheLeadingNumberAndKeepsWithinLimits)
{
    open();
    type(QStringLiteral("250%"));
    EXPECT_DOUBLE_EQ(magnification(), 2.5);
    EXPECT_EQ(document->scrollMag(), QStringLiteral("250%"));
    type(QStringLiteral("100"));
    type(QStringLiteral("250"));
    EXPECT_DOUBLE_EQ(magnification(), 2.5);
    for (const char* ignored : {"0", "abc", "-20%", "inf"}) {
        type(QString::fromLatin1(ignored));
        EXPECT_DOUBLE_EQ(magnification(), 2.5) << ignored;
        EXPECT_EQ(document->scrollMag(), QStringLiteral("250%")) << "the zoom is shown again after " << ignored;
    }
    // Beyond the limits the nearest one holds, as for the zoom commands.
    for (const auto& [typed, shown] : {std::pair {"500", "500%"}, std::pair {"99999", "500%"}, std::pair {"3%", "10%"}}) {
        type(QString::fromLatin1(typed));
        EXPECT_EQ(document->scrollMag(), QString::fromLatin1(shown)) << typed;
    }
    type(QStringLiteral("250"));
    type(QStringLiteral(" 75.5 percent"));
    EXPECT_DOUBLE_EQ(magnification(), 0.76) << "the leading number counts, then its whole percentage";
    EXPECT_EQ(document->scrollMag(), QStringLiteral("76%")) << "shown as a whole percentage";
    EXPECT_DOUBLE_EQ(DocumentWindow::readZoomText(QStringLiteral("1,5")), 1.0) << "C locale";

    window->setZoom(0);
    EXPECT_DOUBLE_EQ(magnification(), 1.0);
    window->menus().itemAtPath(QStringLiteral("View/Zoom In"))->trigger();
    EXPECT_EQ(document->scrollMag(), QStringLiteral("120%"));
    window->zoomOut();
    window->zoomOut();
    EXPECT_EQ(document->scrollMag(), QStringLiteral("80%"));
}

TEST_F(DocumentWindowTest, ZoomFieldShowsTheZoomAgainAfterReturnOrLeavingIt)
{
    open();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QApplication::setActiveWindow(window);
    type(QStringLiteral("150%"));
    QLineEdit* field = window->outlets().zoomField->lineEdit();
    const auto enter = [field](const QString& text) {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
    };
    for (const QString& nonsense : {QStringLiteral("abc"), QStringLiteral("0")}) {
        enter(nonsense);
        QTest::keyClick(field, Qt::Key_Return);
        EXPECT_EQ(field->text(), QStringLiteral("150%")) << nonsense.toStdString();
        EXPECT_DOUBLE_EQ(magnification(), 1.5);
    }
    enter(QStringLiteral("99999"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), QStringLiteral("500%"));
    EXPECT_DOUBLE_EQ(magnification(), 5.0);

    // Leaving the field ends the edit as Return does.
    enter(QStringLiteral("zoom!"));
    window->scrollView()->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([field] { return field->text() == QLatin1String("500%"); }, 2000)) << field->text().toStdString();
}

TEST_F(DocumentWindowTest, FitPageTakesTheSmallerFitOfTheCentrePane)
{
    open();
    window->resize(1400, 1000);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QSizeF pane = window->outlets().centerPane->size();
    for (int tag : {1, 2, 3}) {
        window->setZoom(tag);
        const double width = 0.95 * pane.width() / 612;
        const double height = 0.95 * (pane.height() - 40) / 792;
        const double expected = tag == 1 ? width : tag == 2 ? height : std::min(width, height);
        EXPECT_EQ(document->scrollMag(), QString::asprintf("%.f%%", expected * 100)) << tag;
        EXPECT_DOUBLE_EQ(magnification(), std::round(expected * 100) / 100) << "as a whole percentage";
    }
}

TEST_F(DocumentWindowTest, ContentInspectorFollowsTheSelection)
{
    open();
    document->insert3DText();
    EXPECT_EQ(page()->activeViews().size(), 1);
    window->changeInspectorView(2);
    EXPECT_EQ(window->controllers().inspectorViewController, window->controllers().threeDSettingsController);
    document->insert3DText();
    page()->puttyViews().first()->setIsActive(true);
    window->updateInspectorView();
    EXPECT_EQ(window->controllers().inspectorViewController, window->controllers().emptyViewController);
    window->changeInspectorView(7);
    EXPECT_EQ(window->controllers().inspectorViewController, window->controllers().emptyViewController)
        << "another index keeps what was shown";
}

TEST_F(DocumentWindowTest, PaneTogglesRestoreTheFixedWidthsAndTitlesFlip)
{
    open();
    window->resize(1400, 1000);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QAction* left = window->menus().item(QStringLiteral("toggleLeftPanel:"));
    QAction* layers = window->menus().item(QStringLiteral("toggleLayoutLayersPanel:"));
    QAction* pasteboard = window->menus().item(QStringLiteral("togglePasteboardVisible:"));
    left->trigger();
    EXPECT_EQ(window->outlets().leftPane->width(), 0);
    EXPECT_FALSE(document->leftPaneVisible());
    window->menus().validateMenus();
    EXPECT_EQ(left->text(), QStringLiteral("Show Content Panel"));
    left->trigger();
    EXPECT_EQ(window->outlets().leftPane->width(), 216);
    window->menus().validateMenus();
    EXPECT_EQ(left->text(), QStringLiteral("Hide Content Panel"));

    window->toggleRightPanel();
    EXPECT_EQ(window->outlets().rightPane->width(), 0);
    EXPECT_EQ(window->outlets().centerPane->width(), 1400 - 216);

    EXPECT_TRUE(window->outlets().layoutLayerPanel->isVisible());
    layers->trigger();
    EXPECT_FALSE(window->outlets().layoutLayerPanel->isVisible());
    window->menus().validateMenus();
    EXPECT_EQ(layers->text(), QStringLiteral("Show Layers"));
    pasteboard->trigger();
    EXPECT_TRUE(window->outlets().pasteboardPanel->isVisible());
    window->menus().validateMenus();
    EXPECT_EQ(pasteboard->text(), QStringLiteral("Hide Pasteboard"));
    // The panel's own close button: the flag follows.
    window->outlets().pasteboardPanel->close();
    EXPECT_FALSE(document->pasteboardVisible());

    window->toggleLayoutLayersPanel();
    window->togglePasteboardVisible();
    const QPointer<QWidget> layerPanel = window->outlets().layoutLayerPanel.data();
    const QPointer<QWidget> holding = window->outlets().pasteboardPanel.data();
    ASSERT_TRUE(layerPanel->isVisible() && holding->isVisible());
    window->close();
    EXPECT_TRUE(!layerPanel || !layerPanel->isVisible()) << "closing the window hides its panels";
    EXPECT_TRUE(!holding || !holding->isVisible());
}

TEST_F(DocumentWindowTest, FullScreenTogglesTheWindowsState)
{
    open();
    window->goFullScreen();
    EXPECT_TRUE(window->windowState() & Qt::WindowFullScreen);
    window->goFullScreen();
    EXPECT_FALSE(window->windowState() & Qt::WindowFullScreen);
}

TEST_F(DocumentWindowTest, UndoAndRedoValidateByTheDocument)
{
    open();
    QAction* undo = window->menus().item(QStringLiteral("undo:"));
    window->menus().validateMenus();
    EXPECT_FALSE(undo->isEnabled());
    page()->setValueForKey(u"leftMargin", 48.0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(undo->isEnabled());
    undo->trigger();
    EXPECT_EQ(page()->leftMargin(), 36.0);
    EXPECT_TRUE(window->menus().item(QStringLiteral("redo:"))->isEnabled());
}

TEST_F(DocumentWindowTest, AddTextButtonPlacesTextBoxesAnd3DText)
{
    open();
    ComposeButton* button = window->outlets().addTextButton;
    button->choose(0);
    ASSERT_EQ(page()->puttyViews().size(), 1);
    ZVPuttyView* text = page()->puttyViews().first();
    EXPECT_EQ(text->frame(), QRectF(166, 256, 280, 280));
    EXPECT_EQ(qobject_cast<ZVTextView*>(text->contentView())->string(), QStringLiteral("Double click to edit."));
    EXPECT_FALSE(text->isActive()) << "highlighted first";
    EXPECT_TRUE(text->isHighlighted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return text->isActive(); }, 10000)) << "active 10 ms later";
    EXPECT_EQ(page()->focusedPuttyView(), text);

    ZVTextContentViewController* browser = window->controllers().textContentVC;
    browser->insertTextWithType(1);
    browser->insertTextWithType(2);
    EXPECT_EQ(page()->puttyViews()[1]->frame(), QRectF(191, 717, 230, 110)) << "page number";
    EXPECT_EQ(page()->puttyViews()[2]->frame(), QRectF(191, -35, 230, 110)) << "date";
    EXPECT_EQ(qobject_cast<ZVTextView*>(page()->puttyViews()[1]->contentView())->textViewType().toInt(), 1);

    button->choose(1);
    ZVPuttyView* deep = page()->puttyViews().last();
    EXPECT_EQ(deep->frame(), QRectF(56, 296, 500, 200));
    EXPECT_EQ(deep->contentViewType(), ZVPuttyView::Text3DContent);
    EXPECT_TRUE(deep->isActive());
    EXPECT_EQ(page()->focusedPuttyView(), deep);

    // A deferred step dies with its document.
    browser->insertTextWithType(0);
    window->close();
    QTest::qWait(30);
}

TEST_F(DocumentWindowTest, DrawingToolsFollowTheCurrentPageBothWays)
{
    open();
    SegmentedControl* tools = window->outlets().drawingTools;
    ASSERT_EQ(tools->segmentCount(), 9);
    // Point editing's commands come with the page's drawing surface.
    for (int mode : {6, 7, 8})
        window->menus().addCommand(QStringLiteral("setDrawingMode:"), [] {}, mode);
    EXPECT_FALSE(tools->isEnabledForSegment(6));
    tools->button(2)->click();
    EXPECT_EQ(page()->drawingMode().toInt(), 2);
    EXPECT_TRUE(tools->isEnabledForSegment(7)) << "point editing once a mode other than 0 is on";
    page()->setDrawingMode(1);
    EXPECT_EQ(tools->selectedSegment(), 1);
    page()->setDrawingMode(0);
    EXPECT_FALSE(tools->isEnabledForSegment(8));
}

TEST_F(DocumentWindowTest, PageStripFollowsTheCurrentPage)
{
    open();
    document->contentPages().append(document->newPage());
    document->contentPages().append(document->newPage());
    document->setCurrentPage(document->contentPages().first());
    QToolButton* next = window->outlets().nextPage;
    EXPECT_EQ(window->outlets().pageLabel->text(), QStringLiteral("1 / 3"));
    EXPECT_FALSE(window->outlets().previousPage->isEnabled());
    next->click();
    next->click();
    EXPECT_EQ(document->currentPage(), document->contentPages()[2]);
    EXPECT_EQ(window->outlets().pageLabel->text(), QStringLiteral("3 / 3"));
    EXPECT_FALSE(next->isEnabled());
    EXPECT_EQ(window->scrollView()->documentView(), document->contentPages()[2]) << "the canvas shows it";
    EXPECT_EQ(window->scrollView()->horizontalRulerView()->clientView(), document->contentPages()[2]);
}
