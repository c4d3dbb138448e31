#include "content/text/AttributedTextMapping.h"

#include "content/text/HtmlFontFamilies.h"
#include "content/text/HtmlNesting.h"
#include "platform/graphics/FontResolver.h"

#include <QPen>
#include <QTextCursor>
#include <cmath>
#include <vector>

namespace ql::text {

namespace {

namespace A = ql::TextAttribute;

// Qt's frame markers would open frames if they reached insertText.
constexpr char16_t kBeginningOfFrame = 0xFDD0;
constexpr char16_t kEndOfFrame = 0xFDD1;

template <class T>
std::optional<T> valueOf(const TextAttributes& attributes, const QString& name)
{
    const QVariant value = attributes.value(name);
    if (value.metaType() == QMetaType::fromType<T>())
        return value.value<T>();
    return std::nullopt;
}

std::optional<double> finiteNumber(const TextAttributes& attributes, const QString& name)
{
    const QVariant value = attributes.value(name);
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!value.isValid() || !ok || !std::isfinite(number))
        return std::nullopt;
    return number;
}

qsizetype separatorLength(const QString& text, qsizetype at)
{
    if (text[at] == QLatin1Char('\r') && at + 1 < text.size() && text[at + 1] == QLatin1Char('\n'))
        return 2;
    return 1;
}

QString separatorOf(const QTextBlock& block)
{
    const QString stored = block.blockFormat().property(SeparatorProperty).toString();
    return stored.isEmpty() ? QStringLiteral("\n") : stored;
}

TextAttributes separatorAttributesOf(const QTextBlock& block)
{
    const QVariant stored = block.blockFormat().property(SeparatorAttributesProperty);
    if (stored.metaType() == QMetaType::fromType<QVariantMap>())
        return stored.toMap();
    // Text from elsewhere: the attributes the next paragraph would be typed with.
    const QTextBlock next = block.next();
    return attributes(next.isValid() ? next.charFormat() : block.charFormat());
}

QColor qcolor(const QVariant& value, const QColor& fallback)
{
    if (value.metaType() == QMetaType::fromType<ql::Color>())
        return value.value<ql::Color>().toQColor();
    return fallback;
}

// A document finds each run's format among its others by a hash that does
// not look into the attribute map: runs that differ only there (thousands of
// fonts that all resolve to one face) would each be compared with all the
// others. This hash of the map's contents keeps them apart; formats whose
// hashes meet are still compared whole.
QString attributesKey(const TextAttributes& attributes)
{
    return QString::number(qulonglong(contentHash(attributes)), 36);
}

} // namespace

bool isParagraphSeparator(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == 0x2029 || u == kBeginningOfFrame || u == kEndOfFrame;
}

namespace {

// The format of a font's properties alone, kept for the next run: the runs
// of a text may name thousands of fonts that all show in one face.
class FontFormat {
public:
    const QTextCharFormat& of(const QFont& font)
    {
        if (!m_made || !(font == m_font)) {
            m_font = font;
            m_format = QTextCharFormat();
            m_format.setFont(font, QTextCharFormat::FontPropertiesAll);
            m_made = true;
        }
        return m_format;
    }

private:
    QFont m_font;
    QTextCharFormat m_format;
    bool m_made = false;
};

QTextCharFormat charFormatWith(const TextAttributes& attributes, FontFormat& fontFormat)
{
    const ql::Font font = valueOf<ql::Font>(attributes, A::font).value_or(ql::Font(QStringLiteral("Helvetica"), 12.0));
    QFont q = FontResolver::resolve(font);
    if (std::optional<double> kern = finiteNumber(attributes, A::kern))
        q.setLetterSpacing(QFont::AbsoluteSpacing, std::clamp(*kern, -1000.0, 1000.0));
    QTextCharFormat format = fontFormat.of(q);
    format.setProperty(AttributesProperty, attributes);
    format.setProperty(AttributesKeyProperty, attributesKey(attributes));

    const QColor foreground = qcolor(attributes.value(A::foregroundColor), Qt::black);
    format.setForeground(foreground);
    if (attributes.contains(A::backgroundColor))
        format.setBackground(qcolor(attributes.value(A::backgroundColor), Qt::transparent));

    // Stroke width is a percentage of the point size: negative fills and
    // outlines the glyphs, positive outlines them only.
    if (std::optional<double> stroke = finiteNumber(attributes, A::strokeWidth); stroke && *stroke != 0.0) {
        const double size = FontResolver::safePointSize(font.pointSize());
        QPen outline(qcolor(attributes.value(A::strokeColor), foreground));
        outline.setWidthF(std::min(std::abs(*stroke) * size / 100.0, size));
        outline.setJoinStyle(Qt::MiterJoin);
        format.setTextOutline(outline);
        if (*stroke > 0)
            format.setForeground(Qt::transparent);
    }
    if (finiteNumber(attributes, A::underline).value_or(0) != 0) {
        format.setFontUnderline(true);
        if (attributes.contains(QStringLiteral("NSUnderlineColor")))
            format.setUnderlineColor(qcolor(attributes.value(QStringLiteral("NSUnderlineColor")), foreground));
    }
    if (finiteNumber(attributes, A::strikethrough).value_or(0) != 0)
        format.setFontStrikeOut(true);
    if (attributes.contains(A::link)) {
        format.setAnchor(true);
        format.setAnchorHref(attributes.value(A::link).toString());
    }
    return format;
}

} // namespace

