#include "content/text/FlowLayout.h"

#include "content/text/AttributedTextMapping.h"
#include "platform/graphics/FontResolver.h"
#include "platform/graphics/StemDarkening.h"
#include "content/text/Hyphenator.h"
#include "content/text/PatternWaits.h"
#include "content/text/TextContainer.h"

#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>
#include <functional>
#include <optional>
#include <memory>
#include <vector>

namespace ql::text {

struct FlowPoint {
    int container = 0;
    double y = 0.0;
    bool operator==(const FlowPoint&) const = default;
};

namespace {

constexpr QChar kSoftHyphen(0x00AD);
// The default tab stops, also for a paragraph that asks for none.
constexpr double kTabInterval = 28.0;
// Lines are never thinner than this, so that layout always moves down.
constexpr double kMinimumLineHeight = 0.25;
constexpr double kLimit = 10000.0;
// Each line tries at most this many taller proposals.
constexpr int kHeightAttempts = 3;
// A line asks one container at most this often before moving on.
constexpr int kMaximumTries = 100000;

double finiteOr(double value, double fallback, double low = -kLimit, double high = kLimit)
{
    return std::isfinite(value) ? std::clamp(value, low, high) : fallback;
}

// Values a file may hold that would break layout lay out as safe ones.
ParagraphStyle safeStyle(ParagraphStyle style)
{
    style.lineSpacing = finiteOr(style.lineSpacing, 0.0, 0.0);
    style.paragraphSpacing = finiteOr(style.paragraphSpacing, 0.0, 0.0);
    style.paragraphSpacingBefore = finiteOr(style.paragraphSpacingBefore, 0.0, 0.0);
    style.headIndent = finiteOr(style.headIndent, 0.0, 0.0);
    style.firstLineHeadIndent = finiteOr(style.firstLineHeadIndent, 0.0, 0.0);
    style.tailIndent = finiteOr(style.tailIndent, 0.0);
    style.lineHeightMultiple = finiteOr(style.lineHeightMultiple, 0.0, 0.0, 100.0);
    style.minimumLineHeight = finiteOr(style.minimumLineHeight, 0.0, 0.0);
    style.maximumLineHeight = finiteOr(style.maximumLineHeight, 0.0, 0.0);
    style.hyphenationFactor = finiteOr(style.hyphenationFactor, 0.0, 0.0, 1.0);
    return style;
}

// The language each run of a paragraph carries, for words asked in order.
Hyphenator::LanguageAt runLanguages(const QList<QTextLayout::FormatRange>& formats)
{
    return [&formats, next = qsizetype(0)](qsizetype offset) mutable {
        while (next < formats.size() && formats[next].start + formats[next].length <= offset)
            ++next;
        if (next == formats.size() || formats[next].start > offset)
            return QString();
        return formats[next].format.property(AttributesProperty).toMap().value(TextAttribute::language).toString();
    };
}

Qt::Alignment qtAlignment(ParagraphStyle::Alignment alignment)
{
    switch (alignment) {
    case ParagraphStyle::Alignment::Left: return Qt::AlignLeft | Qt::AlignAbsolute;
    case ParagraphStyle::Alignment::Right: return Qt::AlignRight | Qt::AlignAbsolute;
    case ParagraphStyle::Alignment::Center: return Qt::AlignHCenter;
    case ParagraphStyle::Alignment::Justified: return Qt::AlignJustify;
    case ParagraphStyle::Alignment::Natural: break;
    }
    return Qt::AlignLeading;
}

QTextOption textOption(const ParagraphStyle& style)
{
    QTextOption option(qtAlignment(style.alignment));
    option.setWrapMode(QTextOption::WordWrap);
    option.setUseDesignMetrics(true);
    option.setTabStopDistance(kTabInterval);
    if (style.tabStops) {
        QList<QTextOption::Tab> tabs;
        for (double location : *style.tabStops) {
            if (std::isfinite(location) && location >= 0 && location < kLimit)
                tabs.append(QTextOption::Tab(location, QTextOption::LeftTab));
        }
        option.setTabs(tabs);
    }
    return option;
}

struct Background {
    int start = 0; // layout positions
    int end = 0;
    QBrush brush;
};

struct MetricsRun {
    int start = 0; // layout positions
    int end = 0;
    LineMetrics metrics;
};

struct LineBox {
    int container = 0;
    int qtLine = 0;
    QRectF fragment;
    double baseline = 0.0;
};

} // namespace

// What the layout keeps of a paragraph, in the paragraph's own block.
class BlockRecord : public QTextBlockUserData {
public:
    std::unique_ptr<QTextLayout> layout;
    // Offsets in the paragraph before which the layout's text has a soft
    // hyphen that the document does not.
    std::vector<int> hyphens;
    std::vector<LineBox> lines;
    std::vector<Background> backgrounds;
    std::vector<MetricsRun> metrics;
    LineMetrics emptyMetrics;
    ParagraphStyle style;
    FlowPoint start;
    FlowPoint end;
    bool valid = false;
    // Laid out without patterns that were still loading.
    bool missedPatterns = false;

