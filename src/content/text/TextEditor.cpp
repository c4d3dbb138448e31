#include "content/text/TextEditor.h"

#include "content/ZVTextView.h"
#include "content/text/AttributedTextMapping.h"
#include "content/text/FlowLayout.h"
#include "content/text/ForeignRichText.h"
#include "content/text/TextStorage.h"
#include "platform/archive/ClassRegistry.h"
#include "platform/archive/KeyedArchiver.h"
#include "platform/archive/KeyedUnarchiver.h"
#include "platform/graphics/FontResolver.h"
#include "platform/undo/UndoManager.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <optional>

namespace ql::text {

// One undoable change of the text: what was removed at a position and what
// took its place, both as styled text and as document positions.
struct TextEditor::Edit {
    int location = 0;
    AttributedString removed;
    int removedLength = 0;
    AttributedString inserted;
    int insertedLength = 0;
    bool deleting = false;
    // The document's revision after this edit; a run continues only while
    // nothing else changed the text.
    int revision = 0;
};

namespace {

QTextDocument* documentOf(const ZVTextView* view)
{
    return view && view->textStorage() ? view->textStorage()->document() : nullptr;
}

// Replaces [location, location + length) with styled text; the position
// after the new text.
int replaceText(QTextDocument* document, int location, int length, const AttributedString& text)
{
    QTextCursor cursor(document);
    cursor.setPosition(location);
    cursor.setPosition(location + length, QTextCursor::KeepAnchor);
    insertAttributedString(cursor, text);
    return cursor.position();
}

bool matches(QKeyCombination key, QKeySequence::StandardKey standard)
{
    for (const QKeySequence& sequence : QKeySequence::keyBindings(standard)) {
        if (sequence.count() == 1 && sequence[0] == key)
            return true;
    }
    return false;
}

} // namespace

TextEditor::TextEditor(ZVTextView* view) : QObject(view), m_view(view)
{
    syncFromView();
}

TextEditor::~TextEditor() = default;

QString TextEditor::styledTextMimeType()
{
    return QStringLiteral("application/x-quiverleaf-styled-text");
}

int TextEditor::textLength() const
{
    return m_view ? m_view->textLength() : 0;
}

void TextEditor::syncFromView()
{
    if (!m_view)
        return;
    const ZVTextView::Range range = m_view->selectedRange();
    const int start = std::min(m_anchor, m_position);
    const int end = std::max(m_anchor, m_position);
    if (range.location == start && range.end() == end && end <= textLength())
        return;
    m_anchor = range.location;
    m_position = range.end();
    endRun();
}

int TextEditor::position() const
{
    const_cast<TextEditor*>(this)->syncFromView();
    return m_position;
}

int TextEditor::anchor() const
{
    const_cast<TextEditor*>(this)->syncFromView();
    return m_anchor;
}

void TextEditor::endRun()
{
    m_run.reset();
}

void TextEditor::moveTo(int position, bool extend, bool keepGoal)
{
    syncFromView();
    m_position = std::clamp(position, 0, textLength());
    if (!extend)
        m_anchor = m_position;
    if (!keepGoal)
        m_goalX = -1;
    if (m_view) {
        const int start = std::min(m_anchor, m_position);
        m_view->setSelectedRange({start, std::abs(m_position - m_anchor)});
    }
}

void TextEditor::setPosition(int position, bool extend)
{
    endRun();
    moveTo(position, extend);
}

void TextEditor::selectAll()
{
    endRun();
    moveTo(0, false);
    moveTo(textLength(), true);
}

// Editing ------------------------------------------------------------------

int TextEditor::revision() const
{
    return m_view && m_view->textStorage() ? m_view->textStorage()->revision() : 0;
}

void TextEditor::registerUndo(const QPointer<ZVTextView>& view, const std::shared_ptr<Edit>& edit)
{
    UndoManager* manager = view ? view->undoManager() : nullptr;
    if (!manager)
        return;
    manager->registerUndo(view, [view, edit] { applyInverse(view, edit); });
}

void TextEditor::applyInverse(const QPointer<ZVTextView>& view, const std::shared_ptr<Edit>& edit)
{
    QTextDocument* document = documentOf(view);
    if (!document || edit->location + edit->insertedLength > text::textLength(*document))
        return;
    auto inverse = std::make_shared<Edit>();
    inverse->location = edit->location;
    inverse->removed = edit->inserted;
    inverse->removedLength = edit->insertedLength;
    inverse->inserted = edit->removed;
    const int end = replaceText(document, edit->location, edit->insertedLength, edit->removed);
    inverse->insertedLength = end - edit->location;
    registerUndo(view, inverse);
    // What the step brought back is selected, as after any undo of typing.
    view->setSelectedRange({edit->location, inverse->insertedLength});
}

void TextEditor::replace(int start, int end, const AttributedString& text, bool run)
{
    QTextDocument* document = documentOf(m_view);
    if (!document || !m_view->isEditable())
        return;
    start = std::clamp(start, 0, textLength());
    end = std::clamp(end, start, textLength());
    const AttributedString removed = attributedSubstring(*document, start, end - start);
    const bool continues = run && m_run && !m_run->deleting && m_run->revision == revision()
                           && start == end && start == m_run->location + m_run->insertedLength;
    const int after = replaceText(document, start, end - start, text);
    if (continues) {
        m_run->inserted.append(text);
        m_run->insertedLength += after - start;
    } else {
        auto edit = std::make_shared<Edit>();
        edit->location = start;
        edit->removed = removed;
        edit->removedLength = end - start;
        edit->inserted = text;
        edit->insertedLength = after - start;
        registerUndo(m_view, edit);
        m_run = run ? edit : nullptr;
    }
    if (m_run)
        m_run->revision = revision();
    const std::shared_ptr<Edit> keep = m_run;
    moveTo(after, false);
    m_run = keep;
}

void TextEditor::deleteRange(int start, int end, bool backwards)
{
    QTextDocument* document = documentOf(m_view);
    if (!document || !m_view->isEditable())
        return;
    start = std::clamp(start, 0, textLength());
    end = std::clamp(end, start, textLength());
    if (start == end)
        return;
    const AttributedString removed = attributedSubstring(*document, start, end - start);
    const bool continues = m_run && m_run->deleting && m_run->revision == revision()
                           && (backwards ? end == m_run->location : start == m_run->location);
    replaceText(document, start, end - start, AttributedString());
    if (continues) {
        if (backwards) {
            AttributedString joined = removed;
            joined.append(m_run->removed);
            m_run->removed = joined;
            m_run->location = start;
        } else {
            m_run->removed.append(removed);
        }
        m_run->removedLength += end - start;
    } else {
        auto edit = std::make_shared<Edit>();
        edit->location = start;
        edit->removed = removed;
        edit->removedLength = end - start;
        edit->deleting = true;
        registerUndo(m_view, edit);
        m_run = edit;
    }
    m_run->revision = revision();
    const std::shared_ptr<Edit> keep = m_run;
    moveTo(start, false);
    m_run = keep;
    // A forward delete leaves the caret where it was, before other text.
    m_view->takeTypingAttributesFromText();
}

void TextEditor::insertText(const QString& text)
{
    syncFromView();
    if (!m_view || text.isEmpty())
        return;
    const int start = std::min(m_anchor, m_position);
    const int end = std::max(m_anchor, m_position);
    replace(start, end, AttributedString(text, m_view->typingAttributes()), start == end);
}

void TextEditor::commitInputMethod(const QString& text, int replacementStart, int replacementLength)
{
    syncFromView();
    m_preedit.clear();
    if (!m_view)
        return;
    int start = std::min(m_anchor, m_position);
    int end = std::max(m_anchor, m_position);
    if (replacementLength > 0) {
        start = std::clamp(m_position + replacementStart, 0, textLength());
        end = std::clamp(start + replacementLength, start, textLength());
    }
    if (text.isEmpty() && start == end)
        return;
    replace(start, end, AttributedString(text, m_view->typingAttributes()), start == end);
}

// Moving ------------------------------------------------------------------------

QPointF TextEditor::containerOrigin() const
{
    return m_view ? m_view->textContainerOrigin() : QPointF();
}

int TextEditor::positionAt(QPointF viewPoint) const
{
    FlowLayout* layout = m_view ? m_view->layoutManager() : nullptr;
    if (!layout)
        return 0;
    const int container = layout->indexOfTextContainer(m_view->textContainer());
    return layout->characterIndexForPoint(std::max(container, 0), viewPoint - containerOrigin());
}

int TextEditor::lineMove(int position, int lines) const
{
    FlowLayout* layout = m_view->layoutManager();
    const FlowLayout::Caret caret = layout->caretRect(position);
    if (!caret.isValid())
        return lines > 0 ? textLength() : position;
    const double x = m_goalX >= 0 ? m_goalX : caret.rect.x();
    int container = caret.container;
    double rowTop = caret.rect.top();
    for (int step = 0; step < std::abs(lines); ++step) {
        // The nearest row above or below, in this box or the next one.
        std::optional<double> next;
        for (;;) {
            for (const FlowLayout::Line& line : layout->linesInTextContainer(container)) {
                const double top = line.rect.top();
                if (lines > 0 ? top > rowTop && (!next || top < *next) : top < rowTop && (!next || top > *next))
                    next = top;
            }
            if (next)
                break;
            container += lines > 0 ? 1 : -1;
            if (container < 0)
                return 0;
            if (container >= layout->textContainerCount())
                return textLength();
            rowTop = lines > 0 ? -1e300 : 1e300;
        }
        rowTop = *next;
    }
    for (const FlowLayout::Line& line : layout->linesInTextContainer(container)) {
        if (line.rect.top() == rowTop)
            return layout->characterIndexForPoint(container, QPointF(x, line.rect.center().y()));
    }
    return position;
}

int TextEditor::lineBoundary(int position, bool end) const
{
    FlowLayout* layout = m_view->layoutManager();
    const FlowLayout::Caret caret = layout->caretRect(position);
    if (!caret.isValid())
        return position;
    for (const FlowLayout::Line& line : layout->linesInTextContainer(caret.container)) {
        if (line.rect.top() != caret.rect.top() || position < line.start || position > line.start + line.length)
            continue;
        if (!end)
            return line.start;
        int lineEnd = line.start + line.length;
        // A line that wrapped at a space ends before it: after it is the next line.
        const QString text = plainText(*documentOf(m_view)).mid(line.start, line.length);
        if (!text.isEmpty() && text.back().isSpace() && lineEnd < textLength()
            && documentOf(m_view)->findBlock(lineEnd).position() != lineEnd)
            --lineEnd;
        return lineEnd;
    }
    return position;
}

int TextEditor::wordBoundary(int position, bool forward) const
{
    QTextCursor cursor(documentOf(m_view));
    cursor.setPosition(position);
    cursor.movePosition(forward ? QTextCursor::NextWord : QTextCursor::PreviousWord);
    return cursor.position();
}

std::pair<int, int> TextEditor::unitAround(int position, Unit unit) const
{
    QTextDocument* document = documentOf(m_view);
    if (unit == Unit::Paragraph) {
        const QTextBlock block = document->findBlock(position);
        const int end = block.position() + block.length() - (block.next().isValid() ? 0 : 1);
        return {block.position(), std::min(end, textLength())};
    }
    if (unit == Unit::Word) {
        QTextCursor cursor(document);
        cursor.setPosition(position);
        cursor.select(QTextCursor::WordUnderCursor);
        if (cursor.hasSelection())
            return {cursor.selectionStart(), cursor.selectionEnd()};
    }
    return {position, position};
}

namespace {

const QKeySequence::StandardKey kEditingKeys[] = {
    QKeySequence::MoveToNextChar,        QKeySequence::MoveToPreviousChar,     QKeySequence::MoveToNextWord,
    QKeySequence::MoveToPreviousWord,    QKeySequence::MoveToNextLine,         QKeySequence::MoveToPreviousLine,
    QKeySequence::MoveToNextPage,        QKeySequence::MoveToPreviousPage,     QKeySequence::MoveToStartOfLine,
    QKeySequence::MoveToEndOfLine,       QKeySequence::MoveToStartOfBlock,     QKeySequence::MoveToEndOfBlock,
    QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,    QKeySequence::SelectNextChar,
    QKeySequence::SelectPreviousChar,    QKeySequence::SelectNextWord,         QKeySequence::SelectPreviousWord,
    QKeySequence::SelectNextLine,        QKeySequence::SelectPreviousLine,     QKeySequence::SelectNextPage,
    QKeySequence::SelectPreviousPage,    QKeySequence::SelectStartOfLine,      QKeySequence::SelectEndOfLine,
    QKeySequence::SelectStartOfBlock,    QKeySequence::SelectEndOfBlock,       QKeySequence::SelectStartOfDocument,
    QKeySequence::SelectEndOfDocument,   QKeySequence::SelectAll,              QKeySequence::Deselect,
    QKeySequence::Delete,                QKeySequence::Backspace,              QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteEndOfWord,       QKeySequence::DeleteEndOfLine,        QKeySequence::DeleteCompleteLine,
    QKeySequence::InsertParagraphSeparator, QKeySequence::InsertLineSeparator, QKeySequence::Cut,
    QKeySequence::Copy,                  QKeySequence::Paste,
};

std::optional<QKeySequence::StandardKey> standardEditingKey(QKeyCombination key)
{
    for (QKeySequence::StandardKey standard : kEditingKeys) {
        if (matches(key, standard))
            return standard;
    }
    // Backspace has a standard sequence on some desktops only.
    const Qt::KeyboardModifiers held = key.keyboardModifiers() & ~Qt::KeypadModifier;
    if (key.key() == Qt::Key_Backspace && (held == Qt::NoModifier || held == Qt::ShiftModifier))
        return QKeySequence::Backspace;
    return std::nullopt;
}

// Printable text (and tabs) with no command modifier is typed.
bool isTypedText(QKeyCombination key, const QString& text)
{
    if (text.isEmpty() || (key.keyboardModifiers() & (Qt::ControlModifier | Qt::MetaModifier)))
        return false;
    // By code point: a character beyond the first plane comes as two halves.
    for (const char32_t c : text.toUcs4()) {
        if (!QChar::isPrint(c) && c != U'\t')
            return false;
    }
    return true;
}

// Shift+Tab, as Backtab or as Tab with Shift held: in text being edited it
// types nothing and moves nowhere, rather than taking the keys out of the text.
bool isBacktab(QKeyCombination key)
{
    const Qt::KeyboardModifiers held = key.keyboardModifiers();
    return !(held & (Qt::ControlModifier | Qt::MetaModifier))
           && (key.key() == Qt::Key_Backtab || (key.key() == Qt::Key_Tab && (held & Qt::ShiftModifier)));
}

} // namespace

bool TextEditor::isEditingKey(QKeyCombination key, const QString& text)
{
    return standardEditingKey(key) || isBacktab(key) || isTypedText(key, text);
}

bool TextEditor::keyPress(QKeyCombination key, const QString& text)
{
    if (const std::optional<QKeySequence::StandardKey> standard = standardEditingKey(key))
        return perform(*standard);
    if (isBacktab(key))
        return true;
    if (!isTypedText(key, text))
        return false;
    insertText(text);
    return true;
}

bool TextEditor::perform(QKeySequence::StandardKey key)
{
    syncFromView();
    if (!m_view)
        return false;
    using K = QKeySequence;
    const int start = std::min(m_anchor, m_position);
    const int end = std::max(m_anchor, m_position);
    const bool selection = start != end;
    auto character = [&](int from, bool forward) {
        QTextCursor cursor(documentOf(m_view));
        cursor.setPosition(from);
        cursor.movePosition(forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter);
        return cursor.position();
    };
    auto paragraphEdge = [&](int from, bool forward) {
        const QTextBlock block = documentOf(m_view)->findBlock(from);
        return forward ? block.position() + block.length() - 1 : block.position();
    };
    auto page = [&](bool forward) {
        const FlowLayout::Caret caret = m_view->layoutManager()->caretRect(m_position);
        const int lines = caret.isValid() ? std::max(1, int(m_view->textContainer()->containerSize().height()
                                                              / std::max(caret.rect.height(), 1.0)))
                                          : 1;
        return lineMove(m_position, forward ? lines : -lines);
    };
    auto vertical = [&](int target, bool extend) {
        const FlowLayout::Caret caret = m_view->layoutManager()->caretRect(m_position);
        if (m_goalX < 0 && caret.isValid())
            m_goalX = caret.rect.x();
        const double goal = m_goalX;
        endRun();
        moveTo(target, extend, true);
        m_goalX = goal;
    };
    switch (key) {
    case K::MoveToNextChar: setPosition(selection ? end : character(m_position, true)); return true;
    case K::MoveToPreviousChar: setPosition(selection ? start : character(m_position, false)); return true;
    case K::SelectNextChar: setPosition(character(m_position, true), true); return true;
    case K::SelectPreviousChar: setPosition(character(m_position, false), true); return true;
    case K::MoveToNextWord: setPosition(wordBoundary(m_position, true)); return true;
    case K::MoveToPreviousWord: setPosition(wordBoundary(m_position, false)); return true;
    case K::SelectNextWord: setPosition(wordBoundary(m_position, true), true); return true;
    case K::SelectPreviousWord: setPosition(wordBoundary(m_position, false), true); return true;
    case K::MoveToNextLine: vertical(lineMove(m_position, 1), false); return true;
    case K::MoveToPreviousLine: vertical(lineMove(m_position, -1), false); return true;
    case K::SelectNextLine: vertical(lineMove(m_position, 1), true); return true;
    case K::SelectPreviousLine: vertical(lineMove(m_position, -1), true); return true;
    case K::MoveToNextPage: vertical(page(true), false); return true;
    case K::MoveToPreviousPage: vertical(page(false), false); return true;
    case K::SelectNextPage: vertical(page(true), true); return true;
    case K::SelectPreviousPage: vertical(page(false), true); return true;
    case K::MoveToStartOfLine: setPosition(lineBoundary(m_position, false)); return true;
    case K::MoveToEndOfLine: setPosition(lineBoundary(m_position, true)); return true;
    case K::SelectStartOfLine: setPosition(lineBoundary(m_position, false), true); return true;
    case K::SelectEndOfLine: setPosition(lineBoundary(m_position, true), true); return true;
    case K::MoveToStartOfBlock: setPosition(paragraphEdge(m_position, false)); return true;
    case K::MoveToEndOfBlock: setPosition(paragraphEdge(m_position, true)); return true;
    case K::SelectStartOfBlock: setPosition(paragraphEdge(m_position, false), true); return true;
    case K::SelectEndOfBlock: setPosition(paragraphEdge(m_position, true), true); return true;
    case K::MoveToStartOfDocument: setPosition(0); return true;
    case K::MoveToEndOfDocument: setPosition(textLength()); return true;
    case K::SelectStartOfDocument: setPosition(0, true); return true;
    case K::SelectEndOfDocument: setPosition(textLength(), true); return true;
    case K::SelectAll: selectAll(); return true;
    case K::Deselect: setPosition(m_position); return true;
    case K::Delete:
        if (selection) {
            endRun();
            deleteRange(start, end, false);
            endRun();
        } else {
            deleteRange(m_position, character(m_position, true), false);
        }
        return true;
    case K::Backspace:
        if (selection) {
            endRun();
            deleteRange(start, end, true);
            endRun();
        } else {
            deleteRange(character(m_position, false), m_position, true);
        }
        return true;
    case K::DeleteStartOfWord:
        endRun();
        deleteRange(selection ? start : wordBoundary(m_position, false), selection ? end : m_position, true);
        endRun();
        return true;
    case K::DeleteEndOfWord:
        endRun();
        deleteRange(selection ? start : m_position, selection ? end : wordBoundary(m_position, true), false);
        endRun();
        return true;
    case K::DeleteEndOfLine:
        endRun();
        deleteRange(m_position, std::max(lineBoundary(m_position, true), m_position), false);
        endRun();
        return true;
    case K::DeleteCompleteLine:
        endRun();
        deleteRange(lineBoundary(m_position, false), lineBoundary(m_position, true), false);
        endRun();
        return true;
    case K::InsertParagraphSeparator: insertText(QStringLiteral("\n")); return true;
    case K::InsertLineSeparator: insertText(QString(QChar::LineSeparator)); return true;
    case K::Cut: cut(); return true;
    case K::Copy: copy(); return true;
    case K::Paste: paste(); return true;
    default: return false;
    }
}

// Pointer ------------------------------------------------------------------

void TextEditor::mousePress(QPointF viewPoint, int clickCount, bool extend)
{
    endRun();
    const int at = positionAt(viewPoint);
    m_dragUnit = clickCount >= 3 ? Unit::Paragraph : clickCount == 2 ? Unit::Word : Unit::Character;
    const auto [from, to] = unitAround(at, m_dragUnit);
    if (extend) {
        moveTo(at >= m_anchor ? to : from, true);
        m_dragOrigin = m_dragOriginEnd = m_anchor;
        return;
    }
    m_dragOrigin = from;
    m_dragOriginEnd = to;
    moveTo(from, false);
    moveTo(to, true);
}

void TextEditor::mouseDrag(QPointF viewPoint)
{
    const int at = positionAt(viewPoint);
    const auto [from, to] = unitAround(at, m_dragUnit);
    // The selection grows from the unit first pressed, a unit at a time.
    if (at >= m_dragOrigin) {
        moveTo(m_dragOrigin, false);
        moveTo(std::max(to, m_dragOriginEnd), true);
    } else {
        moveTo(m_dragOriginEnd, false);
        moveTo(from, true);
    }
}

void TextEditor::mouseRelease(QPointF viewPoint)
{
    mouseDrag(viewPoint);
}

// Clipboard -----------------------------------------------------------------

void TextEditor::copy() const
{
    const int start = std::min(anchor(), position());
    const int end = std::max(anchor(), position());
    QTextDocument* document = documentOf(m_view);
    if (!document || start == end)
        return;
    const AttributedString text = attributedSubstring(*document, start, end - start);
    auto* data = new QMimeData;
    KeyedArchiver archiver;
    archiver.encodeRootObject(QVariant::fromValue(text));
    if (Result<QByteArray> archive = archiver.finish())
        data->setData(styledTextMimeType(), *archive);
    QTextCursor cursor(document);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    data->setHtml(cursor.selection().toHtml());
    data->setText(text.string());
    QGuiApplication::clipboard()->setMimeData(data);
}

void TextEditor::cut()
{
    copy();
    syncFromView();
    endRun();
    deleteRange(std::min(m_anchor, m_position), std::max(m_anchor, m_position), true);
    endRun();
}

void TextEditor::paste()
{
    syncFromView();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data || !m_view)
        return;
    // Fonts the text names that the machine lacks cost a fontconfig
    // look-up each, as it is read and laid out.
    const FontResolver::AliasBudget fontLookups;
    std::optional<AttributedString> text;
    if (data->hasFormat(styledTextMimeType())) {
        static const ClassRegistry registry = ClassRegistry::withPlatformValues();
        KeyedUnarchiver unarchiver(registry);
        if (unarchiver.open(data->data(styledTextMimeType()))) {
            const QVariant root = unarchiver.decodeRootObject();
            if (unarchiver.finish() && root.metaType() == QMetaType::fromType<AttributedString>())
                text = root.value<AttributedString>();
        }
    }
    // Text from other programs; what its HTML leaves unstyled continues the
    // text at the caret, as typing would.
    if (!text) {
        const QVariant typingFont = m_view->typingAttributes().value(TextAttribute::font);
        text = foreignRichText(*data, typingFont.metaType() == QMetaType::fromType<Font>() ? typingFont.value<Font>()
                                                                                            : FontResolver::defaultFont());
    }
    if (!text && data->hasText())
        text = AttributedString(data->text(), m_view->typingAttributes());
    if (!text || text->isEmpty())
        return;
    endRun();
    replace(std::min(m_anchor, m_position), std::max(m_anchor, m_position), *text, false);
    endRun();
}

// Display -----------------------------------------------------------------------

QRectF TextEditor::caretRect() const
{
    FlowLayout* layout = m_view ? m_view->layoutManager() : nullptr;
    if (!layout)
        return {};
    const FlowLayout::Caret caret = layout->caretRect(position());
    if (!caret.isValid() || caret.container != layout->indexOfTextContainer(m_view->textContainer()))
        return {};
    return ZVTextView::insertionPointRect(caret.rect.translated(containerOrigin()));
}

QList<QRectF> TextEditor::selectionRects() const
{
    QList<QRectF> rects;
    FlowLayout* layout = m_view ? m_view->layoutManager() : nullptr;
    const int start = std::min(anchor(), position());
    const int end = std::max(anchor(), position());
    if (!layout || start == end)
        return rects;
    const int container = layout->indexOfTextContainer(m_view->textContainer());
    for (const QRectF& rect : layout->selectionRects(container, start, end))
        rects.append(rect.translated(containerOrigin()));
    return rects;
}

} // namespace ql::text
