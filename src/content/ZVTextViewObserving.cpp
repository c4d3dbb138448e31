// How the text view follows its own properties: each observed change runs its
// action (the dispatch table) and, for the undoable ones, records an undo
// step on the element's document that puts back both the property and the
// text it changed. Also entering and leaving editing.
#include "content/ZVTextView.h"

#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/text/AttributedTextMapping.h"
#include "content/text/TextStorage.h"
#include "platform/runtime/NotificationCenter.h"
#include "platform/undo/UndoManager.h"

#include <QScopedValueRollback>

void ZVTextView::startObserving()
{
    if (m_isObserving)
        return;
    m_observingKeyPaths = observingKeyPaths();
    observeOwnKeyPaths(observingKeyPaths(), [](ql::KVObject& self, const ql::KeyValueChange& change) {
        static_cast<ZVTextView&>(self).onObservedChange(change.keyPath, change.oldValue, change.newValue);
    });
    m_isObserving = true;
}

void ZVTextView::stopObserving()
{
    if (!m_isObserving)
        return;
    removeObservers(this);
    m_isObserving = false;
}

bool ZVTextView::isTextAction(const QString& keyPath)
{
    static const QStringList paths {
        QStringLiteral("currentFontFamilyName"), QStringLiteral("currentFontTypeFaceIndex"),
        QStringLiteral("currentHighlightColor"),  QStringLiteral("currentFontSize"),
        QStringLiteral("currentLetterSpacing"),   QStringLiteral("currentLineSpacing"),
        QStringLiteral("currentParagraphSpacing"), QStringLiteral("currentParagraphIndent"),
        QStringLiteral("currentParagraphNextIndent"), QStringLiteral("allowHyphenation"),
        QStringLiteral("currentLineHeight"),      QStringLiteral("strokeWidth"),
        QStringLiteral("strokeColor"),            QStringLiteral("strokeEnabled"),
    };
    return paths.contains(keyPath);
}

ZVTextView::Range ZVTextView::rangeOfAction(const QString& keyPath) const
{
    static const QStringList paragraph {
        QStringLiteral("currentLineSpacing"),     QStringLiteral("currentParagraphSpacing"),
        QStringLiteral("currentParagraphIndent"), QStringLiteral("currentParagraphNextIndent"),
        QStringLiteral("allowHyphenation"),       QStringLiteral("currentLineHeight"),
    };
    // Paragraph settings always cover the whole text.
    return paragraph.contains(keyPath) ? Range {0, textLength()} : applyRange();
}

bool ZVTextView::setsFont(const QString& keyPath)
{
    return keyPath == QLatin1String("currentFontFamilyName") || keyPath == QLatin1String("currentFontTypeFaceIndex")
           || keyPath == QLatin1String("currentHighlightColor");
}

void ZVTextView::dispatch(const QString& keyPath, bool applyToText)
{
    if (setsFont(keyPath)) {
        if (applyToText)
            applyFont();
    } else if (keyPath == QLatin1String("currentFontSize")) {
        if (applyToText)
            applyFontSize();
    } else if (keyPath == QLatin1String("currentLetterSpacing")) {
        if (applyToText)
            applyLetterSpacing();
    } else if (keyPath == QLatin1String("currentLineSpacing") || keyPath == QLatin1String("currentParagraphSpacing")
               || keyPath == QLatin1String("currentParagraphIndent")
               || keyPath == QLatin1String("currentParagraphNextIndent")
               || keyPath == QLatin1String("allowHyphenation") || keyPath == QLatin1String("currentLineHeight")) {
        if (applyToText)
            applyParagraphAttributes();
    } else if (keyPath == QLatin1String("currentVerticalInsetMargins")
               || keyPath == QLatin1String("currentHorizontalInsetMargins")) {
        applyInsets();
    } else if (keyPath == QLatin1String("pageNumberFormat") || keyPath == QLatin1String("dateFormat")
               || keyPath == QLatin1String("startPage")) {
        updateTextFromType();
    } else if (keyPath == QLatin1String("selectedPageNumberFormat")) {
        updatePageNumberFormat();
    } else if (keyPath == QLatin1String("selectedDateFormat")) {
        updateDateFormat();
    } else if (keyPath == QLatin1String("strokeWidth") || keyPath == QLatin1String("strokeColor")
               || keyPath == QLatin1String("strokeEnabled")) {
        if (applyToText)
            applyStroke();
    } else if (keyPath == QLatin1String("gradient")) {
        setNeedsDisplay();
        layout();
    } else {
        layout();
    }
}