QTextCharFormat charFormat(const TextAttributes& attributes)
{
    FontFormat fontFormat;
    return charFormatWith(attributes, fontFormat);
}

void lookUpFonts(const AttributedString& text)
{
    QString last;
    for (const AttributedString::Run& run : text.runs()) {
        const QVariant font = run.attributes.value(A::font);
        if (font.metaType() != QMetaType::fromType<ql::Font>())
            continue;
        const QString name = font.value<ql::Font>().postScriptName();
        if (name != last)
            FontResolver::face(name);
        last = name;
    }
}

TextAttributes attributes(const QTextCharFormat& format)
{
    const QVariant stored = format.property(AttributesProperty);
    if (stored.metaType() == QMetaType::fromType<QVariantMap>())
        return stored.toMap();

    TextAttributes result;
    result.insert(A::font, QVariant::fromValue(FontResolver::documentFont(format.font())));
    if (format.hasProperty(QTextFormat::ForegroundBrush) && format.foreground().style() != Qt::NoBrush)
        result.insert(A::foregroundColor, QVariant::fromValue(ql::Color::fromQColor(format.foreground().color())));
    if (format.hasProperty(QTextFormat::BackgroundBrush) && format.background().style() != Qt::NoBrush)
        result.insert(A::backgroundColor, QVariant::fromValue(ql::Color::fromQColor(format.background().color())));
    if (format.fontUnderline())
        result.insert(A::underline, 1);
    if (format.fontStrikeOut())
        result.insert(A::strikethrough, 1);
    if (format.fontLetterSpacingType() == QFont::AbsoluteSpacing && format.fontLetterSpacing() != 0)
        result.insert(A::kern, format.fontLetterSpacing());
    if (format.isAnchor() && !format.anchorHref().isEmpty())
        result.insert(A::link, format.anchorHref());
    return result;
}

namespace {

// Walks the runs of a text forwards: each look-up starts where the last one
// stopped, so reading a whole text finds its runs in linear time.
class RunWalker {
public:
    explicit RunWalker(const QList<AttributedString::Run>& runs) : m_runs(runs) {}
    qsizetype runAt(qsizetype position)
    {
        while (m_runs[m_run].start + m_runs[m_run].length <= position)
            ++m_run;
        return m_run;
    }

private:
    const QList<AttributedString::Run>& m_runs;
    qsizetype m_run = 0;
};

qsizetype paragraphEnd(const QString& string, qsizetype from)
{
    while (from < string.size() && !isParagraphSeparator(string[from]))
        ++from;
    return from;
}

// The formats of text being inserted, made once per run and per kind of
// paragraph end however many paragraphs share them: a text of a million
// short paragraphs resolves its fonts once, not a million times.
class InsertionFormats {
public:
    InsertionFormats(const QList<AttributedString::Run>& runs, const QTextBlockFormat& continuing)
        : m_runs(runs), m_charFormats(size_t(runs.size())), m_continuing(continuing)
    {
    }

    const QTextCharFormat& charFormatOf(qsizetype run)
    {
        std::optional<QTextCharFormat>& format = m_charFormats[size_t(run)];
        if (!format)
            format = charFormatWith(m_runs[run].attributes, m_fontFormat);
        return *format;
    }

