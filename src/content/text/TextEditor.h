// Editing a text box in place: the caret and the selection, typing and
// deleting, moving by characters, words, lines, paragraphs and boxes (Shift
// extends), pointer selection (a click sets the caret, a double click takes
// a word, a triple click a paragraph, dragging extends), committed input
// method text, and cut, copy and paste of styled text. Keys are matched
// against the platform's standard key sequences. Every edit is undone on the
// box's document; a run of typing (or of deleting) is one step.
//
// Points are in the view's own coordinates (origin at the content's top
// left); the canvas maps page points through the element's rotation first.
#pragma once

#include "platform/graphics/AttributedString.h"

#include <QKeyCombination>
#include <QKeySequence>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <memory>

class ZVTextView;

namespace ql::text {

class TextEditor : public QObject {
    Q_OBJECT
public:
    explicit TextEditor(ZVTextView* view);
    ~TextEditor() override;

    ZVTextView* view() const { return m_view.data(); }

    // Where the caret is and where the selection started; equal when
    // nothing is selected.
    int position() const;
    int anchor() const;
    void setPosition(int position, bool extend = false);
    void selectAll();

    // A key press; true when it was an editing key. Undo and redo are the
    // document's, not the editor's.
    bool keyPress(QKeyCombination key, const QString& text);
    // Whether keyPress() would take the key: the window lets such keys
    // reach the editor before any menu shortcut.
    static bool isEditingKey(QKeyCombination key, const QString& text);
    bool perform(QKeySequence::StandardKey key);
    // Typed or committed text replaces the selection.
    void insertText(const QString& text);
    // An input method's commit: replaces `replacementLength` characters
    // from `replacementStart` (relative to the caret) or the selection.
    void commitInputMethod(const QString& text, int replacementStart = 0, int replacementLength = 0);
    // Composition shown at the caret until it is committed.
    void setPreedit(const QString& text) { m_preedit = text; }
    const QString& preedit() const { return m_preedit; }

    void mousePress(QPointF viewPoint, int clickCount, bool extend);
    void mouseDrag(QPointF viewPoint);
    void mouseRelease(QPointF viewPoint);

    void cut();
    void copy() const;
    void paste();

    // The caret in the view's coordinates (1 point wide, at least 15 tall);
    // null when the caret is in another box of the chain or in overflow.
    QRectF caretRect() const;
    // The selection's rectangles in the view's coordinates.
    QList<QRectF> selectionRects() const;

    // The clipboard format that keeps every attribute: a keyed archive of
    // the styled text.
    static QString styledTextMimeType();

private:
    struct Edit;
    enum class Unit { Character, Word, Paragraph };

    // Replaces a range with styled text, records the undo and puts the
    // caret after it. `run` joins a typing or deleting run when it continues one.
    void replace(int start, int end, const AttributedString& text, bool run);
    // Replaces the range with `text` in the typing attributes, which typing
    // keeps.
    void type(int start, int end, const QString& text);
    // An edit's undo on the box's document: it applies the opposite edit and
    // records that in turn. It needs no editor: the box may have left
    // editing long before.
    static void registerUndo(const QPointer<ZVTextView>& view, const std::shared_ptr<Edit>& edit);
    static void applyInverse(const QPointer<ZVTextView>& view, const std::shared_ptr<Edit>& edit);
    int revision() const;
    void deleteRange(int start, int end, bool backwards);
    void moveTo(int position, bool extend, bool keepGoal = false);
    int lineMove(int position, int lines) const;
    int lineBoundary(int position, bool end) const;
    int wordBoundary(int position, bool forward) const;
    std::pair<int, int> unitAround(int position, Unit unit) const;
    int positionAt(QPointF viewPoint) const;
    QPointF containerOrigin() const;
    int textLength() const;
    void syncFromView();
    void endRun();

    QPointer<ZVTextView> m_view;
    int m_anchor = 0;
    int m_position = 0;
    // The x a run of up and down moves keeps to, in container coordinates.
    double m_goalX = -1;
    Unit m_dragUnit = Unit::Character;
    int m_dragOrigin = 0;
    int m_dragOriginEnd = 0;
    QString m_preedit;
    std::shared_ptr<Edit> m_run;
    bool m_editing = false;
};

} // namespace ql::text