    int layoutPosition(int offset) const
    {
        return offset + int(std::upper_bound(hyphens.begin(), hyphens.end(), offset) - hyphens.begin());
    }
    int documentOffset(int position) const
    {
        // Layout position of the k-th hyphen is hyphens[k] + k, which grows
        // with k: count those before the position by halving.
        size_t before = 0;
        size_t after = hyphens.size();
        while (before < after) {
            const size_t middle = before + (after - before) / 2;
            if (hyphens[middle] + int(middle) < position)
                before = middle + 1;
            else
                after = middle;
        }
        return position - int(before);
    }
    LineMetrics metricsOf(int from, int to) const
    {
        if (from >= to || metrics.empty())
            return metricsAt(from);
        LineMetrics result;
        auto it = std::upper_bound(metrics.begin(), metrics.end(), from,
                                   [](int position, const MetricsRun& run) { return position < run.end; });
        for (; it != metrics.end() && it->start < to; ++it) {
            result.ascent = std::max(result.ascent, it->metrics.ascent);
            result.descent = std::max(result.descent, it->metrics.descent);
            result.leading = std::max(result.leading, it->metrics.leading);
        }
        return result.height() > 0 ? result : metricsAt(from);
    }
    LineMetrics metricsAt(int position) const
    {
        for (const MetricsRun& run : metrics) {
            if (position >= run.start && position < run.end)
                return run.metrics;
        }
        return metrics.empty() ? emptyMetrics : metrics.back().metrics;
    }
};

namespace {

struct Height {
    double total = 0.0;  // the line's height
    double above = 0.0;  // from the line's top to its baseline
};

Height lineHeight(const LineMetrics& m, const ParagraphStyle& style)
{
    const double natural = m.ascent + m.descent + m.leading;
    double total = style.lineHeightMultiple > 0 ? natural * style.lineHeightMultiple : natural;
    if (style.minimumLineHeight > 0)
        total = std::max(total, style.minimumLineHeight);
    if (style.maximumLineHeight > 0)
        total = std::min(total, style.maximumLineHeight);
    total = std::max(total, kMinimumLineHeight);
    // Extra height goes above the glyphs, and so does a cut.
    return Height {total, total - natural + m.ascent};
}

} // namespace

FlowLayout::FlowLayout(QTextDocument* document)
    : QAbstractTextDocumentLayout(document), m_hyphenator(&Hyphenator::shared())
{
    setPaintDevice(FontResolver::layoutDevice());
    document->setDocumentLayout(this);
}

FlowLayout::~FlowLayout()
{
    for (TextContainer* container : std::as_const(m_containers))
        container->m_layout = nullptr;
}

// Containers -----------------------------------------------------------------

TextContainer* FlowLayout::textContainerAt(int index) const
{
    return index >= 0 && index < m_containers.size() ? m_containers[index] : nullptr;
}

int FlowLayout::indexOfTextContainer(const TextContainer* container) const
{
    return int(m_containers.indexOf(const_cast<TextContainer*>(container)));
}

void FlowLayout::addTextContainer(TextContainer* container)
{
    insertTextContainer(container, textContainerCount());
}

void FlowLayout::insertTextContainer(TextContainer* container, int index)
{
    if (!container)
        return;
    if (FlowLayout* other = container->m_layout.data())
        other->removeTextContainer(container);
    index = std::clamp(index, 0, textContainerCount());
    m_containers.insert(index, container);
    container->m_layout = this;
    invalidateFromContainer(index);
}

void FlowLayout::removeTextContainer(TextContainer* container)
{
    removeTextContainerAtIndex(indexOfTextContainer(container));
}

void FlowLayout::removeTextContainerAtIndex(int index)
{
    if (index < 0 || index >= textContainerCount())
        return;
    invalidateFromContainer(index);
    m_containers[index]->m_layout = nullptr;
    m_containers.removeAt(index);
}

void FlowLayout::textContainerChangedGeometry(TextContainer* container)
{
    const int index = indexOfTextContainer(container);
    if (index >= 0)
        invalidateFromContainer(index);
}

// Invalidation ---------------------------------------------------------------

BlockRecord* FlowLayout::record(const QTextBlock& block) const
{
    return static_cast<BlockRecord*>(block.userData());
}

void FlowLayout::invalidate(int from, int to)
{
    // Within a range already waiting for layout every paragraph is laid out
    // again anyway: a chain read box by box, or many boxes moved at once,
    // need not walk the text each time.
    const bool covered = m_dirty && from >= m_dirtyFrom && to <= m_dirtyTo;
    const QTextDocument* doc = document();
    // Paragraphs from m_recordsEnd on have no records to mark.
    const int last = std::min(to, m_recordsEnd - 1);
    for (QTextBlock block = covered ? QTextBlock() : doc->findBlock(from);
         block.isValid() && block.position() <= last; block = block.next()) {
        if (BlockRecord* r = record(block))
            r->valid = false;
    }
    if (!m_dirty) {
        m_dirtyFrom = from;
        m_dirtyTo = to;
    } else {
        m_dirtyFrom = std::min(m_dirtyFrom, from);
        m_dirtyTo = std::max(m_dirtyTo, to);
    }
    m_dirty = true;
    m_rangesValid = false;
    emit layoutInvalidated();
}

void FlowLayout::invalidateFromContainer(int index)
{
    // The text of the container before it may now flow on into it.
    int from = 0;
    if (index > 0 && !m_dirty && m_rangesValid && index - 1 < m_ranges.size())
        from = m_ranges[index - 1].location;
    else if (index > 0 && !m_dirty) {
        computeRanges();
        from = m_ranges.value(index - 1).location;
    }
    // Containers that change change what fits.
    m_overflowBlockStart = -1;
    invalidate(from, textLength(*document()));
}

void FlowLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    // Positions after the change shift; a pending range keeps covering what
    // it covered.
    if (m_dirty) {
        if (m_dirtyTo >= from + charsRemoved)
            m_dirtyTo += charsAdded - charsRemoved;
        else if (m_dirtyTo >= from)
            m_dirtyTo = from + charsAdded;
    }
    // New paragraphs come without records; the one the change starts in
    // keeps its own.
    if (m_recordsEnd > from)
        m_recordsEnd = m_recordsEnd >= from + charsRemoved ? m_recordsEnd + charsAdded - charsRemoved : from + 1;
    // An overflow paragraph that keeps its start keeps being overflow; one
    // whose start changed is found again by the next layout.
    if (m_overflowBlockStart >= from + charsRemoved && m_overflowBlockStart > from)
        m_overflowBlockStart += charsAdded - charsRemoved;
    else if (m_overflowBlockStart > from)
        m_overflowBlockStart = -1;
    invalidate(from, from + charsAdded);
}

