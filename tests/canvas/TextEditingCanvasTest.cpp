// Editing a text box on the canvas with real pointer and key events: a
// double click opens it, keys type into it ahead of menu shortcuts, dragging
// selects through the element's turn, the caret and selection are drawn, and
// Escape or a press elsewhere ends editing.
#include "../content/TextTestSupport.h"

#include "canvas/ZVHandleView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "canvas/view/ZVScrollView.h"
#include "content/text/TextEditor.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

using namespace ql;

namespace {

class TextEditingCanvas : public ::testing::Test {
protected:
    TextEditingCanvas()
    {
        view.setRulersVisible(false);
        view.resize(1000, 900);
        view.setDocumentView(page);
        view.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.setFocus();
    }

    ZVTextView* addBox(const QRectF& frame, const QString& content, double rotation = 0)
    {
        ZVPuttyView* element = ZVPuttyView::initWithText().release();
        page->addPuttyView(element);
        element->setFrame(frame);
        if (rotation != 0)
            element->setFrameCenterRotation(rotation);
        auto* text = qobject_cast<ZVTextView*>(element->contentView());
        text->setAttributedString(AttributedString(content, fontAttributes(QStringLiteral("Helvetica"), 24)));
        endTurn();
        document.undo.removeAllActions();
        return text;
    }

    void send(QEvent::Type type, QPointF pagePoint, Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = {})
    {
        const QPointF local = view.mapFromPage(pagePoint);
        QMouseEvent event(type, local, local, view.viewport()->mapToGlobal(local), Qt::LeftButton, held, modifiers);
        QApplication::sendEvent(view.viewport(), &event);
    }
    void click(QPointF pagePoint)
    {
        send(QEvent::MouseButtonPress, pagePoint, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, pagePoint, Qt::NoButton);
    }
    // What the platform sends for a double click.
    void doubleClick(QPointF pagePoint)
    {
        click(pagePoint);
        send(QEvent::MouseButtonDblClick, pagePoint, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, pagePoint, Qt::NoButton);
    }
    // A page point in the middle of a character of a box.
    static QPointF pagePointAt(ZVTextView* text, int position)
    {
        const text::FlowLayout::Caret before = text->layoutManager()->caretRect(position);
        const text::FlowLayout::Caret after = text->layoutManager()->caretRect(position + 1);
        const QPointF inView = QPointF((before.rect.left() + after.rect.left()) / 2, before.rect.center().y())
                               + text->textContainerOrigin() + text->frame().topLeft();
        return text->puttyView()->pageTransform().map(inView);
    }
    QImage grab() { return view.viewport()->grab().toImage(); }

    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVScrollView view;
};

} // namespace

TEST_F(TextEditingCanvas, DoubleClickOpensTheBoxAndKeysTypeIntoItAsOneUndoStep)
{
    ZVTextView* text = addBox(QRectF(100, 100, 380, 200), QStringLiteral("Old"));
    const QPointF inside(250, 200);
    // One click leaves the box to its element; keys do nothing to it.
    click(inside);
    EXPECT_FALSE(text->editMode());
    QTest::keyClicks(&view, QStringLiteral("x"));
    EXPECT_EQ(text->string(), QStringLiteral("Old"));

    doubleClick(inside);
    ASSERT_TRUE(text->editMode());
    EXPECT_TRUE(text->isEditable());
    EXPECT_TRUE(page->valueForKey(u"editMode").toBool());
    EXPECT_EQ(view.router().editedText(), text);
    const auto handlesHidden = [text] {
        const QList<ZVHandleView*> handles = text->puttyView()->handles();
        return !handles.isEmpty()
               && std::all_of(handles.begin(), handles.end(), [](const ZVHandleView* h) { return h->isHidden(); });
    };
    EXPECT_TRUE(handlesHidden()) << "the handles step aside while the text is edited";

    // A menu shortcut on the same keys does not steal them while text is edited.
    QAction selectAll(&view);
    selectAll.setShortcut(QKeySequence::SelectAll);
    selectAll.setShortcutContext(Qt::WindowShortcut);
    view.addAction(&selectAll);
    int stolen = 0;
    QObject::connect(&selectAll, &QAction::triggered, [&stolen] { ++stolen; });

    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClicks(&view, QStringLiteral(" new"));
    endTurn();
    QTest::keyClicks(&view, QStringLiteral("er"));
    endTurn();
    EXPECT_EQ(text->string(), QStringLiteral("Old newer"));
    EXPECT_EQ(document.undo.undoCount(), 1) << "a run of typing is one step";
    QTest::keySequence(&view, QKeySequence::SelectAll);
    EXPECT_EQ(stolen, 0);
    EXPECT_EQ(text->selectedRange(), (ZVTextView::Range {0, 9}));

    document.undo.undo();
    EXPECT_EQ(text->string(), QStringLiteral("Old"));
    document.undo.redo();
    EXPECT_EQ(text->string(), QStringLiteral("Old newer"));

    // Outside editing the shortcut is the window's again.
    QTest::keyClick(&view, Qt::Key_Escape);
    EXPECT_FALSE(text->editMode());
    EXPECT_FALSE(page->valueForKey(u"editMode").toBool());
    EXPECT_EQ(view.router().editedText(), nullptr);
    EXPECT_FALSE(handlesHidden());
    QTest::keySequence(&view, QKeySequence::SelectAll);
    EXPECT_EQ(stolen, 1);
}