void ZVTextView::onObservedChange(const QString& keyPath, const QVariant& oldValue, const QVariant& newValue)
{
    // Values read back from the text are the text's own: nothing to apply,
    // nothing to undo.
    if (m_readingBack > 0)
        return;
    // An undo that sets the value back puts the text back itself.
    if (m_restoring > 0) {
        dispatch(keyPath, false);
        return;
    }
    const bool undoable = undoableKeyPaths().contains(keyPath);
    const bool text = isTextAction(keyPath);
    TextState before;
    if (undoable) {
        QVariantMap properties {{keyPath, oldValue}};
        // Applying a font lists the faces of its family: they go back with it.
        if (setsFont(keyPath))
            properties.insert(QStringLiteral("fontTypeFaces"), m_fontTypeFaces);
        before = captureState(properties, text ? std::optional<Range>(rangeOfAction(keyPath)) : std::nullopt);
    }
    const int editsBefore = m_textEdits;
    dispatch(keyPath, true);
    // A face chosen is an emphasis too (Bold checks B), a family without the
    // face shown falls back to its first, and one size can make several fonts
    // one: the settings show what the text got.
    if (setsFont(keyPath) || keyPath == QLatin1String("currentFontSize"))
        readFaceBack();
    // Setting a value it already had records nothing, unless the text changed.
    if (undoable && (oldValue != newValue || changedSince(before, editsBefore)))
        registerStateUndo(before);
}

ZVTextView::TextState ZVTextView::captureState(const QVariantMap& properties, std::optional<Range> range) const
{
    TextState state;
    state.properties = properties;
    state.typing = m_typingAttributes;
    if (range && m_storage) {
        state.hasText = true;
        state.range = *range;
        state.text = ql::text::attributedSubstring(*m_storage->document(), range->location, range->length).string();
        state.runs = ql::text::attributeRuns(*m_storage->document(), range->location, range->length);
    }
    return state;
}

bool ZVTextView::textStateMatches(const TextState& state) const
{
    return state.hasText && m_storage && state.range.end() <= textLength()
           && ql::text::attributedSubstring(*m_storage->document(), state.range.location, state.range.length).string()
                  == state.text;
}

bool ZVTextView::changedSince(const TextState& before, int editsBefore) const
{
    return m_textEdits != editsBefore || before.typing != m_typingAttributes;
}

void ZVTextView::restoreState(const TextState& state)
{
    {
        QScopedValueRollback restoring(m_restoring, m_restoring + 1);
        for (auto it = state.properties.cbegin(); it != state.properties.cend(); ++it)
            setValueForKeyPath(it.key(), it.value());
    }
    if (!state.hasText)
        return;
    if (textStateMatches(state)) {
        ql::text::setAttributeRuns(*m_storage->document(), state.runs);
        m_typingAttributes = state.typing;
    } else {
        // The text moved on since: the value is applied as a new change would.
        for (auto it = state.properties.cbegin(); it != state.properties.cend(); ++it)
            dispatch(it.key(), true);
    }
    // The settings show what the text now holds: an emphasis undone puts
    // its face back too.
    readFaceBack();
}

void ZVTextView::registerStateUndo(const TextState& before)
{
    ql::UndoManager* manager = isRecordingUndo() ? undoManager() : nullptr;
    if (!manager)
        return;
    manager->registerUndo(this, [this, before] {
        // The inverse takes what is there now, in the same range.
        QVariantMap present;
        for (auto it = before.properties.cbegin(); it != before.properties.cend(); ++it)
            present.insert(it.key(), valueForKeyPath(it.key()));
        const TextState now =
            captureState(present, before.hasText ? std::optional<Range>(before.range) : std::nullopt);
        restoreState(before);
        registerStateUndo(now);
    });
}

// Editing -------------------------------------------------------------------

void ZVTextView::setEditMode(bool editMode)
{
    const bool wasEditing = this->editMode();
    ZVContentView::setEditMode(editMode);
    ZVCanvasView* page = puttyView() ? puttyView()->canvas() : nullptr;
    if (!editMode) {
        if (page)
            page->setValueForKey(u"editMode", false);
        // Guides moved on the rulers while the text was edited are stored now.
        if (wasEditing && page && page->document())
            page->document()->showRulers();
        if (ZVPuttyView* element = puttyView())
            element->showHandles();
        m_selectable = false;
        m_editable = false;
        // A box that was not edited draws as it did: a page clearing its
        // selection must not draw every box again.
        if (wasEditing)
            setNeedsDisplay();
        return;
    }
    // Page-number and date fields are never edited by hand.
    if (isField())
        return;
    // Typing right away continues the text at the caret, whatever was set
    // before the box was opened, and the settings show it there rather than
    // what the whole text holds.
    if (!wasEditing) {
        takeTypingAttributesFromText();
        textViewDidChangeSelection();
    }
    if (page)
        page->setValueForKey(u"editMode", true);
    ql::NotificationCenter::defaultCenter().post(QStringLiteral("disableBackgroundColorPicker"), this);
    // The handles would only be in the way of the text.
    if (ZVPuttyView* element = puttyView())
        element->hideHandles();
    m_selectable = true;
    m_editable = true;
    setNeedsDisplay();
}