// Layout ---------------------------------------------------------------------

void FlowLayout::ensureLayout()
{
    if (m_missedPatterns && layoutWaitsForPatterns())
        relayUnhyphenated();
    if (!m_dirty)
        return;
    m_dirty = false;
    m_rangesValid = false;
    // Changes within the overflow move nothing that shows.
    if (m_overflowBlockStart >= 0 && m_dirtyFrom >= m_overflowBlockStart)
        return;
    const QTextDocument* doc = document();
    QTextBlock block = doc->findBlock(std::max(0, m_dirtyFrom));
    if (!block.isValid())
        block = doc->begin();
    FlowPoint point;
    const QTextBlock previous = block.previous();
    if (previous.isValid()) {
        if (BlockRecord* r = record(previous); r && r->valid)
            point = r->end;
        else
            block = doc->begin();
    }
    const int count = textContainerCount();
    for (; block.isValid(); block = block.next()) {
        if (point.container >= count) {
            dropRecordsFrom(block);
            return;
        }
        BlockRecord* r = record(block);
        if (r && r->valid && r->start == point && block.position() > m_dirtyTo)
            return; // from here on every paragraph is where it was
        layoutBlock(block, point);
        ++m_relaid;
    }
    m_overflowBlockStart = -1;
}

void FlowLayout::discardLayout()
{
    const QTextDocument* doc = document();
    for (QTextBlock block = doc->begin(); block.isValid() && block.position() < m_recordsEnd; block = block.next()) {
        if (block.userData())
            QTextBlock(block).setUserData(nullptr);
    }
    m_recordsEnd = 0;
    m_overflowBlockStart = -1;
    m_missedPatterns = false;
    m_dirty = true;
    m_dirtyFrom = 0;
    m_dirtyTo = textLength(*doc);
    m_rangesValid = false;
}

