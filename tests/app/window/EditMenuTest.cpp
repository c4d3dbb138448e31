// The Edit menu in the real window: while a text box is edited, its text
// commands act on the text.
#include "WindowTestSupport.h"

#include "app/window/WindowMenus.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "content/ZVTextView.h"
#include "content/text/TextEditor.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

using namespace ql;

namespace {

class EditMenu : public ql::testing::WindowFixture {
protected:
    QAction* item(const QString& title) const { return window->menus().itemAtPath(QStringLiteral("Edit/") + title); }
};

} // namespace

TEST_F(EditMenu, WhileATextBoxIsEditedTheTextIsCopiedAndPastedInto)
{
    auto made = ZVPuttyView::initWithText();
    auto* text = qobject_cast<ZVTextView*>(made->contentView());
    text->setString(QStringLiteral("Edited words"));
    made->setFrame(QRectF(100, 100, 300, 200));
    ZVPuttyView* box = made.release();
    page->addPuttyView(box);
    box->setIsActive(true);
    box->openForEditing();
    ASSERT_EQ(window->scrollView()->router().editedText(), text);
    item(QStringLiteral("Select All"))->trigger();

    ASSERT_TRUE(window->menus().validateMenuItem(item(QStringLiteral("Copy"))));
    item(QStringLiteral("Copy"))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Edited words"));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("com.quiverleaf.Quiverleaf")));

    text->editor()->setPosition(text->textLength());
    item(QStringLiteral("Paste"))->trigger();
    EXPECT_EQ(text->string(), QStringLiteral("Edited wordsEdited words"));
    EXPECT_EQ(page->puttyViews().size(), 1) << "no new element";
}