    // The format of a block that ends with `separator` of run `separatorRun`;
    // its paragraph style from run `styleRun`, or as it was for -1.
    const QTextBlockFormat& endingFormat(const QString& separator, qsizetype separatorRun, qsizetype styleRun)
    {
        if (m_ending && separator == m_separator && separatorRun == m_separatorRun && styleRun == m_styleRun)
            return *m_ending;
        QTextBlockFormat format = m_continuing;
        format.setProperty(SeparatorProperty, separator);
        format.setProperty(SeparatorAttributesProperty, m_runs[separatorRun].attributes);
        if (styleRun >= 0) {
            const QVariant style = m_runs[styleRun].attributes.value(ql::TextAttribute::paragraphStyle);
            if (style.metaType() == QMetaType::fromType<ParagraphStyle>())
                format.setProperty(ParagraphStyleProperty, style);
            else
                format.clearProperty(ParagraphStyleProperty);
        }
        m_separator = separator;
        m_separatorRun = separatorRun;
        m_styleRun = styleRun;
        m_ending = format;
        return *m_ending;
    }

private:
    const QList<AttributedString::Run>& m_runs;
    std::vector<std::optional<QTextCharFormat>> m_charFormats;
    FontFormat m_fontFormat;
    QTextBlockFormat m_continuing;
    std::optional<QTextBlockFormat> m_ending;
    QString m_separator;
    qsizetype m_separatorRun = -1;
    qsizetype m_styleRun = -1;
};

// Removing text across paragraph ends joins the first paragraph to the last:
// Qt keeps the first block's format, whose separator went with the text. The
// joined paragraph ends with the last one's separator, as it was.
void removeSelection(QTextCursor& cursor)
{
    const QTextBlock last = cursor.document()->findBlock(cursor.selectionEnd());
    const bool joins = last.position() > cursor.selectionStart();
    const QTextBlockFormat ending = last.blockFormat();
    cursor.removeSelectedText();
    if (joins)
        cursor.setBlockFormat(ending);
}

} // namespace

void insertAttributedString(QTextCursor& cursor, const AttributedString& text)
{
    QTextDocument* document = cursor.document();
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        removeSelection(cursor);
    const int start = cursor.position();
    const QString& string = text.string();
    const qsizetype length = string.size();
    const QList<AttributedString::Run> runs = text.runs();
    // The block the text goes into ends with the first separator; each new
    // block is made with the format of the separator that will end it, so no
    // block's format is set twice. The last new block keeps whatever ended
    // the paragraph the text was inserted into.
    const QTextBlockFormat continuing = cursor.blockFormat();
    InsertionFormats formats(runs, continuing);
    RunWalker textRuns(runs);
    RunWalker nextRuns(runs);
    qsizetype at = 0;
    qsizetype end = paragraphEnd(string, 0);
    if (end < length)
        cursor.setBlockFormat(formats.endingFormat(string.mid(end, separatorLength(string, end)), nextRuns.runAt(end), -1));
    while (at < length) {
        // The paragraph's characters, one insertion per attribute run.
        while (at < end) {
            const qsizetype run = textRuns.runAt(at);
            const qsizetype pieceEnd = std::min(end, runs[run].start + runs[run].length);
            cursor.insertText(string.mid(at, pieceEnd - at), formats.charFormatOf(run));
            at = pieceEnd;
        }
        if (end == length)
            break;
        const qsizetype separatorRun = textRuns.runAt(end);
        const qsizetype next = end + separatorLength(string, end);
        const qsizetype nextEnd = paragraphEnd(string, next);
        if (nextEnd < length) {
            const qsizetype styleRun = nextRuns.runAt(next);
            const QString separator = string.mid(nextEnd, separatorLength(string, nextEnd));
            cursor.insertBlock(formats.endingFormat(separator, nextRuns.runAt(nextEnd), styleRun),
                               formats.charFormatOf(separatorRun));
        } else {
            cursor.insertBlock(continuing, formats.charFormatOf(separatorRun));
        }
        at = next;
        end = nextEnd;
    }
    // The new blocks between took their paragraph styles as they were made;
    // the two ends share paragraphs with the text that was there before.
    refreshBlockFormats(*document, start, start);
    refreshBlockFormats(*document, cursor.position(), cursor.position());
    cursor.endEditBlock();
}

void setAttributedString(QTextDocument& document, const AttributedString& text)
{
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    cursor.setBlockFormat(QTextBlockFormat());
    cursor.setBlockCharFormat(charFormat(text.isEmpty() ? TextAttributes() : text.attributesAt(0)));
    insertAttributedString(cursor, text);
    cursor.endEditBlock();
}

int textLength(const QTextDocument& document)
{
    return std::max(0, document.characterCount() - 1);
}