void FlowLayout::dropRecordsFrom(const QTextBlock& first)
{
    // The paragraphs from here on are overflow, laid out nowhere: they keep
    // no record, so that a long text that does not fit costs memory for what
    // shows only. Records of paragraphs that showed before go.
    m_overflowBlockStart = first.position();
    for (QTextBlock block = first; block.isValid() && block.position() < m_recordsEnd; block = block.next()) {
        if (block.userData())
            QTextBlock(block).setUserData(nullptr);
    }
    m_recordsEnd = m_overflowBlockStart;
}

void FlowLayout::layoutBlock(const QTextBlock& block, FlowPoint& point)
{
    BlockRecord* rec = record(block);
    if (!rec) {
        rec = new BlockRecord;
        QTextBlock owner = block;
        owner.setUserData(rec);
    }
    m_recordsEnd = std::max(m_recordsEnd, block.position() + block.length());
    rec->start = point;
    rec->valid = true;
    rec->lines.clear();
    rec->backgrounds.clear();
    rec->metrics.clear();
    rec->hyphens.clear();
    rec->missedPatterns = false;
    const int count = textContainerCount();
    if (point.container >= count) {
        // Overflow: nothing of it shows anywhere.
        rec->layout.reset();
        rec->end = point;
        return;
    }

    const ParagraphStyle style = safeStyle(paragraphStyle(block).value_or(ParagraphStyle()));
    rec->style = style;
    QString text = block.text();
    QList<QTextLayout::FormatRange> formats = block.textFormats();
    if (style.hyphenationFactor > 0) {
        const quint64 loadsSeen = m_hyphenator->loadsFinished();
        // A layout that does not wait learns whether words went without.
        bool complete = true;
        const QList<int> points = m_hyphenator->hyphenationPoints(text, runLanguages(formats),
                                                                  layoutWaitsForPatterns() ? nullptr : &complete);
        if (!complete) {
            rec->missedPatterns = true;
            awaitPatterns(loadsSeen);
        }
        rec->hyphens.assign(points.begin(), points.end());
        // In one pass: a long paragraph has a hyphen every few characters.
        QString hyphenated;
        hyphenated.reserve(text.size() + points.size());
        qsizetype from = 0;
        for (int point : points) {
            hyphenated.append(QStringView(text).mid(from, point - from)).append(kSoftHyphen);
            from = point;
        }
        text = hyphenated.append(QStringView(text).mid(from));
        for (QTextLayout::FormatRange& range : formats) {
            const int start = rec->layoutPosition(range.start);
            const int end = rec->layoutPosition(range.start + range.length - 1) + 1;
            range.start = start;
            range.length = end - start;
        }
    }
    // Backgrounds are painted per line box below; Qt's own would overlap
    // the neighbouring lines. Runs that differ in other attributes often
    // share a font: its metrics are looked up once for them.
    QFont lastFont;
    LineMetrics lastMetrics;
    bool haveLast = false;
    for (QTextLayout::FormatRange& range : formats) {
        if (range.format.hasProperty(QTextFormat::BackgroundBrush)) {
            const QBrush brush = range.format.background();
            if (brush.style() != Qt::NoBrush && brush.color().alpha() != 0)
                rec->backgrounds.push_back(Background {range.start, range.start + range.length, brush});
            range.format.clearProperty(QTextFormat::BackgroundBrush);
        }
        const QFont font = range.format.font();
        if (!haveLast || !(font == lastFont)) {
            lastMetrics = FontResolver::lineMetrics(font);
            lastFont = font;
            haveLast = true;
        }
        rec->metrics.push_back(MetricsRun {range.start, range.start + range.length, lastMetrics});
    }
    const QFont emptyFont = charFormat(emptyBlockAttributes(block)).font();
    rec->emptyMetrics = FontResolver::lineMetrics(emptyFont);
    const QFont layoutFont = formats.isEmpty() ? emptyFont : formats.first().format.font();

    rec->layout = std::make_unique<QTextLayout>(text, layoutFont, FontResolver::layoutDevice());
    QTextLayout& layout = *rec->layout;
    layout.setFormats(formats);
    QTextOption option = textOption(style);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);

    if (block.position() > 0)
        point.y += style.paragraphSpacingBefore;
    double rowTop = point.y;
    double rowHeight = 0.0;
    QRectF pendingRemaining; // what is left of the current row beside an obstacle
    auto endRow = [&] {
        point.y = rowTop + rowHeight + style.lineSpacing;
        rowTop = point.y;
        rowHeight = 0.0;
        pendingRemaining = QRectF();
    };
    auto nextContainer = [&] {
        ++point.container;
        point.y = rowTop = rowHeight = 0.0;
        pendingRemaining = QRectF();
    };

    layout.beginLayout();
    bool overflowed = false;
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        const bool firstLine = line.textStart() == 0;
        const double indent = firstLine ? style.firstLineHeadIndent : style.headIndent;
        Height height = lineHeight(rec->metricsAt(line.textStart()), style);
        bool placed = false;
        int tries = 0;
        for (int attempt = 0; !placed;) {
            if (++tries > kMaximumTries && point.container < count)
                nextContainer(); // a container that never answers usefully
            if (point.container >= count) {
                // Left without a width, the line would take in the rest of
                // the paragraph as the layout ends: shaping what no box shows.
                line.setLineWidth(0);
                overflowed = true;
                break;
            }
            const TextContainer* container = m_containers[point.container];
            const QSizeF size = container->containerSize();
            const bool inRemaining = !pendingRemaining.isEmpty();
            const QRectF proposed = inRemaining ? QRectF(pendingRemaining.x(), rowTop, pendingRemaining.width(), height.total)
                                                : QRectF(0, rowTop, size.width(), height.total);
            QRectF remaining;
            QRectF fragment = container->lineFragmentRectForProposedRect(proposed, &remaining);
            // A container may answer further down (below an obstacle that
            // spans its width): the row moves there, or ends when part of it
            // is already placed.
            if (!fragment.isNull() && fragment.y() > rowTop + 1e-9) {
                if (inRemaining) {
                    rowHeight = std::max(rowHeight, height.total);
                    endRow();
                    continue;
                }
                rowTop = point.y = fragment.y();
            }
            // What remains must lie further right, or the row is done.
            if (!remaining.isEmpty() && remaining.left() <= proposed.left() + 0.5)
                remaining = QRectF();

            // A fragment the line cannot use: what remains beside it, the
            // next row, or the next container.
            auto skip = [&] {
                if (!remaining.isEmpty() && remaining.width() > 0) {
                    pendingRemaining = remaining;
                } else if (inRemaining) {
                    rowHeight = std::max(rowHeight, height.total);
                    endRow();
                } else if (size.width() <= 0 || rowTop + height.total >= size.height()) {
                    nextContainer();
                } else {
                    rowTop = point.y = rowTop + height.total;
                }
            };
            if (fragment.isEmpty() || !(fragment.width() > 0)) {
                if (inRemaining) {
                    rowHeight = std::max(rowHeight, height.total);
                    endRow();
                }
                else if (fragment.isNull() || rowTop + height.total > size.height())
                    nextContainer();
                else
                    skip();
                continue;
            }
            const double padding = std::min(container->lineFragmentPadding(), fragment.width() / 2);
            fragment.adjust(padding, 0, -padding, 0);
            const bool simple = container->isSimpleRectangularTextContainer() && !inRemaining;
            const double tailEdge = style.tailIndent > 0 ? style.tailIndent : size.width() + style.tailIndent;
            const double left = fragment.left() + indent;
            const double right = std::min(fragment.right(), tailEdge);
            double width = right - left;
            if (!(width > 0)) {
                // Indents that leave no room: in a plain container no row
                // would do better, so the line gets a sliver and sticks out.
                if (!simple) {
                    skip();
                    continue;
                }
                width = 1.0;
            }
            line.setLineWidth(width);
            if (line.naturalTextWidth() > width + 0.01) {
                // The first word is wider than the fragment. It waits for a
                // fragment it fits; wider than the container, it breaks
                // anywhere once a fragment is at least half the container.
                const double fullWidth = std::min(size.width(), tailEdge) - indent;
                if (!simple && (line.naturalTextWidth() <= fullWidth + 0.01 || fragment.width() < size.width() / 2)) {
                    skip();
                    continue;
                }
                option.setWrapMode(QTextOption::WrapAnywhere);
                layout.setTextOption(option);
                line.setLineWidth(width);
                option.setWrapMode(QTextOption::WordWrap);
                layout.setTextOption(option);
            }
            const Height actual = lineHeight(rec->metricsOf(line.textStart(), line.textStart() + line.textLength()), style);
            if (actual.total > height.total + 1e-9 && ++attempt < kHeightAttempts) {
                height = actual; // ask again for room for the taller line
                continue;
            }
            height = actual;
            const double baseline = rowTop + height.above;
            line.setPosition(QPointF(left, baseline - line.ascent()));
            rec->lines.push_back(LineBox {point.container, line.lineNumber(),
                                          QRectF(fragment.left(), rowTop, fragment.width(), height.total), baseline});
            rowHeight = std::max(rowHeight, height.total);
            if (!remaining.isEmpty() && remaining.width() > 0)
                pendingRemaining = remaining;
            else
                endRow();
            placed = true;
        }
        if (overflowed)
            break;
    }
    layout.endLayout();
    if (overflowed) {
        point = FlowPoint {count, 0.0};
    } else {
        if (!pendingRemaining.isEmpty() || rowHeight > 0)
            endRow();
        point.y += style.paragraphSpacing;
    }
    rec->end = point;
}

