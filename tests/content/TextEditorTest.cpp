#include "TextTestSupport.h"

#include "canvas/CanvasEvent.h"
#include "content/text/FlowLayout.h"
#include "platform/graphics/FontResolver.h"
#include "content/text/TextEditor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <gtest/gtest.h>

using ql::text::TextEditor;

namespace {

QKeyCombination binding(QKeySequence::StandardKey key)
{
    const QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    return keys.isEmpty() ? QKeyCombination() : keys.first()[0];
}

struct EditedBox : TextBox {
    TextEditor* editor = nullptr;

    explicit EditedBox(const QString& text = QString())
    {
        if (!text.isEmpty())
            this->text->setAttributedString(ql::AttributedString(text, fontAttributes(QStringLiteral("Helvetica"), 12)));
        endTurn();
        document.undo.removeAllActions();
        this->text->setEditMode(true);
        editor = this->text->editor();
    }
    // The key's first binding on this desktop, or the action itself when
    // it has none (as "start of paragraph" here).
    void press(QKeySequence::StandardKey key)
    {
        if (QKeySequence::keyBindings(key).isEmpty())
            EXPECT_TRUE(editor->perform(key));
        else
            EXPECT_TRUE(editor->keyPress(binding(key), QString()));
        endTurn();
    }
    void backspace()
    {
        EXPECT_TRUE(editor->keyPress(QKeyCombination(Qt::Key_Backspace), QStringLiteral("\b")));
        endTurn();
    }
    void type(const QString& text)
    {
        for (const QChar c : text) {
            editor->keyPress(QKeyCombination(Qt::Key(c.toUpper().unicode())), QString(c));
            endTurn();
        }
    }
    // The view point in the middle of a character.
    QPointF pointAt(int position)
    {
        const QRectF before = caretAt(position);
        const QRectF after = caretAt(position + 1);
        return QPointF((before.left() + after.left()) / 2, before.center().y());
    }
    QRectF caretAt(int position)
    {
        const ql::text::FlowLayout::Caret caret = text->layoutManager()->caretRect(position);
        return caret.rect.translated(text->textContainerInset().width(), text->textContainerInset().height());
    }
};

} // namespace

TEST(TextEditor, ARunOfTypingIsOneStepThatUndoesAndRedoes)
{
    EditedBox box(QStringLiteral("Hi"));
    box.editor->setPosition(2);
    box.type(QStringLiteral(" there"));
    EXPECT_EQ(box.text->string(), QStringLiteral("Hi there"));
    EXPECT_EQ(box.document.undo.undoCount(), 1);
    EXPECT_EQ(box.fontAt(5), ql::Font(QStringLiteral("Helvetica"), 12));
    box.document.undo.undo();
    EXPECT_EQ(box.text->string(), QStringLiteral("Hi"));
    box.document.undo.redo();
    EXPECT_EQ(box.text->string(), QStringLiteral("Hi there"));

    // Moving the caret ends the run; backspacing is a run of its own.
    box.editor->setPosition(8);
    box.backspace();
    box.backspace();
    EXPECT_EQ(box.text->string(), QStringLiteral("Hi the"));
    box.type(QStringLiteral("m"));
    EXPECT_EQ(box.document.undo.undoCount(), 3);
    box.document.undo.undo();
    box.document.undo.undo();
    EXPECT_EQ(box.text->string(), QStringLiteral("Hi there"));
    // Selected text typed over comes back with its attributes.
    box.text->setAttributedString(ql::AttributedString(QStringLiteral("bold"), fontAttributes(QStringLiteral("Helvetica-Bold"), 20)));
    box.document.undo.removeAllActions();
    box.editor->selectAll();
    box.type(QStringLiteral("x"));
    box.document.undo.undo();
    EXPECT_EQ(box.text->attributedString(),
              ql::AttributedString(QStringLiteral("bold"), fontAttributes(QStringLiteral("Helvetica-Bold"), 20)));
    EXPECT_EQ(box.text->selectedRange(), (ZVTextView::Range {0, 4}));
}

