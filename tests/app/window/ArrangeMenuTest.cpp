// The Arrange and Align menus, their shortcuts, the element commands'
// validation and the layer thumbnails in the real window.
#include "WindowTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/ZVLayoutLayerViewController.h"
#include "platform/graphics/Image.h"
#include "platform/runtime/Deferred.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QListWidget>
#include <QMenu>
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
}

TEST_F(ArrangeMenu, ShortcutsRestackAndTheAlignMenuActsOnTheCurrentPage)
{
    ZVPuttyView* lower = add();
    ZVPuttyView* upper = add();
    const QStringList bottomFirst {lower->uuid(), upper->uuid()};
    upper->setIsActive(true);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const auto press = [this](Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(window->scrollView(), key, modifiers);
    };
    press(Qt::Key_BracketLeft, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), (QStringList {upper->uuid(), lower->uuid()}));
    press(Qt::Key_BracketRight, Qt::ControlModifier);
    EXPECT_EQ(page->currentLayoutLayer()->groupedViews(), bottomFirst);

    lower->setIsActive(true);
    press(Qt::Key_G, Qt::ControlModifier);
    ASSERT_NE(upper->group(), nullptr);
    EXPECT_EQ(lower->group(), upper->group());
    EXPECT_FALSE(window->menus().validateMenuItem(window->menus().item(QStringLiteral("groupActivePuttyViews:"))));
    press(Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(upper->group(), nullptr);

    QAction* alignLeft = window->menus().itemAtPath(QStringLiteral("Align/Align Left"));
    ASSERT_NE(alignLeft, nullptr);
    alignLeft->trigger();
    EXPECT_EQ(lower->frame().x(), page->leftMargin() - ZVPuttyView::kMargin);
    EXPECT_EQ(upper->frame().x(), lower->frame().x());
    ASSERT_NE(window->menus().itemAtPath(QStringLiteral("Align/Distribute Vertically by Centers")), nullptr);
    page->clearPuttyViews();
    window->menus().validateMenus();
    EXPECT_FALSE(alignLeft->isEnabled());
}

TEST_F(ArrangeMenu, TheLayersPanelShowsEachLayersElements)
{
    QImage red(200, 300, QImage::Format_ARGB32);
    red.fill(Qt::red);
    auto picture = ZVPuttyView::initWithImage(ql::Image(red));
    picture->setFrame(QRectF(372, 452, 280, 380)); // content in the lower right quarter
    page->addPuttyView(picture.release());
    page->addLayoutLayer(QStringLiteral("Empty"));
    DeferredCalls::instance().flush();

    const auto* table = window->controllers().layoutLayerViewController->tableView();
    ASSERT_EQ(table->count(), 2);
    const auto thumbnail = [table](int row) { return table->item(row)->icon().pixmap(48).toImage(); };
    const QImage filled = thumbnail(1);
    ASSERT_FALSE(filled.isNull());
    const QColor inside = filled.pixelColor(filled.width() * 3 / 4, filled.height() * 3 / 4);
    EXPECT_TRUE(inside.red() > 240 && inside.green() < 16) << inside.name().toStdString();
    EXPECT_EQ(filled.pixelColor(filled.width() / 4, filled.height() / 4), QColor(Qt::white));
    const QImage empty = thumbnail(0);
    EXPECT_EQ(empty.pixelColor(empty.width() * 3 / 4, empty.height() * 3 / 4), QColor(Qt::white));
}