void FlowLayout::setHyphenator(Hyphenator* hyphenator)
{
    disconnect(m_hyphenator, &Hyphenator::patternsLoaded, this, &FlowLayout::patternsLoaded);
    m_hyphenator = hyphenator ? hyphenator : &Hyphenator::shared();
    invalidate(0, textLength(*document()));
}

void FlowLayout::awaitPatterns(quint64 loadsSeen)
{
    m_missedPatterns = true;
    // Queued: the signal comes from the loading thread, and a load that ends
    // on this one must not lay out again in the middle of a layout.
    connect(m_hyphenator, &Hyphenator::patternsLoaded, this, &FlowLayout::patternsLoaded,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
    // A load that ended before the connection was made told no one.
    if (m_hyphenator->loadsFinished() != loadsSeen)
        QMetaObject::invokeMethod(this, &FlowLayout::patternsLoaded, Qt::QueuedConnection);
}

void FlowLayout::patternsLoaded()
{
    disconnect(m_hyphenator, &Hyphenator::patternsLoaded, this, &FlowLayout::patternsLoaded);
    relayUnhyphenated();
}

void FlowLayout::relayUnhyphenated()
{
    if (!m_missedPatterns)
        return;
    m_missedPatterns = false;
    int from = -1;
    int to = -1;
    for (QTextBlock block = document()->begin(); block.isValid() && block.position() < m_recordsEnd;
         block = block.next()) {
        if (const BlockRecord* r = record(block); r && r->missedPatterns) {
            if (from < 0)
                from = block.position();
            to = block.position() + block.length() - 1;
        }
    }
    // Views redraw, and lay those paragraphs out again as they do.
    if (from >= 0)
        invalidate(from, to);
}

// Results --------------------------------------------------------------------

void FlowLayout::computeRanges()
{
    ensureLayout();
    if (m_rangesValid)
        return;
    const int count = textContainerCount();
    m_ranges = QList<Range>(count);
    QList<bool> seen(count, false);
    const QTextDocument* doc = document();
    m_overflowStart = textLength(*doc);
    bool overflowFound = false;
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        const BlockRecord* r = record(block);
        if (!r || r->start.container >= count) {
            if (!overflowFound) {
                m_overflowStart = block.position();
                overflowFound = true;
            }
            break;
        }
        const bool hasSeparator = block.next().isValid();
        for (size_t i = 0; i < r->lines.size(); ++i) {
            const LineBox& box = r->lines[i];
            const QTextLine line = r->layout->lineAt(box.qtLine);
            const int start = block.position() + r->documentOffset(line.textStart());
            int end = block.position() + r->documentOffset(line.textStart() + line.textLength());
            if (i + 1 == r->lines.size() && r->end.container < count && hasSeparator)
                ++end; // the separator shows with the paragraph's last line
            Range& range = m_ranges[box.container];
            if (!seen[box.container]) {
                range = Range {start, end - start};
                seen[box.container] = true;
            } else {
                range.length = end - range.location;
            }
        }
        if (r->end.container >= count) {
            // Part of this paragraph did not fit.
            int laid = block.position();
            if (!r->lines.empty()) {
                const QTextLine last = r->layout->lineAt(r->lines.back().qtLine);
                laid = block.position() + r->documentOffset(last.textStart() + last.textLength());
            }
            m_overflowStart = laid;
            overflowFound = true;
            break;
        }
    }
    // Containers nothing reached start where the text before them ended.
    int carry = 0;
    for (int i = 0; i < count; ++i) {
        if (!seen[i])
            m_ranges[i] = Range {carry, 0};
        carry = m_ranges[i].location + m_ranges[i].length;
        if (overflowFound && !seen[i])
            m_ranges[i].location = m_overflowStart;
    }
    m_rangesValid = true;
}