TEST(TextEditor, StandardKeysMoveSelectAndDelete)
{
    EditedBox box(QStringLiteral("one two three\nsecond paragraph"));
    box.editor->setPosition(0);
    box.press(QKeySequence::MoveToNextWord);
    EXPECT_EQ(box.editor->position(), 4);
    box.press(QKeySequence::SelectEndOfLine);
    EXPECT_EQ(box.text->selectedRange(), (ZVTextView::Range {4, 9}));
    box.press(QKeySequence::MoveToNextChar);
    EXPECT_EQ(box.editor->position(), 13);
    box.press(QKeySequence::MoveToNextLine);
    EXPECT_EQ(box.text->layoutManager()->caretRect(box.editor->position()).rect.top(),
              box.text->layoutManager()->caretRect(box.text->textLength()).rect.top());
    box.press(QKeySequence::MoveToStartOfBlock);
    EXPECT_EQ(box.editor->position(), 14);
    box.press(QKeySequence::MoveToPreviousLine);
    box.press(QKeySequence::MoveToStartOfLine);
    EXPECT_EQ(box.editor->position(), 0);
    box.press(QKeySequence::SelectEndOfDocument);
    EXPECT_EQ(box.text->selectedRange(), (ZVTextView::Range {0, box.text->textLength()}));
    box.editor->setPosition(3);
    box.press(QKeySequence::DeleteStartOfWord);
    EXPECT_EQ(box.text->string(), QStringLiteral(" two three\nsecond paragraph"));
    box.press(QKeySequence::Delete);
    EXPECT_EQ(box.text->string(), QStringLiteral("two three\nsecond paragraph"));
    box.press(QKeySequence::InsertParagraphSeparator);
    EXPECT_EQ(box.text->string(), QStringLiteral("\ntwo three\nsecond paragraph"));
    // A key that is no editing key is left to others.
    EXPECT_FALSE(box.editor->keyPress(QKeyCombination(Qt::ControlModifier, Qt::Key_K), QStringLiteral("\x0b")));
}

TEST(TextEditor, ClicksSelectCharactersWordsAndParagraphs)
{
    EditedBox box(QStringLiteral("alpha beta gamma\nnext one"));
    box.editor->mousePress(box.pointAt(7), 1, false);
    box.editor->mouseRelease(box.pointAt(7));
    EXPECT_EQ(box.text->selectedRange().length, 0);
    EXPECT_TRUE(box.text->selectedRange().location == 7 || box.text->selectedRange().location == 8);
    box.editor->mousePress(box.pointAt(7), 2, false);
    EXPECT_EQ(box.text->selectedRange(), (ZVTextView::Range {6, 4}));
    // Dragging from a word extends by words.
    box.editor->mouseDrag(box.pointAt(12));
    EXPECT_EQ(box.text->selectedRange(), (ZVTextView::Range {6, 10}));
    box.editor->mousePress(box.pointAt(19), 3, false);
    EXPECT_EQ(box.text->selectedRange(), (ZVTextView::Range {17, 8}));
    box.editor->mousePress(box.pointAt(1), 3, false);
    EXPECT_EQ(box.text->selectedRange(), (ZVTextView::Range {0, 17}));
    // The caret is drawn one point wide and at least 15 tall, at the line.
    box.editor->setPosition(2);
    const QRectF caret = box.editor->caretRect();
    EXPECT_EQ(caret.width(), 1.0);
    EXPECT_GE(caret.height(), 15.0);
    box.editor->setPosition(2);
    box.editor->setPosition(5, true);
    ASSERT_EQ(box.editor->selectionRects().size(), 1);
    EXPECT_NEAR(box.editor->selectionRects().first().left(), caret.left(), 0.01);
}

