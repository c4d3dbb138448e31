// Editing a text box on the canvas with real pointer and key events: a
// double click opens it, keys type into it ahead of menu shortcuts, dragging
// selects through the element's turn, the caret and selection are drawn, and
// Escape or a press elsewhere ends editing.
#include "../content/TextTestSupport.h"
#include "ArchiveTestSupport.h"

#include "canvas/ZVHandleView.h"
#include "canvas/ZVPuttyViewGroup.h"
#include "canvas/view/ZVScrollView.h"
#include "content/text/TextEditor.h"
#include "support/NumberedWords.h"

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

// Each run's text, font and a hash of all its attributes, in failure messages.
namespace ql {
void PrintTo(const AttributedString& text, std::ostream* out)
{
    for (const AttributedString::Run& run : text.runs()) {
        const Font font = run.attributes.value(A::font).value<Font>();
        const QByteArray characters = text.string().mid(run.start, run.length).toUtf8().toPercentEncoding(" ");
        *out << '[' << characters.toStdString() << '|' << font.postScriptName().toStdString() << ' ' << font.pointSize()
             << '|' << contentHash(run.attributes) % 10000 << "] ";
    }
}
} // namespace ql

namespace {

QVariant alignedStyle(ParagraphStyle::Alignment alignment, double spacing = 0)
{
    ParagraphStyle style;
    style.alignment = alignment;
    style.paragraphSpacing = spacing;
    return QVariant::fromValue(style);
}

// What a chain's text holds after a save and a reopening.
AttributedString reopened(const ZVCanvasView* page)
{
    const std::unique_ptr<ZVCanvasView> read = readBack<ZVCanvasView>(archiveOf(page));
    return read ? ql::testing::textOf(read->puttyViews().at(0))->textStorage()->attributedString() : AttributedString();
}

} // namespace

// Every edit that removes a paragraph break, its undo and its redo, against a
// model of per-character attributes: what the edit did not touch keeps its
// own (the break that stays included, of its own kind), undo gives back the
// text exactly, redo the edit, and a save and reopening hold the same. The
// first paragraph fills the first box of a chain, so edits across it reach
// into the second box.
TEST_F(TextEditingCanvas, RemovingABreakLeavesTheOneThatStaysAndUndoAndRedoGiveBackTheTextExactly)
{
    using Alignment = ParagraphStyle::Alignment;
    const TextAttributes p1 {{A::font, QVariant::fromValue(Font(QStringLiteral("Helvetica"), 12))},
                             {A::paragraphStyle, alignedStyle(Alignment::Left, 2)}};
    TextAttributes b1 = p1;
    b1.insert(A::underline, 1);
    b1.insert(A::link, QStringLiteral("https://example.com/one"));
    const TextAttributes p2 {{A::font, QVariant::fromValue(Font(QStringLiteral("Times-Roman"), 14))},
                             {A::foregroundColor, QVariant::fromValue(Color::deviceRgb(0, 0, 1))},
                             {A::paragraphStyle, alignedStyle(Alignment::Center, 6)}};
    TextAttributes b2 = p2;
    b2.insert(A::underline, 1);
    const TextAttributes p3 {{A::font, QVariant::fromValue(Font(QStringLiteral("Courier"), 10))},
                             {A::foregroundColor, QVariant::fromValue(Color::deviceRgb(1, 0, 0))},
                             {A::paragraphStyle, alignedStyle(Alignment::Right)}};
    TextAttributes b3 = p3;
    b3.insert(A::link, QStringLiteral("https://example.com/three"));
    AttributedString original(QStringLiteral("alpha beta gamma"), p1);
    original.append(QStringLiteral("\r\n"), b1);
    original.append(QStringLiteral("delta epsilon"), p2);
    original.append(QString(QChar::ParagraphSeparator), b2);
    original.append(QStringLiteral("zeta"), p3);
    original.append(QStringLiteral("\r"), b3);
    original.append(QStringLiteral("eta"), fontAttributes(QStringLiteral("Helvetica-Bold"), 12));

    ZVTextView* text = addBox(QRectF(100, 100, 380, 110), QString());
    text->puttyView()->createLinkedTextViewAtPage(0);
    const auto reset = [&] {
        text->setAttributedString(original);
        endTurn();
        document.undo.removeAllActions();
    };
    reset();
    ASSERT_EQ(text->layoutManager()->characterRangeForTextContainer(0).length, 17) << "the first paragraph fills box 1";
    // (away from the handles of the short box)
    doubleClick(pagePointAt(text, 12));
    ASSERT_TRUE(text->editMode());

    // Positions from indexes in the stored string, where CR LF is one position.
    const QString& s = original.string();
    const auto position = [&](qsizetype index) { return int(index - s.left(index).count(QStringLiteral("\r\n"))); };
    const auto select = [&](qsizetype from, qsizetype to) {
        text->editor()->setPosition(position(from));
        text->editor()->setPosition(position(to), true);
    };
    const auto key = [&](QKeySequence::StandardKey standard) { QTest::keySequence(&view, standard); };
    const auto pasteFrom = [&](qsizetype from, qsizetype to) {
        return [&, from, to] {
            const ZVTextView::Range target = text->selectedRange();
            select(from, to);
            key(QKeySequence::Copy);
            text->setSelectedRange(target);
            key(QKeySequence::Paste);
        };
    };
    const qsizetype crlf = s.indexOf(QLatin1String("\r\n"));
    const qsizetype delta = s.indexOf(QLatin1String("delta"));
    const qsizetype zeta = s.indexOf(QLatin1String("zeta"));
    const qsizetype epsilon = s.indexOf(QLatin1String("epsilon"));
    const AttributedString none;
    const AttributedString pasted = original.substring(epsilon, 8);
    const auto typed = [&](const QString& characters, qsizetype from) {
        return AttributedString(characters, original.attributesAt(from));
    };
    struct Edit {
        const char* name;
        qsizetype from, to; // what the edit replaces, selected before its keys
        std::function<void()> keys;
        AttributedString inserted;
        qsizetype caret = -1; // where the keys start instead, if not a selection
    };
    const Edit edits[] = {
        {"Delete across boxes", 3, delta + 3, [&] { key(QKeySequence::Delete); }, none},
        {"Cut across boxes", 3, delta + 3, [&] { key(QKeySequence::Cut); }, none},
        {"typing over a break", 3, delta + 3, [&] { QTest::keyClicks(&view, QStringLiteral("x")); }, typed("x", 3)},
        {"paste over a break", 3, delta + 3, pasteFrom(epsilon, epsilon + 8), pasted},
        {"Return in a word", delta + 3, delta + 3, [&] { QTest::keyClick(&view, Qt::Key_Return); },
         typed("\n", delta + 2)},
        {"Return at a paragraph's end", crlf, crlf, [&] { QTest::keyClick(&view, Qt::Key_Return); },
         typed("\n", crlf - 1)},
        {"paste holding a break", 2, 2, pasteFrom(epsilon, epsilon + 8), pasted},
        {"BackSpace at a paragraph's start", zeta - 1, zeta, [&] { QTest::keyClick(&view, Qt::Key_Backspace); }, none,
         zeta},
        {"Delete at a paragraph's end", crlf, crlf + 2, [&] { key(QKeySequence::Delete); }, none, crlf},
    };
    const auto holds = [&](const AttributedString& wanted, const char* when) {
        EXPECT_EQ(text->textStorage()->attributedString(), wanted) << when;
        EXPECT_EQ(reopened(page), wanted) << when << ", reopened";
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        reset();
        AttributedString expected = original.substring(0, edit.from);
        expected.append(edit.inserted);
        expected.append(original.substring(edit.to, s.size() - edit.to));
        if (edit.caret >= 0)
            select(edit.caret, edit.caret);
        else
            select(edit.from, edit.to);
        edit.keys();
        endTurn();
        holds(expected, "edited");
        document.undo.undo();
        holds(original, "undone");
        document.undo.redo();
        holds(expected, "redone");
    }
}