TEST_F(TextEditingCanvas, DraggingSelectsThroughTheTurnAndTheCanvasDrawsCaretAndSelection)
{
    ZVTextView* text = addBox(QRectF(100, 100, 420, 240), QStringLiteral("Alpha Beta Gamma "), 30);
    doubleClick(pagePointAt(text, 2));
    ASSERT_TRUE(text->editMode());

    // Press in "Beta", drag to "Gamma": the selection runs between, whole characters.
    send(QEvent::MouseButtonPress, pagePointAt(text, 7), Qt::LeftButton);
    send(QEvent::MouseMove, pagePointAt(text, 12), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, pagePointAt(text, 13), Qt::NoButton);
    EXPECT_EQ(text->selectedRange(), (ZVTextView::Range {7, 6}));
    EXPECT_FALSE(text->editor()->selectionRects().isEmpty());
    // The highlight is blue over the selected letters and absent elsewhere.
    const auto isTinted = [](QColor c) { return c.blue() > c.red() + 30; };
    const QImage shot = grab();
    EXPECT_TRUE(isTinted(shot.pixelColor(view.mapFromPage(pagePointAt(text, 10)).toPoint() + QPoint(0, 6))));
    EXPECT_FALSE(isTinted(shot.pixelColor(view.mapFromPage(pagePointAt(text, 3)).toPoint() + QPoint(0, 6))));

    // A double click inside takes a word; a third click the paragraph.
    doubleClick(pagePointAt(text, 1));
    EXPECT_EQ(text->selectedRange(), (ZVTextView::Range {0, 5}));
    click(pagePointAt(text, 1));
    EXPECT_EQ(text->selectedRange(), (ZVTextView::Range {0, 17}));

    // A caret, 1 point wide and at least 15 tall, black on the canvas.
    // (after the last space, clear of any letter)
    text->editor()->setPosition(17);
    ASSERT_TRUE(text->editMode());
    const QRectF caret = text->editor()->caretRect();
    ASSERT_FALSE(caret.isNull());
    EXPECT_EQ(caret.width(), 1.0);
    EXPECT_GE(caret.height(), 15.0);
    const QPointF caretMiddle = text->puttyView()->pageTransform().map(caret.center() + text->frame().topLeft());
    // The darkest pixel next to the caret's middle: a turned line one pixel wide.
    const auto darkest = [this, caretMiddle] {
        const QImage shot = grab();
        const QPoint centre = view.mapFromPage(caretMiddle).toPoint();
        int gray = 255;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                gray = std::min(gray, qGray(shot.pixel(centre + QPoint(dx, dy))));
        return gray;
    };
    EXPECT_LT(darkest(), 100);
    // Outside editing there is none.
    text->setEditMode(false);
    EXPECT_GT(darkest(), 200);
}

