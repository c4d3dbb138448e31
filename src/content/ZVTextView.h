// The text content of an element: styled text in a text storage (shared by
// the boxes of a linked chain), laid out in this box's own container, and
// the box's formatting as observable "current" properties. The inspector
// writes those properties and the view applies each change to its text (the
// selection while the box is edited, the whole text otherwise); when the
// selection changes the view reads the text's attributes back into them.
// Every change it applies can be undone on the element's document, and
// undoing puts the changed text back as it was.
#pragma once

#include "content/ZVContentView.h"
#include "content/text/CHNotebookTextContainer.h"
#include "content/text/RangeReading.h"
#include "content/text/TextRuns.h"
#include "platform/graphics/AttributedString.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

#include <QList>
#include <QPainter>
#include <QPointer>
#include <QSizeF>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

namespace ql::fields {
template <class C>
class Record;
}
namespace ql {
class UndoManager;
}
namespace ql {
struct CanvasEvent;
}
namespace ql::text {
class DateFormatter;
class FlowLayout;
class TextEditor;
class TextStorage;
} // namespace ql::text

class ZVTextView : public ZVContentView {
    Q_OBJECT
public:
    enum TextViewType { PlainText = 0, PageNumber = 1, Date = 2 };
    enum Emphasis {
        BoldEmphasis = ql::text::BoldEmphasis,
        ItalicEmphasis = ql::text::ItalicEmphasis,
        UnderlineEmphasis = ql::text::UnderlineEmphasis,
        StrikethroughEmphasis = ql::text::StrikethroughEmphasis
    };
    enum Justification { LeftJustification = 0, CenterJustification = 1, RightJustification = 2, FullJustification = 3 };

    // A range of text positions (paragraph separators count one).
    struct Range {
        int location = 0;
        int length = 0;
        int end() const { return location + length; }
        bool operator==(const Range&) const = default;
    };

    explicit ZVTextView(const QRectF& frame = QRectF(), QObject* parent = nullptr);
    // A view to be read from an archive: its text comes with the record, so
    // it gets none of its own unless the record holds none.
    static ZVTextView* forReading();
    ~ZVTextView() override;
    const ql::PropertyTable& properties() const override;

    // The 32 key paths the view observes on itself, and the 19 of them
    // whose changes are undone by setting the path back.
    static const QStringList& observingKeyPaths();
    static const QStringList& undoableKeyPaths();
    void startObserving();
    bool isObserving() const { return m_isObserving; }

    // Text system ------------------------------------------------------------
    ql::text::TextStorage* textStorage() const;
    ql::text::FlowLayout* layoutManager() const;
    CHNotebookTextContainer* textContainer() const { return m_container.get(); }
    // This box's place in its chain (0 when alone).
    int textContainerIndex() const;
    // Shows the text of `other`'s chain from position `index` of that chain
    // on: linked boxes share one storage.
    void joinTextChain(ZVTextView* other, int index);
    // Leaves the chain for a text of its own (empty).
    void leaveTextChain();
    // While a chained box is deleted its container leaves the chain's flow
    // (the text reflows through the others) and the box keeps the chain's
    // text: where it stood, or -1 for a box alone, which stays as it is.
    int withdrawFromTextFlow();
    // A withdrawn box takes its place in the flow again.
    void returnToTextFlow(int index);
    // A box sharing its chain's text takes a copy of all of it for itself.
    void keepOwnCopyOfText();
    // The boxes that show this box's text, in reading order (this one
    // included while it is in the flow).
    QList<ZVTextView*> textChainViews() const;

    ql::AttributedString attributedString() const;
    void setAttributedString(const ql::AttributedString& text);
    QString string() const;
    // New text takes the attributes of the text it replaces.
    void setString(const QString& text);
    int textLength() const;