FlowLayout::Range FlowLayout::characterRangeForTextContainer(int index)
{
    computeRanges();
    return m_ranges.value(index);
}

int FlowLayout::textContainerForCharacter(int position)
{
    computeRanges();
    for (int i = 0; i < m_ranges.size(); ++i) {
        if (position >= m_ranges[i].location && position < m_ranges[i].location + m_ranges[i].length)
            return i;
    }
    return -1;
}

int FlowLayout::firstOverflowCharacter()
{
    computeRanges();
    return m_overflowStart;
}

bool FlowLayout::hasOverflow()
{
    return firstOverflowCharacter() < textLength(*document());
}

QTextBlock FlowLayout::firstBlockOf(int container)
{
    computeRanges();
    if (container < 0 || container >= m_ranges.size())
        return QTextBlock();
    return document()->findBlock(m_ranges[container].location);
}

namespace {

struct VisitedLine {
    QTextBlock block;
    const BlockRecord* record;
    const LineBox* box;
    QTextLine line;
    bool lastOfParagraph;
};

// Visits a container's lines in order, starting from the container's first
// paragraph.
void forEachLine(QTextBlock block, int container, const std::function<void(const VisitedLine&)>& visit)
{
    for (; block.isValid(); block = block.next()) {
        const auto* r = static_cast<const BlockRecord*>(block.userData());
        if (!r || r->start.container > container)
            break;
        for (size_t i = 0; i < r->lines.size(); ++i) {
            const LineBox& box = r->lines[i];
            if (box.container == container)
                visit(VisitedLine {block, r, &box, r->layout->lineAt(box.qtLine), i + 1 == r->lines.size()});
        }
        if (r->end.container > container)
            break;
    }
}

} // namespace