TEST_F(TextEditingCanvas, TheEditedBoxFollowsThePointerEnteringAndLeavingIt)
{
    ZVTextView* text = addBox(QRectF(100, 100, 380, 200), QStringLiteral("Hover"));
    const QPointF inside(250, 200);
    const QPointF inMargin(120, 200);
    send(QEvent::MouseMove, inside, Qt::NoButton);
    EXPECT_FALSE(text->mouseInside()) << "a box not edited does not follow the pointer";

    doubleClick(inside);
    ASSERT_TRUE(text->editMode());
    EXPECT_TRUE(text->mouseInside()) << "editing begins with the pointer inside";
    send(QEvent::MouseMove, inMargin, Qt::NoButton);
    EXPECT_FALSE(text->mouseInside()) << "the element's margin is outside the text";
    send(QEvent::MouseMove, inside, Qt::NoButton);
    EXPECT_TRUE(text->mouseInside());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(view.viewport(), &leave);
    EXPECT_FALSE(text->mouseInside()) << "leaving the canvas leaves the box";

    send(QEvent::MouseMove, inside, Qt::NoButton);
    QTest::keyClick(&view, Qt::Key_Escape);
    send(QEvent::MouseMove, inside + QPointF(10, 0), Qt::NoButton);
    EXPECT_FALSE(text->mouseInside()) << "a box no longer edited is left";
}

TEST_F(TextEditingCanvas, APressElsewhereEndsEditingAndFieldsAndChainsFollowTheirRules)
{
    ZVTextView* text = addBox(QRectF(100, 100, 380, 200), QStringLiteral("Chain"));
    ZVTextView* other = addBox(QRectF(100, 400, 380, 200), QStringLiteral("Other"));
    // Two boxes of one chain on this page both open, each with the caret at the start.
    auto* chain = new ZVPuttyViewGroup(page);
    chain->appendUuid(text->puttyView()->uuid());
    chain->appendUuid(other->puttyView()->uuid());
    text->puttyView()->setTextGroup(chain);
    other->puttyView()->setTextGroup(chain);
    other->setSelectedRange({2, 1});
    doubleClick(QPointF(250, 200));
    EXPECT_TRUE(text->editMode());
    EXPECT_TRUE(other->editMode());
    EXPECT_EQ(other->selectedRange(), (ZVTextView::Range {0, 0}));
    // Keys go to the box pressed.
    QTest::keyClicks(&view, QStringLiteral("A"));
    EXPECT_EQ(text->string(), QStringLiteral("AChain"));
    EXPECT_EQ(other->string(), QStringLiteral("Other"));

    // A press on the bare page ends editing everywhere.
    click(QPointF(550, 700));
    EXPECT_FALSE(text->editMode());
    EXPECT_FALSE(other->editMode());

    // A page-number box is never edited by hand.
    ZVTextView* field = addBox(QRectF(100, 620, 300, 120), QStringLiteral("1"));
    field->setValueForKey(u"textViewType", int(ZVTextView::PageNumber));
    const QString number = field->string();
    doubleClick(QPointF(250, 680));
    EXPECT_FALSE(field->isEditable());
    QTest::keyClicks(&view, QStringLiteral("9"));
    EXPECT_EQ(field->string(), number);
}

TEST_F(TextEditingCanvas, TheBorderInsetsTheTextAndTheStoredInsetsStay)
{
    ZVTextView* text = addBox(QRectF(100, 100, 380, 200), QStringLiteral("Bordered"));
    ZVPuttyView* element = text->puttyView();
    const double width = text->textContainer()->containerSize().width();
    EXPECT_EQ(text->textContainerOrigin(), QPointF(5, 5));
    element->setValueForKey(u"borderEnabled", true);
    element->setValueForKey(u"borderStyle", 2);
    element->setValueForKey(u"borderWidth", 3);
    // Once and again: the text sits inside the border, not further in each time.
    element->setValueForKey(u"borderWidth", 3.0);
    EXPECT_EQ(text->textContainerOrigin(), QPointF(8, 8));
    EXPECT_EQ(text->textContainer()->containerSize().width(), width - 6);
    EXPECT_EQ(text->currentHorizontalInsetMargins().toDouble(), 5.0);
    EXPECT_EQ(text->textContainerInset(), QSizeF(5, 5));
    EXPECT_EQ(text->layoutManager()->caretRect(0).rect.x() + text->textContainerOrigin().x(), 8.0);
    // Half the width for a centred border; none when it is off.
    element->setValueForKey(u"borderStyle", 1);
    EXPECT_EQ(text->textContainerOrigin(), QPointF(6.5, 6.5));
    element->setValueForKey(u"borderEnabled", false);
    EXPECT_EQ(text->textContainerOrigin(), QPointF(5, 5));
    EXPECT_EQ(text->textContainer()->containerSize().width(), width);
}