    // Selection and typing ----------------------------------------------------
    Range selectedRange() const { return m_selectedRange; }
    // Clipped to the text; reads the attributes back into the properties.
    void setSelectedRange(Range range);
    const ql::TextAttributes& typingAttributes() const { return m_typingAttributes; }
    void setTypingAttributes(const ql::TextAttributes& attributes);
    // Typing continues the text at the selection: when the selection moves,
    // when editing begins and when the text under the caret changes.
    void takeTypingAttributesFromText();
    // Where formatting applies: the selection while the box is edited, the
    // whole text otherwise (and always for page-number and date fields).
    Range applyRange() const;
    bool isSelectable() const { return m_selectable; }
    bool isEditable() const { return m_editable; }
    bool isField() const;

    // Geometry ---------------------------------------------------------------
    // The view is its element's size less the handle margins; the container
    // is that less the insets, never negative.
    void setFrame(const QRectF& frame) override;
    QSizeF textContainerInset() const { return m_textContainerInset; }
    // Where the container's top left lies in the view: the insets plus the
    // element's border width, so that text never runs under the border. The
    // stored insets stay as the user set them.
    QPointF textContainerOrigin() const;
    // Follows the element's border, which moves the text inward.
    void setPuttyView(ZVPuttyView* element) override;
    void applyInsets();
    void findInsets();
    void setClippingRects(const QList<QRectF>& rects);
    const QList<QRectF>& clippingRects() const { return m_clippingRects; }

    // Attribute operations -----------------------------------------------------
    void applyFont();
    void applyFontSize();
    void applyLetterSpacing();
    void applyStroke();
    void applyParagraphAttributes();
    void setTextColor(const ql::Color& color);
    void setHighlightColor(const ql::Color& color);
    void setJustification(qint64 justification);
    void setEmphasis(qint64 emphasis);
    static int alignmentFromJustification(int justification);
    // The alignment (a ParagraphStyle::Alignment) of the whole text and of
    // what is typed next, so that an empty box keeps it for its first text;
    // the justification setting reads it back. Records no undo.
    void setAlignment(int platformAlignment);
    int alignment() const;

    // Read-back ----------------------------------------------------------------
    // The font of the text (null when the range holds several), after reading
    // every attribute back into the properties.
    QVariant getCurrentFont() { return getCurrentFont(true); }
    QVariant getCurrentFont(bool includeParagraph);
    void findCurrentEmphasis();
    void findCurrentJustification();
    void findCurrentLetterSpacing();
    void findCurrentParagraphAttributes();
    static QVariantList getEmphasisTypes(const ql::TextAttributes& attributes);
    // The family's faces: PostScript names and style names, same order.
    QStringList typeFaceFonts() const;
    QStringList typeFaces() const;
    void textViewDidChangeSelection();
    // Reads the font (family, face, size) and the emphasis back from the
    // selection (the whole text outside editing) after a change of the
    // text's faces, so that the settings name the face the text now has.
    void readFaceBack();

    // Drawing ------------------------------------------------------------------
    // Draws this box's part of the text in the view's own coordinates
    // (origin top left), from the container inset; the painters add the
    // gradient and the tiled picture over it.
    void drawText(QPainter& painter) const;
    void releaseDrawingCaches(DrawnFor drawnFor) override;

