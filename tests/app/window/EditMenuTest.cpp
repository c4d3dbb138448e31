// The Edit menu's element commands in the real window: their shortcuts, and
// while a text box is edited, the text commands acting on its text.
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

TEST_F(EditMenu, CommandsCarryTheirShortcuts)
{
    const QList<std::pair<QString, QKeySequence>> expected {
        {QStringLiteral("Cut"), QKeySequence(Qt::CTRL | Qt::Key_X)},
        {QStringLiteral("Copy"), QKeySequence(Qt::CTRL | Qt::Key_C)},
        {QStringLiteral("Copy to Pasteboard"), QKeySequence()},
        {QStringLiteral("Paste"), QKeySequence(Qt::CTRL | Qt::Key_V)},
        {QStringLiteral("Duplicate"), QKeySequence(Qt::CTRL | Qt::Key_D)},
        {QStringLiteral("Delete"), QKeySequence()},
        {QStringLiteral("Select All"), QKeySequence(Qt::CTRL | Qt::Key_A)},
    };
    for (const auto& [title, shortcut] : expected) {
        ASSERT_NE(item(title), nullptr) << title.toStdString();
        EXPECT_EQ(item(title)->shortcut(), shortcut) << title.toStdString();
    }
    EXPECT_FALSE(window->menus().validateMenuItem(item(QStringLiteral("Copy")))) << "nothing selected";
}

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
    text->editor()->selectAll();

    ASSERT_TRUE(window->menus().validateMenuItem(item(QStringLiteral("Copy"))));
    item(QStringLiteral("Copy"))->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Edited words"));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(QStringLiteral("com.quiverleaf.Quiverleaf")));

    text->editor()->setPosition(text->textLength());
    item(QStringLiteral("Paste"))->trigger();
    EXPECT_EQ(text->string(), QStringLiteral("Edited wordsEdited words"));
    EXPECT_EQ(page->puttyViews().size(), 1) << "no new element";
}