namespace {

// Walks the range's fragments (each with the part of it in the range) and
// paragraph separators in order.
template <class OnFragment, class OnSeparator>
void walkRange(const QTextDocument& document, int position, int length, OnFragment onFragment,
               OnSeparator onSeparator)
{
    const int total = textLength(document);
    const int from = std::clamp(position, 0, total);
    const int to = std::clamp(from + std::max(length, 0), from, total);
    if (from == to)
        return;
    // Blocks are followed by their lengths: asking each for its position
    // costs a search of the document, and texts of many empty paragraphs
    // have millions.
    QTextBlock block = document.findBlock(from);
    for (int start = block.position(); block.isValid() && start < to; block = block.next()) {
        const int separator = start + block.length() - 1;
        for (auto it = separator > start ? block.begin() : QTextBlock::iterator(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int a = std::max(from, fragment.position());
            const int b = std::min(to, fragment.position() + fragment.length());
            if (a < b)
                onFragment(fragment, a, b - a);
        }
        if (separator >= from && separator < to && block.next().isValid())
            onSeparator(block, separator);
        start = separator + 1;
    }
}

} // namespace

void forEachStretch(const QTextDocument& document, int position, int length, const StretchVisitor& visit)
{
    walkRange(
        document, position, length,
        [&](const QTextFragment& fragment, int start, int count) {
            visit(start, count, fragment.text().mid(start - fragment.position(), count),
                  attributes(fragment.charFormat()), false);
        },
        [&](const QTextBlock& block, int separator) {
            visit(separator, 1, separatorOf(block), separatorAttributesOf(block), true);
        });
}

void forEachFormatChange(const QTextDocument& document, int position, int length, const FormatVisitor& visit)
{
    // A key per format: character formats even, block formats odd; a
    // separator whose attributes its block format does not hold has none.
    qint64 previous = -1;
    const auto reach = [&](qint64 key, auto&& attributesOf) {
        if (key >= 0 && key == previous)
            return;
        previous = key;
        visit(attributesOf());
    };
    walkRange(
        document, position, length,
        [&](const QTextFragment& fragment, int, int) {
            reach(2 * qint64(fragment.charFormatIndex()), [&] { return attributes(fragment.charFormat()); });
        },
        [&](const QTextBlock& block, int) {
            qint64 key = 2 * qint64(block.blockFormatIndex()) + 1;
            if (key != previous && !block.blockFormat().hasProperty(SeparatorAttributesProperty))
                key = -1;
            reach(key, [&] { return separatorAttributesOf(block); });
        });
}

AttributedString attributedSubstring(const QTextDocument& document, int position, int length)
{
    AttributedString result;
    forEachStretch(document, position, length,
                   [&](int, int, const QString& text, const TextAttributes& attributes, bool) { result.append(text, attributes); });
    return result;
}

AttributedString attributedString(const QTextDocument& document)
{
    return attributedSubstring(document, 0, textLength(document));
}

AttributedString attributedStringFromHtml(const QString& html, const Font& unstyledFont)
{
    // Fonts the machine lacks cost a fontconfig look-up each, on the
    // window's thread for a drop or a paste.
    const FontResolver::AliasBudget budget;
    QTextDocument foreign;
    // Qt resolves every format's unset font properties (and heading sizes)
    // against the document's default font.
    foreign.setDefaultFont(FontResolver::resolve(unstyledFont));
    foreign.setHtml(withInstalledFontFamilies(withBoundedMarkup(html)));
    return attributedString(foreign);
}

QString plainText(const QTextDocument& document)
{
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        text += block.text();
        if (block.next().isValid())
            text += separatorOf(block);
    }
    return text;
}

TextAttributes attributesAt(const QTextDocument& document, int position)
{
    const QTextBlock block = document.findBlock(position);
    if (!block.isValid())
        return {};
    if (position == block.position() + block.length() - 1)
        return block.next().isValid() ? separatorAttributesOf(block) : emptyBlockAttributes(block);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (position >= fragment.position() && position < fragment.position() + fragment.length())
            return attributes(fragment.charFormat());
    }
    return {};
}

TextAttributes emptyBlockAttributes(const QTextBlock& block)
{
    if (block.next().isValid())
        return separatorAttributesOf(block);
    // The last paragraph ends with no character of its own: it takes what
    // ended the paragraph before it, or what typing into it would use.
    const QTextBlock previous = block.previous();
    if (previous.isValid())
        return separatorAttributesOf(previous);
    return attributes(block.charFormat());
}

std::optional<ParagraphStyle> paragraphStyle(const QTextBlock& block)
{
    const QVariant stored = block.blockFormat().property(ParagraphStyleProperty);
    if (stored.metaType() == QMetaType::fromType<ParagraphStyle>())
        return stored.value<ParagraphStyle>();
    return std::nullopt;
}

void refreshBlockFormats(QTextDocument& document, int firstPosition, int lastPosition)
{
    QTextCursor cursor(&document);
    for (QTextBlock block = document.findBlock(firstPosition); block.isValid() && block.position() <= lastPosition;
         block = block.next()) {
        const TextAttributes first =
            block.length() > 1 ? attributes(block.begin().fragment().charFormat()) : emptyBlockAttributes(block);
        const QVariant style = first.value(ql::TextAttribute::paragraphStyle);
        const QVariant current = block.blockFormat().property(ParagraphStyleProperty);
        const bool hasStyle = style.metaType() == QMetaType::fromType<ParagraphStyle>();
        if (hasStyle ? current == style : !current.isValid())
            continue;
        QTextBlockFormat format = block.blockFormat();
        if (hasStyle)
            format.setProperty(ParagraphStyleProperty, style);
        else
            format.clearProperty(ParagraphStyleProperty);
        cursor.setPosition(block.position());
        cursor.setBlockFormat(format);
    }
}

} // namespace ql::text
