// The Arrange menu's Move to Layer and the element commands' validation in
// the real window.
#include "WindowTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/runtime/Deferred.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>

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
