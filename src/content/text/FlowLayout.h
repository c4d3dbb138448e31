// Lays one QTextDocument out through an ordered list of text containers, as
// a chain of linked boxes shows one text. Each container is asked, line by
// line, where a proposed line may go (a fragment, and what remains of the
// line beside it); lines fill the first container, then the next, and text
// that fits in none is overflow, laid out nowhere. Lines are measured at
// 72 dpi with the fonts' own ascender, descender and line gap; extra line
// height goes above the glyphs, indents apply inside fragments, and
// paragraphs that allow it are hyphenated (the hyphen is drawn, the stored
// text does not change).
//
// Paragraphs laid out while their hyphenation patterns were still loading
// (on the window's thread, which never waits for them) are laid out again
// once the patterns are there, or at once on a thread that waits (output).
//
// Layout is lazy: an edit marks the paragraphs it touched, and the next
// question relays out from the first of them until a later paragraph starts
// where it started before; from there on nothing moved. Nothing can make it
// loop: every line takes at least one character or moves down, and a word
// wider than the container breaks anywhere in a fragment at least half the
// container wide.
#pragma once

#include <QAbstractTextDocumentLayout>
#include <QList>
#include <QRectF>
#include <QTextBlock>

namespace ql::text {

class Hyphenator;
class TextContainer;
class BlockRecord;
struct FlowPoint;

class FlowLayout final : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    // Installs itself as the document's layout; the document owns it.
    explicit FlowLayout(QTextDocument* document);
    ~FlowLayout() override;

    // Containers in reading order; the layout does not own them.
    int textContainerCount() const { return int(m_containers.size()); }
    TextContainer* textContainerAt(int index) const;
    int indexOfTextContainer(const TextContainer* container) const;
    void addTextContainer(TextContainer* container);
    // Moves a container already in this or another layout.
    void insertTextContainer(TextContainer* container, int index);
    void removeTextContainer(TextContainer* container);
    void removeTextContainerAtIndex(int index);
    void textContainerChangedGeometry(TextContainer* container);
    // A container of `old` size now has its own: its lines stay where they
    // are when each still fits as it did (see linesKeepTheirPlace); else the
    // text is laid out again from it.
    void textContainerChangedSize(TextContainer* container, QSizeF old);

    struct Range {
        int location = 0;
        int length = 0;
        bool operator==(const Range&) const = default;
    };
    // Characters laid out in a container (its last paragraph's separator
    // included); empty at the end of the previous container's range when
    // nothing reaches it.
    Range characterRangeForTextContainer(int index);
    // The container that shows a character; -1 when it is overflow.
    int textContainerForCharacter(int position);
    // The first character laid out in no container: the text length when
    // everything fits.
    int firstOverflowCharacter();
    bool hasOverflow();

    struct Line {
        int container = -1;
        QRectF rect;            // the line's fragment: row top, line height
        double baseline = 0.0;  // container coordinates
        int start = 0;          // document positions
        int length = 0;
        double textWidth = 0.0; // width the glyphs take
        double textX = 0.0;     // where the glyphs start
        bool hyphenated = false;
    };
    QList<Line> linesInTextContainer(int index);
    // The rectangle the container's lines take.
    QRectF usedRectForTextContainer(int index);

    // The position nearest a point of a container (container coordinates).
    int characterIndexForPoint(int container, QPointF point);
    struct Caret {
        int container = -1;
        QRectF rect;
        bool isValid() const { return container >= 0; }
    };
    // Where a caret before the position stands; invalid for overflow.
    Caret caretRect(int position);
    // Rectangles that highlight [start, end) in a container.
    QList<QRectF> selectionRects(int container, int start, int end);

    // Draws a container's text with its top-left at origin: backgrounds of
    // all its lines first, then the glyphs.
    void drawTextContainer(QPainter* painter, int index, QPointF origin);

    // Lays out whatever changed since the last question.
    void ensureLayout();
    // Whether nothing changed since the last layout.
    bool isLaidOut() const { return !m_dirty; }
    // Forgets how every paragraph was laid out; the next question lays the
    // text out again, the same way. For text drawn once and then kept.
    void discardLayout();
    // Paragraphs laid out so far (for tests and benchmarks of incremental
    // layout).
    qint64 relaidBlockCount() const { return m_relaid; }
    // The patterns this layout hyphenates with; the program's own unless set.
    void setHyphenator(Hyphenator* hyphenator);
    // Whether some paragraph was laid out without patterns still loading: it
    // is laid out again, and its views asked to redraw, once they are there.
    bool missedPatterns() const { return m_missedPatterns; }

    // QAbstractTextDocumentLayout: the containers stacked top to bottom.
    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

signals:
    // Lines moved or changed: views redraw.
    void layoutInvalidated();

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    BlockRecord* record(const QTextBlock& block) const;
    void invalidate(int from, int to);
    void invalidateFromContainer(int index);
    bool linesKeepTheirPlace(int index, QSizeF old);
    void layoutBlock(const QTextBlock& block, FlowPoint& point);
    void dropRecordsFrom(const QTextBlock& first);
    void computeRanges();
    double stackedOffset(int container) const;
    QTextBlock firstBlockOf(int container);
    void awaitPatterns(quint64 loadsSeen);
    void patternsLoaded();
    void relayUnhyphenated();

    QList<TextContainer*> m_containers;
    int m_dirtyFrom = 0;
    int m_dirtyTo = 0;
    bool m_dirty = true;
    bool m_rangesValid = false;
    QList<Range> m_ranges;
    int m_overflowStart = 0;
    // Where the first paragraph laid out in no container starts; -1 when
    // every paragraph shows or that is not known.
    int m_overflowBlockStart = -1;
    // No paragraph that starts here or later has a record.
    int m_recordsEnd = 0;
    qint64 m_relaid = 0;
    Hyphenator* m_hyphenator;
    // Some paragraph was laid out without patterns that were still loading.
    bool m_missedPatterns = false;
};

} // namespace ql::text
