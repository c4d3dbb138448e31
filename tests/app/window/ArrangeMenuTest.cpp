// The Arrange and Align menus, their shortcuts, the element commands'
// validation and the layer thumbnails in the real window.
#include "WindowTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/painting/Text3DRenderQueue.h"
#include "canvas/view/TextEditMenu.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "panels/ZVLayoutLayerViewController.h"
#include "platform/runtime/Deferred.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTableWidget>
#include <QTest>

using namespace ql;

namespace {

class ArrangeMenu : public ql::testing::WindowFixture {
protected:
    ZVPuttyView* add()
    {
        ZVPuttyView* element = ZVPuttyView::initWith3DText(QStringLiteral("Deep")).release();
        page->addPuttyView(element);
        return element;
    }
    QAction* moveToLayer() const { return window->menus().itemAtPath(QStringLiteral("Arrange/Move to Layer")); }
};

} // namespace

TEST_F(ArrangeMenu, MoveToLayerListsTheLayersTopFirstAndMovesTheSelection)
{
    ZVPuttyView* element = add();
    element->setIsActive(true);
    ASSERT_NE(moveToLayer(), nullptr);
    EXPECT_FALSE(window->menus().validateMenuItem(moveToLayer())) << "one layer only";

    ZVPuttyViewGroup* background = page->currentLayoutLayer();
    page->addLayoutLayer(QStringLiteral("Upper"));
    EXPECT_TRUE(window->menus().validateMenuItem(moveToLayer()));
    const QList<QAction*> layers = moveToLayer()->menu()->actions();
    ASSERT_EQ(layers.size(), 2);
    EXPECT_EQ(layers[0]->text(), QStringLiteral("Upper"));
    EXPECT_TRUE(layers[0]->isEnabled());
    EXPECT_EQ(layers[1]->text(), QStringLiteral("Background"));
    EXPECT_FALSE(layers[1]->isEnabled()) << "the current layer";

    layers[0]->trigger();
    EXPECT_EQ(element->layoutLayerGroup()->groupName(), QStringLiteral("Upper"));
    EXPECT_FALSE(background->listsUuid(element->uuid()));
    EXPECT_EQ(page->currentLayoutLayer()->groupName(), QStringLiteral("Upper"));
    EXPECT_FALSE(element->isActive());
    EXPECT_FALSE(window->menus().validateMenuItem(moveToLayer())) << "nothing selected any more";
}

TEST_F(ArrangeMenu, PasteFollowsTheClipboard)
{
    QAction paste;
    paste.setObjectName(QStringLiteral("paste:"));
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(window->menus().validateMenuItem(&paste));
    QGuiApplication::clipboard()->setText(QStringLiteral("copied elsewhere"));
    EXPECT_TRUE(window->menus().validateMenuItem(&paste));

    // A key press validates the menu items from what the clipboard last
    // reported: pictures and our own elements paste, and clearing it from
    // anywhere disables Paste again.
    QAction* item = window->menus().item(QStringLiteral("paste:"));
    ASSERT_NE(item, nullptr);
    const auto enabledAfterAKey = [&] {
        QTest::keyClick(window->scrollView()->viewport(), Qt::Key_Shift);
        return item->isEnabled();
    };
    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(enabledAfterAKey());
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    EXPECT_TRUE(enabledAfterAKey());
    QGuiApplication::clipboard()->clear();
    add()->setIsActive(true);
    page->copy();
    EXPECT_TRUE(enabledAfterAKey());
    auto* elsewhere = new QMimeData;
    elsewhere->setData(QStringLiteral("application/x-other"), "bytes");
    QGuiApplication::clipboard()->setMimeData(elsewhere);
    EXPECT_FALSE(enabledAfterAKey()) << "nothing in a form paste takes";
}