    // Editing ------------------------------------------------------------------
    void setEditMode(bool editMode) override;
    // The in-place editor of this box (made on first use).
    ql::text::TextEditor* editor();
    // Pointer and key events on the page, in page coordinates: while the box
    // is edited they edit its text, otherwise they are the element's.
    void mouseDown(const ql::CanvasEvent& event);
    void mouseDragged(const ql::CanvasEvent& event);
    void mouseUp(const ql::CanvasEvent& event);
    // The pointer moving over the page while the box is edited: crossing the
    // box's bounds enters or leaves it, which `mouseInside` follows.
    void mouseMoved(const ql::CanvasEvent& event);
    void mouseEntered();
    void mouseExited();
    // What a double click on the box starts: the box is edited, and so is
    // every box of its linked chain on the same page, each with the caret at
    // the start of the text.
    void beginEditingChain();
    // True when the key was taken; Escape also ends the page's selection.
    bool keyDown(const ql::CanvasEvent& event);
    // A page point in the view's own coordinates, through the element's turn.
    QPointF viewPointFromPage(QPointF pagePoint) const;
    // The edit menu is offered only while the box is edited.
    bool offersContextMenu() const { return m_editMode && m_editable; }
    // Page-number and date fields re-render their text (not while the box
    // is being read: it keeps its stored text until the next refresh).
    void updateTextFromType(const QVariant& unused = {});
    // A page number box's text: its template with the number of the box's
    // page and the page count, counted from `startPage`. A box on a page
    // its document does not show keeps its text.
    void setPageNumber();
    // A date box's text: now, in `dateFormat`.
    void setDate();
    // The number of the box's page and the page count, counted from
    // `startPage`; nothing for a page its document does not show.
    struct PageNumbers {
        qint64 number = 0;
        qint64 count = 0;
    };
    std::optional<PageNumbers> pageNumbers() const;
    // The inspector's choices, {"title", "format"} each, made anew on every
    // read: five page-number templates titled with this box's numbers, and
    // thirteen date patterns titled with now.
    QVariantList pageNumberFormats() const;
    QVariantList dateFormats() const;
    static const QStringList& dateFormatPatterns();
    // The chosen entry's template becomes the box's.
    void updatePageNumberFormat();
    void updateDateFormat();
    // What formats dates; its clock and locale can be replaced.
    ql::text::DateFormatter& dateFormatter() const;
    // The caret is never hidden: 1 point wide, at least 15 tall.
    static QRectF insertionPointRect(const QRectF& lineRect);

    // Properties -----------------------------------------------------------------
    QVariant textViewType() const { return m_textViewType; }
    void setTextViewType(const QVariant& type);
    bool isPageNumber() const { return m_isPageNumber; }
    void setIsPageNumber(bool isPageNumber);
    bool isDate() const { return m_isDate; }
    void setIsDate(bool isDate);
    bool isDateOrPageNumber() const { return m_isDateOrPageNumber; }
    void setIsDateOrPageNumber(bool flag);
    QString pageNumberFormat() const { return m_pageNumberFormat; }
    void setPageNumberFormat(const QString& format);
    QString dateFormat() const { return m_dateFormat; }
    void setDateFormat(const QString& format);
    QVariant startPage() const { return m_startPage; }
    void setStartPage(const QVariant& page);
    QVariant selectedPageNumberFormat() const { return m_selectedPageNumberFormat; }
    void setSelectedPageNumberFormat(const QVariant& format);
    QVariant selectedDateFormat() const { return m_selectedDateFormat; }
    void setSelectedDateFormat(const QVariant& format);

    QVariant gradient() const { return m_gradient; }
    void setGradient(const QVariant& gradient);
    QVariant gradientAngle() const { return m_gradientAngle; }
    void setGradientAngle(const QVariant& angle);
    QVariant gradientType() const { return m_gradientType; }
    void setGradientType(const QVariant& type);
    const ql::Image& tiledImage() const { return m_tiledImage; }
    void setTiledImage(const ql::Image& image);
    bool hasUndecodablePicture() const override { return m_tiledImage.isUndecodable(); }