TEST_F(TextEditingCanvas, ARightPressOnTheEditedTextOpensItsEditMenuOnly)
{
    ZVTextView* text = addBox(QRectF(100, 100, 380, 200), QStringLiteral("Menu text"));
    const QPointF inside(250, 200);
    const auto rightPress = [&] {
        const QPoint local = view.mapFromPage(inside).toPoint();
        QTest::mousePress(view.viewport(), Qt::RightButton, {}, local);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, local, view.viewport()->mapToGlobal(local));
        QApplication::sendEvent(view.viewport(), &menuEvent);
        QTest::mouseRelease(view.viewport(), Qt::RightButton, {}, local);
        return qobject_cast<QMenu*>(QApplication::activePopupWidget());
    };
    // Not edited: no text menu.
    QMenu* menu = rightPress();
    EXPECT_TRUE(menu == nullptr || menu->objectName() != QLatin1String("textEditMenu"));
    if (menu)
        menu->close();

    doubleClick(inside);
    ASSERT_TRUE(text->editMode());
    text->setSelectedRange({0, 4});
    menu = rightPress();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->objectName(), QStringLiteral("textEditMenu"));
    EXPECT_EQ(text->selectedRange(), (ZVTextView::Range {0, 4})) << "the right press keeps the selection";
    QStringList titles;
    QAction* copy = nullptr;
    for (QAction* action : menu->actions()) {
        titles.append(action->text());
        if (action->text() == QLatin1String("Copy"))
            copy = action;
    }
    EXPECT_EQ(titles, (QStringList {"Cut", "Copy", "Paste", "", "Select All"}));
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy->isEnabled());
    copy->trigger();
    menu->close();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Menu"));
    // With nothing selected, cut and copy are off.
    text->setSelectedRange({2, 0});
    menu = rightPress();
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->actions().at(0)->isEnabled());
    EXPECT_FALSE(menu->actions().at(1)->isEnabled());
    EXPECT_TRUE(menu->actions().at(2)->isEnabled());
    menu->close();
}

TEST_F(TextEditingCanvas, InputMethodsComposeAtTheCaretAndCommitIntoTheText)
{
    ZVTextView* text = addBox(QRectF(100, 100, 380, 200), QStringLiteral("ab"));
    EXPECT_FALSE(static_cast<QWidget&>(view).inputMethodQuery(Qt::ImEnabled).toBool()) << "nothing edited";
    doubleClick(QPointF(250, 200));
    ASSERT_TRUE(text->editMode());
    text->editor()->setPosition(1);
    EXPECT_TRUE(static_cast<QWidget&>(view).inputMethodQuery(Qt::ImEnabled).toBool());
    EXPECT_EQ(static_cast<QWidget&>(view).inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
    const QRectF caret = static_cast<QWidget&>(view).inputMethodQuery(Qt::ImCursorRectangle).toRectF();
    EXPECT_FALSE(caret.isEmpty());

    // While composing, the text is unchanged and the composition is drawn after the caret.
    const QRect behind = caret.toRect().adjusted(3, 0, 40, 0);
    const auto inked = [&] {
        const QImage shot = grab();
        int dark = 0;
        for (int y = behind.top(); y <= behind.bottom(); ++y)
            for (int x = behind.left(); x <= behind.right(); ++x)
                dark += qGray(shot.pixel(x, y)) < 128;
        return dark;
    };
    const int before = inked();
    QInputMethodEvent composing(QStringLiteral("\u00e9\u00e9\u00e9"), {});
    QApplication::sendEvent(&view, &composing);
    EXPECT_EQ(text->string(), QStringLiteral("ab"));
    EXPECT_GT(inked(), before);

    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("\u00e9"));
    QApplication::sendEvent(&view, &commit);
    EXPECT_EQ(text->string(), QStringLiteral("a\u00e9b"));
    EXPECT_TRUE(text->editor()->preedit().isEmpty());
}