QList<FlowLayout::Line> FlowLayout::linesInTextContainer(int index)
{
    QList<Line> result;
    forEachLine(firstBlockOf(index), index, [&](const VisitedLine& v) {
        const QString& text = v.record->layout->text();
        const int layoutEnd = v.line.textStart() + v.line.textLength();
        Line out;
        out.container = index;
        out.rect = v.box->fragment;
        out.baseline = v.box->baseline;
        out.start = v.block.position() + v.record->documentOffset(v.line.textStart());
        out.length = v.block.position() + v.record->documentOffset(layoutEnd) - out.start;
        out.textWidth = v.line.naturalTextWidth();
        out.textX = v.line.cursorToX(v.line.textStart());
        out.hyphenated = layoutEnd > 0 && layoutEnd < text.size() && text.at(layoutEnd - 1) == kSoftHyphen;
        result.append(out);
    });
    return result;
}

QRectF FlowLayout::usedRectForTextContainer(int index)
{
    QRectF used;
    for (const Line& line : linesInTextContainer(index))
        used = used.united(QRectF(line.textX, line.rect.top(), std::max(line.textWidth, 1.0), line.rect.height()));
    return used;
}

int FlowLayout::characterIndexForPoint(int container, QPointF point)
{
    std::optional<VisitedLine> best;
    double bestScore = 0.0;
    auto distance = [](double v, double low, double high) { return v < low ? low - v : v > high ? v - high : 0.0; };
    forEachLine(firstBlockOf(container), container, [&](const VisitedLine& v) {
        const QRectF& f = v.box->fragment;
        // Rows first, then the nearest fragment within the row.
        const double score = distance(point.y(), f.top(), f.bottom()) * 1000.0 + distance(point.x(), f.left(), f.right());
        if (!best || score < bestScore) {
            best = v;
            bestScore = score;
        }
    });
    if (!best)
        return characterRangeForTextContainer(container).location;
    const QString& text = best->record->layout->text();
    int position = best->line.xToCursor(point.x());
    // Past the end of a line that broke at a space the caret stays on the
    // line, before the space.
    const int lineEnd = best->line.textStart() + best->line.textLength();
    if (position >= lineEnd && lineEnd < text.size() && best->line.textLength() > 0 && text.at(lineEnd - 1).isSpace())
        position = lineEnd - 1;
    return best->block.position() + best->record->documentOffset(position);
}

FlowLayout::Caret FlowLayout::caretRect(int position)
{
    ensureLayout();
    const QTextBlock block = document()->findBlock(position);
    const BlockRecord* r = record(block);
    if (!block.isValid() || !r || r->lines.empty())
        return {};
    const int offset = r->layoutPosition(position - block.position());
    for (size_t i = 0; i < r->lines.size(); ++i) {
        const LineBox& box = r->lines[i];
        const QTextLine line = r->layout->lineAt(box.qtLine);
        const int end = line.textStart() + line.textLength();
        const bool last = i + 1 == r->lines.size();
        // A position at a line break belongs to the line it starts.
        if (offset >= line.textStart() && (offset < end || (last && offset == end))) {
            const double x = line.cursorToX(offset);
            return Caret {box.container, QRectF(x, box.fragment.top(), 1.0, box.fragment.height())};
        }
    }
    return {};
}