TEST(TextEditor, StyledTextSurvivesCutCopyAndPaste)
{
    EditedBox box;
    ql::AttributedString styled(QStringLiteral("red "), fontAttributes(QStringLiteral("Times-Bold"), 18));
    styled.addAttribute(A::foregroundColor, QVariant::fromValue(ql::Color::deviceCmyk(0, 1, 1, 0)), 0, 3);
    styled.append(QStringLiteral("plain"), fontAttributes(QStringLiteral("Helvetica"), 12));
    box.text->setAttributedString(styled);
    box.editor->selectAll();
    box.editor->copy();
    EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasFormat(TextEditor::styledTextMimeType()));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("red plain"));

    EditedBox other(QStringLiteral("<>"));
    other.editor->setPosition(1);
    other.editor->paste();
    EXPECT_EQ(other.text->string(), QStringLiteral("<red plain>"));
    EXPECT_EQ(other.text->textStorage()->attributedSubstring(1, 9), styled);
    EXPECT_EQ(other.steps(), 1);

    box.editor->setPosition(0);
    box.editor->setPosition(4, true);
    box.editor->cut();
    EXPECT_EQ(box.text->string(), QStringLiteral("plain"));

    // Text from other programs: formatted HTML keeps what it can, plain
    // text takes the typing attributes.
    auto* html = new QMimeData;
    html->setHtml(QStringLiteral("<b>strong</b>"));
    QGuiApplication::clipboard()->setMimeData(html);
    box.editor->setPosition(0);
    box.editor->paste();
    EXPECT_EQ(box.text->string(), QStringLiteral("strongplain"));
    EXPECT_EQ(ql::FontResolver::traits(box.fontAt(0)), ql::BoldTrait);
    QGuiApplication::clipboard()->setText(QStringLiteral("+"));
    box.editor->setPosition(box.text->textLength());
    box.editor->paste();
    EXPECT_EQ(box.text->string(), QStringLiteral("strongplain+"));
    EXPECT_EQ(box.at(11).value(A::font), box.text->typingAttributes().value(A::font));
}

TEST(TextEditor, InputMethodsEscapeAndBoxesThatAreNotEdited)
{
    EditedBox box(QStringLiteral("naive"));
    box.editor->setPosition(2);
    box.editor->setPreedit(QStringLiteral("i"));
    box.editor->commitInputMethod(QStringLiteral("\u00ef"), 0, 1);
    EXPECT_EQ(box.text->string(), QStringLiteral("na\u00efve"));
    EXPECT_TRUE(box.editor->preedit().isEmpty());

    // Escape ends the page's selection, and with it the editing.
    ql::CanvasEvent escape;
    escape.keyCode = Qt::Key_Escape;
    EXPECT_TRUE(box.text->keyDown(escape));
    EXPECT_FALSE(box.text->editMode());
    EXPECT_FALSE(box.text->offersContextMenu());
    // Keys do not reach a box that is not edited.
    ql::CanvasEvent key;
    key.keyCode = Qt::Key_X;
    key.characters = QStringLiteral("x");
    EXPECT_FALSE(box.text->keyDown(key));
    EXPECT_EQ(box.text->string(), QStringLiteral("na\u00efve"));
}

TEST(TextEditor, TheCaretMovesOnIntoTheNextBoxOfTheChain)
{
    EditedBox box;
    box.element->setFrame(QRectF(0, 0, 200, 110));
    ZVPuttyView* second = ZVPuttyView::initWithText().release();
    box.page->addPuttyView(second);
    second->setFrame(QRectF(300, 0, 200, 200));
    auto* next = qobject_cast<ZVTextView*>(second->contentView());
    next->joinTextChain(box.text, 1);
    box.text->setAttributedString(ql::AttributedString(QStringLiteral("line one\nline two\nline three\nline four"),
                                                       fontAttributes(QStringLiteral("Helvetica"), 12)));
    const ql::text::FlowLayout::Range first = box.text->layoutManager()->characterRangeForTextContainer(0);
    ASSERT_LT(first.length, box.text->textLength());
    box.editor->setPosition(first.location + first.length - 1);
    box.press(QKeySequence::MoveToNextLine);
    EXPECT_GE(box.editor->position(), first.location + first.length);
    EXPECT_TRUE(box.editor->caretRect().isNull());
    EXPECT_EQ(box.text->layoutManager()->caretRect(box.editor->position()).container, 1);
}