// Typing, retyping the first letter and pasting plain text at a paragraph's
// start continue that paragraph, not the title before it, live and reopened.
TEST_F(TextEditingCanvas, TypingAtAParagraphsStartContinuesThatParagraph)
{
    TextAttributes title = fontAttributes(QStringLiteral("Helvetica-Bold"), 18);
    title.insert(A::paragraphStyle, alignedStyle(ParagraphStyle::Alignment::Center));
    TextAttributes body = fontAttributes(QStringLiteral("Helvetica"), 12);
    body.insert(A::paragraphStyle, alignedStyle(ParagraphStyle::Alignment::Left));
    AttributedString original(QStringLiteral("Title\n"), title);
    original.append(QStringLiteral("Body"), body);
    ZVTextView* text = addBox(QRectF(100, 100, 380, 200), QString());
    doubleClick(QPointF(250, 200));
    ASSERT_TRUE(text->editMode());
    QGuiApplication::clipboard()->setText(QStringLiteral("Plain "));

    const auto startingWith = [&](const QString& added) {
        AttributedString expected(QStringLiteral("Title\n"), title);
        expected.append(added + QStringLiteral("Body"), body);
        return expected;
    };
    struct Edit {
        const char* name;
        int caret;
        std::function<void()> keys;
        AttributedString expected;
    };
    const Edit edits[] = {
        {"typing", 6, [&] { QTest::keyClicks(&view, QStringLiteral("New")); }, startingWith(QStringLiteral("New"))},
        {"retyping the first letter", 7,
         [&] {
             QTest::keyClick(&view, Qt::Key_Backspace);
             QTest::keyClicks(&view, QStringLiteral("B"));
         },
         startingWith(QString())},
        {"pasting plain text", 6, [&] { QTest::keySequence(&view, QKeySequence::Paste); },
         startingWith(QStringLiteral("Plain "))},
    };
    for (const Edit& edit : edits) {
        SCOPED_TRACE(edit.name);
        text->setAttributedString(original);
        text->editor()->setPosition(edit.caret);
        edit.keys();
        endTurn();
        EXPECT_EQ(text->textStorage()->attributedString(), edit.expected);
        const QTextBlock laidOut = text->textStorage()->document()->findBlock(6);
        EXPECT_EQ(int(text::paragraphStyle(laidOut).value_or(ParagraphStyle()).alignment),
                  int(ParagraphStyle::Alignment::Left));
        EXPECT_EQ(reopened(page), edit.expected);
    }
}