TEST_F(ArrangeMenu, PasteIntoAnEditedTextIsEnabledForEveryKindItReads)
{
    ZVPuttyView* box = ZVPuttyView::initWithText().release();
    page->addPuttyView(box);
    auto* text = qobject_cast<ZVTextView*>(box->contentView());
    ASSERT_NE(text, nullptr);
    text->setEditMode(true);
    QAction* item = window->menus().item(QStringLiteral("paste:"));
    ASSERT_NE(item, nullptr);
    for (const QString& format : {QStringLiteral("text/rtf"), QStringLiteral("text/html")}) {
        auto* data = new QMimeData;
        data->setData(format, format == QLatin1String("text/rtf") ? "{\\rtf1 {\\b rich}}" : "<b>rich</b>");
        QGuiApplication::clipboard()->setMimeData(data);
        const std::unique_ptr<QMenu> menu = TextEditMenu::create(*text);
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->actions().at(2)->isEnabled()) << "the box's Paste, " << format.toStdString();
        EXPECT_TRUE(window->menus().validateMenuItem(item)) << "Edit's Paste, " << format.toStdString();
        item->trigger();
    }
    EXPECT_EQ(text->string(), QStringLiteral("richrich"));
}

TEST_F(ArrangeMenu, ShortcutsAndTheAlignMenuActOnTheCurrentPage)
{
    ZVPuttyView* lower = add();
    ZVPuttyView* upper = add();
    upper->setIsActive(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->scrollView(), Qt::Key_BracketLeft, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews().first(), upper->uuid()) << "sent to back";
    lower->setIsActive(true);
    QTest::keyClick(window->scrollView(), Qt::Key_G, Qt::ControlModifier);
    ASSERT_NE(upper->group(), nullptr);
    EXPECT_EQ(lower->group(), upper->group());

    QAction* alignLeft = window->menus().itemAtPath(QStringLiteral("Align/Align Left"));
    ASSERT_NE(alignLeft, nullptr);
    alignLeft->trigger();
    EXPECT_EQ(upper->frame().x(), page->leftMargin() - ZVPuttyView::kMargin);
    page->clearPuttyViews();
    EXPECT_FALSE(window->menus().validateMenuItem(alignLeft));
}

TEST_F(ArrangeMenu, AlignItemsWaitForASelectionTheyCanActOn)
{
    QAction* alignMenu = window->menus().itemAtPath(QStringLiteral("Align"));
    ASSERT_NE(alignMenu, nullptr);
    // The titles of the enabled items, as the menu shows them when opened.
    const auto enabled = [&] {
        emit alignMenu->menu()->aboutToShow();
        QStringList titles;
        for (const QAction* item : alignMenu->menu()->actions())
            if (!item->isSeparator() && item->isEnabled())
                titles.append(item->text());
        return titles;
    };
    const QStringList toPage {"Align Left", "Align Center", "Align Right", "Align Top", "Align Middle", "Align Bottom"};
    const QStringList toReference {"Align Left Edges",  "Align Right Edges",        "Align Top Edges",
                                   "Align Bottom Edges", "Align Centers Vertically", "Align Centers Horizontally"};
    const QStringList spread {"Distribute Horizontally", "Distribute Vertically", "Distribute Horizontally by Centers",
                              "Distribute Vertically by Centers"};
    ZVPuttyView* first = add();
    ZVPuttyView* second = add();
    ZVPuttyView* third = add();
    EXPECT_EQ(enabled(), QStringList()) << "nothing selected";
    first->setIsActive(true);
    EXPECT_EQ(enabled(), toPage) << "one element has nothing to line up with";
    second->setIsActive(true);
    EXPECT_EQ(enabled(), toPage + toReference) << "two: nothing lies between the outer two";
    third->setIsActive(true);
    EXPECT_EQ(enabled(), toPage + toReference + spread);
    first->setIsActive(false);
    EXPECT_EQ(enabled(), toPage) << "the reference element is no longer selected";
    page->clearPuttyViews();
    EXPECT_EQ(enabled(), QStringList());
}

TEST_F(ArrangeMenu, TheLayersPanelShowsEachLayersElements)
{
    add();
    page->addLayoutLayer(QStringLiteral("Empty"));
    DeferredCalls::instance().flush();
    // The 3D text's picture comes a moment later, and the thumbnails again.
    Text3DRenderQueue::shared().finish();
    DeferredCalls::instance().flush();
    const auto* table = window->controllers().layoutLayerViewController->tableView();
    ASSERT_EQ(table->rowCount(), 2);
    const int column = ZVLayoutLayerViewController::ThumbnailColumn;
    const QImage empty = table->item(0, column)->icon().pixmap(48).toImage();
    EXPECT_EQ(empty.height(), 48);
    EXPECT_NE(table->item(1, column)->icon().pixmap(48).toImage(), empty);
}