TEST(TextEditor, TypingTakesTheStyleOfTheTextItJoins)
{
    TextBox box;
    ql::AttributedString text(QStringLiteral("A"), fontAttributes(QStringLiteral("Helvetica"), 20));
    text.append(ql::AttributedString(QStringLiteral("bc"), fontAttributes(QStringLiteral("Helvetica"), 14)));
    box.text->setAttributedString(text);
    // Opened with the caret at the start: the first character's style, not
    // what the box was made with.
    box.text->setEditMode(true);
    TextEditor* editor = box.text->editor();
    editor->insertText(QStringLiteral("X"));
    EXPECT_EQ(box.fontAt(0).pointSize(), 20.0);

    // Deleting forward leaves the caret before other text: that text's style.
    editor->setPosition(0);
    editor->perform(QKeySequence::Delete);
    editor->perform(QKeySequence::Delete);
    editor->insertText(QStringLiteral("Y"));
    EXPECT_EQ(box.text->string(), QStringLiteral("Ybc"));
    EXPECT_EQ(box.fontAt(0).pointSize(), 14.0);

    // A size chosen at the caret holds while the caret stays.
    editor->setPosition(3);
    box.text->setValueForKey(u"currentFontSize", 30.0);
    editor->perform(QKeySequence::MoveToEndOfDocument);
    editor->insertText(QStringLiteral("!"));
    EXPECT_EQ(box.fontAt(3).pointSize(), 30.0);

    // An emptied box keeps what it was set to.
    editor->selectAll();
    editor->perform(QKeySequence::Delete);
    box.text->setValueForKey(u"currentFontSize", 9.0);
    editor->insertText(QStringLiteral("Z"));
    EXPECT_EQ(box.fontAt(0).pointSize(), 9.0);
}

TEST(TextEditor, TypingAfterPastedRichTextContinuesItsLastCharacter)
{
    // Two families at 14 pt, with the blanks between and after the styled
    // runs that files and browsers leave.
    const QString html = QStringLiteral(
        "<html><body><p><span style=\"font-family:'DejaVu Serif'; font-size:14pt\">serif</span> "
        "<span style=\"font-family:'DejaVu Sans Mono'; font-size:14pt\">mono</span></p></body></html>\n");
    const QByteArray rtf = "{\\rtf1{\\fonttbl{\\f0 DejaVu Serif;}{\\f1 DejaVu Sans Mono;}}\\f0\\fs28 serif \\f1 mono\\par}";
    for (const bool asRtf : {false, true}) {
        for (const int at : {5, 11}) {
            const std::string where = (asRtf ? "RTF at " : "HTML at ") + std::to_string(at);
            EditedBox box;
            box.text->setAttributedString(
                ql::AttributedString(QStringLiteral("Hello World"), fontAttributes(QStringLiteral("Helvetica"), 14)));
            box.editor->setPosition(at);
            auto* data = new QMimeData;
            if (asRtf)
                data->setData(QStringLiteral("text/rtf"), rtf);
            else
                data->setHtml(html);
            QGuiApplication::clipboard()->setMimeData(data);
            box.editor->paste();
            endTurn();
            ASSERT_TRUE(box.text->string().contains(QStringLiteral("serif mono"))) << where;

            // The typing attributes and the inspector follow the character
            // before the caret, before and after typing; after the RTF's
            // closing paragraph end the caret starts a paragraph, which
            // typing continues.
            const int caret = box.editor->position();
            const bool paragraphStart = ql::text::isParagraphSeparator(box.text->string().at(caret - 1));
            const ql::Font before = box.fontAt(paragraphStart ? caret : caret - 1);
            const auto showsBefore = [&](const char* step) {
                EXPECT_EQ(box.text->currentFontSize().toDouble(), before.pointSize()) << where << step;
                EXPECT_EQ(box.text->currentFontFamilyName(), ql::FontResolver::familyOf(before.postScriptName()))
                    << where << step;
            };
            showsBefore(", pasted");
            box.type(QStringLiteral("word"));
            EXPECT_EQ(box.fontAt(caret), before) << where;
            showsBefore(", typed");
            // Nobody chose any size but 14 pt.
            for (const ql::AttributedString::Run& run : box.text->attributedString().runs())
                EXPECT_EQ(run.attributes.value(A::font).value<ql::Font>().pointSize(), 14.0) << where;
        }
    }
}