    QVariant currentFont() const { return m_currentFont; }
    void setCurrentFont(const QVariant& font);
    QString currentFontFamilyName() const { return m_currentFontFamilyName; }
    void setCurrentFontFamilyName(const QString& family);
    qint64 currentFontTypeFaceIndex() const { return m_currentFontTypeFaceIndex; }
    void setCurrentFontTypeFaceIndex(qint64 index);
    QVariant currentFontSize() const { return m_currentFontSize; }
    void setCurrentFontSize(const QVariant& size);
    QVariant currentTextColor() const { return m_currentTextColor; }
    void setCurrentTextColor(const QVariant& color);
    QVariantList currentEmphasis() const { return m_currentEmphasis; }
    void setCurrentEmphasis(const QVariantList& emphasis);
    QVariant currentJustification() const { return m_currentJustification; }
    void setCurrentJustification(const QVariant& justification);
    QVariant currentLetterSpacing() const { return m_currentLetterSpacing; }
    void setCurrentLetterSpacing(const QVariant& spacing);
    QVariant currentLineSpacing() const { return m_currentLineSpacing; }
    void setCurrentLineSpacing(const QVariant& spacing);
    QVariant currentLineHeight() const { return m_currentLineHeight; }
    void setCurrentLineHeight(const QVariant& height);
    QVariant currentParagraphSpacing() const { return m_currentParagraphSpacing; }
    void setCurrentParagraphSpacing(const QVariant& spacing);
    QVariant currentParagraphIndent() const { return m_currentParagraphIndent; }
    void setCurrentParagraphIndent(const QVariant& indent);
    QVariant currentParagraphNextIndent() const { return m_currentParagraphNextIndent; }
    void setCurrentParagraphNextIndent(const QVariant& indent);
    QVariant currentVerticalInsetMargins() const { return m_currentVerticalInsetMargins; }
    void setCurrentVerticalInsetMargins(const QVariant& inset);
    QVariant currentHorizontalInsetMargins() const { return m_currentHorizontalInsetMargins; }
    void setCurrentHorizontalInsetMargins(const QVariant& inset);
    QVariant currentHighlightColor() const { return m_currentHighlightColor; }
    void setCurrentHighlightColor(const QVariant& color);
    bool allowHyphenation() const { return m_allowHyphenation; }
    void setAllowHyphenation(bool allow);
    QStringList fontTypeFaces() const { return m_fontTypeFaces; }
    void setFontTypeFaces(const QStringList& faces);
    bool strokeEnabled() const { return m_strokeEnabled; }
    void setStrokeEnabled(bool enabled);
    QVariant strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(const QVariant& width);
    QVariant strokeColor() const { return m_strokeColor; }
    void setStrokeColor(const QVariant& color);
    bool effectsEnabled() const { return m_effectsEnabled; }
    void setEffectsEnabled(bool enabled);
    bool mouseInside() const { return m_mouseInside; }
    void setMouseInside(bool inside);
    // The colour behind the text; the element makes it clear.
    ql::Color backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const ql::Color& color);

    QStringList archiveClassChain() const override;
    void encodeWithCoder(ql::KeyedArchiver& coder) const override;
    // Keys that are missing or of another kind keep their defaults; nothing
    // is applied to the text and no undo is recorded.
    void initWithCoder(ql::KeyedUnarchiver& coder) override;

signals:
    void selectionChanged();