QList<QRectF> FlowLayout::selectionRects(int container, int start, int end)
{
    QList<QRectF> rects;
    forEachLine(firstBlockOf(container), container, [&](const VisitedLine& v) {
        const int blockStart = v.block.position();
        const int lineStart = v.line.textStart();
        const int lineEnd = lineStart + v.line.textLength();
        const int from = std::max(lineStart, v.record->layoutPosition(std::max(0, start - blockStart)));
        const int to = std::min(lineEnd, v.record->layoutPosition(std::max(0, end - blockStart)));
        const bool coversSeparator = v.lastOfParagraph && v.block.next().isValid() && start < blockStart + v.block.length()
                                     && end > blockStart + v.block.length() - 1;
        if (from > to || (from == to && !coversSeparator))
            return;
        const double x1 = v.line.cursorToX(from);
        double x2 = v.line.cursorToX(to);
        if (coversSeparator)
            x2 = std::max(x2, x1) + 4.0; // a selected paragraph end shows as a little space
        rects.append(QRectF(std::min(x1, x2), v.box->fragment.top(), std::abs(x2 - x1), v.box->fragment.height()));
    });
    return rects;
}

void FlowLayout::drawTextContainer(QPainter* painter, int index, QPointF origin)
{
    // A thread that draws text it did not lay out draws it at the weight of its outlines too.
    StemDarkening::switchOffForThisThread();
    std::vector<VisitedLine> lines;
    forEachLine(firstBlockOf(index), index, [&](const VisitedLine& v) { lines.push_back(v); });
    // Backgrounds of every line first, so that none covers a neighbour's glyphs.
    for (const VisitedLine& v : lines) {
        const int lineStart = v.line.textStart();
        const int lineEnd = lineStart + v.line.textLength();
        for (const Background& background : v.record->backgrounds) {
            const int from = std::max(lineStart, background.start);
            const int to = std::min(lineEnd, background.end);
            if (from >= to)
                continue;
            const double x1 = v.line.cursorToX(from);
            const double x2 = v.line.cursorToX(to);
            painter->fillRect(QRectF(origin.x() + std::min(x1, x2), origin.y() + v.box->fragment.top(), std::abs(x2 - x1),
                                     v.box->fragment.height()),
                              background.brush);
        }
    }
    for (const VisitedLine& v : lines)
        v.line.draw(painter, origin);
}

// QAbstractTextDocumentLayout -------------------------------------------------

double FlowLayout::stackedOffset(int container) const
{
    double offset = 0.0;
    for (int i = 0; i < container && i < m_containers.size(); ++i)
        offset += m_containers[i]->containerSize().height();
    return offset;
}

void FlowLayout::draw(QPainter* painter, const PaintContext& context)
{
    Q_UNUSED(context);
    for (int i = 0; i < textContainerCount(); ++i)
        drawTextContainer(painter, i, QPointF(0, stackedOffset(i)));
}

int FlowLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    auto* self = const_cast<FlowLayout*>(this);
    for (int i = 0; i < textContainerCount(); ++i) {
        const double top = stackedOffset(i);
        const double height = m_containers[i]->containerSize().height();
        if (point.y() < top + height || i + 1 == textContainerCount()) {
            const QPointF local(point.x(), point.y() - top);
            if (accuracy == Qt::ExactHit && !QRectF(QPointF(0, 0), m_containers[i]->containerSize()).contains(local))
                return -1;
            return self->characterIndexForPoint(i, local);
        }
    }
    return -1;
}

int FlowLayout::pageCount() const
{
    return textContainerCount();
}

QSizeF FlowLayout::documentSize() const
{
    double width = 0.0;
    for (const TextContainer* container : m_containers)
        width = std::max(width, container->containerSize().width());
    return QSizeF(width, stackedOffset(textContainerCount()));
}

QRectF FlowLayout::frameBoundingRect(QTextFrame* frame) const
{
    Q_UNUSED(frame);
    return QRectF(QPointF(0, 0), documentSize());
}

QRectF FlowLayout::blockBoundingRect(const QTextBlock& block) const
{
    const_cast<FlowLayout*>(this)->ensureLayout();
    const BlockRecord* r = record(block);
    QRectF bounds;
    if (!r)
        return bounds;
    for (const LineBox& box : r->lines)
        bounds = bounds.united(box.fragment.translated(0, stackedOffset(box.container)));
    return bounds;
}

} // namespace ql::text