private:
    // What an undo of a formatting change puts back: properties, and the
    // attributes of a range as long as its text still reads the same.
    struct TextState {
        QVariantMap properties;
        bool hasText = false;
        Range range;
        QString text;
        QList<ql::text::AttributeRun> runs;
        ql::TextAttributes typing;
    };

    void initialize();
    void stopObserving();
    void onObservedChange(const QString& keyPath, const QVariant& oldValue, const QVariant& newValue);
    // Runs the action the dispatch table names; text actions are skipped
    // while an undo restores the text itself.
    void dispatch(const QString& keyPath, bool applyToText);
    static bool isTextAction(const QString& keyPath);
    // Whether the change applies the font (and lists its family's faces).
    static bool setsFont(const QString& keyPath);
    Range rangeOfAction(const QString& keyPath) const;
    TextState captureState(const QVariantMap& properties, std::optional<Range> range) const;
    bool textStateMatches(const TextState& state) const;
    void restoreState(const TextState& state);
    void registerStateUndo(const TextState& before);
    bool changedSince(const TextState& before, int editsBefore) const;

    void replaceFieldText(const QString& text);
    void adoptTextStorage(ql::text::TextStorage* storage, int index);
    void releaseTextStorage();
    void onTextChanged();
    void updateContainerSize();
    ql::text::TextStorage* ensureStorage();
    struct Unstored {};
    explicit ZVTextView(Unstored);

    ql::TextAttributes attributesForReadBack() const;
    // The font read back into family, face and size: nothing when the range
    // holds several.
    QVariant readFontBack(const ql::TextAttributes& attributes);
    template <class Fn>
    void readingBack(Fn&& fn);
    // What the text holds over applyRange(), read once for the chain.
    ql::text::RangeReading readingOfApplyRange() const;

    static const ql::fields::Record<ZVTextView>& encodeRecord();
    static const ql::fields::Record<ZVTextView>& decodeRecord();
    static void addTextSystemKeys(ql::fields::Record<ZVTextView>& record);
    static ql::fields::Record<ZVTextView> recordWith(std::initializer_list<const char*> keys);

    // Guarded: a box out of its chain's flow (deleted, for undo) is no heir
    // of the text, which may go with the chain's last box.
    QPointer<ql::text::TextStorage> m_storage;
    std::unique_ptr<CHNotebookTextContainer> m_container;
    mutable std::unique_ptr<ql::text::DateFormatter> m_dateFormatter;
    bool m_decoding = false;
    QSizeF m_textContainerInset;
    Range m_selectedRange;
    ql::TextAttributes m_typingAttributes;
    bool m_selectable = false;
    bool m_editable = false;
    int m_textEdits = 0;
    int m_readingBack = 0;
    int m_restoring = 0;
    int m_archivedChainIndex = 0;
    bool m_sharingSelection = false;
    QPointer<ql::text::TextStorage> m_pendingStorage;
    ql::text::TextEditor* m_editor = nullptr;
    QMetaObject::Connection m_borderWatch;
    // Who the pointer gesture under way belongs to: the editor when it began
    // on the box while it was edited, nobody for a right press while
    // editing (it only opens the edit menu), else the element.
    enum class Gesture { Element, Editor, Ignored };
    Gesture m_gesture = Gesture::Element;

    QStringList m_observingKeyPaths;
    bool m_isObserving = false;
    bool m_mouseInside = false;
    QVariant m_gradient;
    QVariant m_gradientAngle;
    QVariant m_gradientType;
    ql::Image m_tiledImage;
    QVariant m_currentFont;
    QString m_currentFontFamilyName;
    qint64 m_currentFontTypeFaceIndex = 0;
    QVariant m_currentFontSize;
    QVariant m_currentTextColor;
    QVariantList m_currentEmphasis;
    QVariant m_currentJustification;
    QVariant m_currentLetterSpacing;
    QVariant m_currentLineSpacing;
    QVariant m_currentLineHeight;
    QVariant m_currentParagraphSpacing;
    QVariant m_currentParagraphIndent;
    QVariant m_currentParagraphNextIndent;
    QVariant m_currentVerticalInsetMargins;
    QVariant m_currentHorizontalInsetMargins;
    QVariant m_currentHighlightColor;
    QVariant m_textViewType;
    QString m_pageNumberFormat;
    QString m_dateFormat;
    QVariant m_startPage;
    bool m_isPageNumber = false;
    bool m_isDate = false;
    bool m_isDateOrPageNumber = false;
    QVariant m_selectedPageNumberFormat;
    QVariant m_selectedDateFormat;
    bool m_allowHyphenation = false;
    QList<QRectF> m_clippingRects;
    QStringList m_fontTypeFaces;
    bool m_strokeEnabled = false;
    QVariant m_strokeWidth;
    QVariant m_strokeColor;
    bool m_effectsEnabled = false;
    ql::Color m_backgroundColor = ql::Color::clear();
};
