#include "content/text/AttributedTextMapping.h"

#include "platform/graphics/FontResolver.h"

#include <QPen>
#include <QTextCursor>
#include <cmath>

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

} // namespace

bool isParagraphSeparator(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'\n' || u == u'\r' || u == 0x2029 || u == kBeginningOfFrame || u == kEndOfFrame;
}

QTextCharFormat charFormat(const TextAttributes& attributes)
{
    QTextCharFormat format;
    format.setProperty(AttributesProperty, attributes);

    const ql::Font font = valueOf<ql::Font>(attributes, A::font).value_or(ql::Font(QStringLiteral("Helvetica"), 12.0));
    QFont q = FontResolver::resolve(font);
    if (std::optional<double> kern = finiteNumber(attributes, A::kern))
        q.setLetterSpacing(QFont::AbsoluteSpacing, std::clamp(*kern, -1000.0, 1000.0));
    format.setFont(q, QTextCharFormat::FontPropertiesAll);

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

void insertAttributedString(QTextCursor& cursor, const AttributedString& text)
{
    QTextDocument* document = cursor.document();
    cursor.beginEditBlock();
    if (cursor.hasSelection())
        cursor.removeSelectedText();
    const int start = cursor.position();
    const QString& string = text.string();
    const QList<AttributedString::Run> runs = text.runs();
    qsizetype run = 0;
    qsizetype at = 0;
    const qsizetype length = string.size();
    while (at < length) {
        qsizetype end = at;
        while (end < length && !isParagraphSeparator(string[end]))
            ++end;
        // The paragraph's characters, one insertion per attribute run.
        while (at < end) {
            while (runs[run].start + runs[run].length <= at)
                ++run;
            const qsizetype pieceEnd = std::min(end, runs[run].start + runs[run].length);
            cursor.insertText(string.mid(at, pieceEnd - at), charFormat(runs[run].attributes));
            at = pieceEnd;
        }
        if (end == length)
            break;
        while (runs[run].start + runs[run].length <= end)
            ++run;
        const qsizetype sepLength = separatorLength(string, end);
        const TextAttributes sepAttributes = runs[run].attributes;
        // The block that ends here takes this separator; the new block keeps
        // whatever ended the paragraph the text was inserted into.
        const QTextBlockFormat continuing = cursor.blockFormat();
        QTextBlockFormat ending = continuing;
        ending.setProperty(SeparatorProperty, string.mid(end, sepLength));
        ending.setProperty(SeparatorAttributesProperty, sepAttributes);
        cursor.setBlockFormat(ending);
        cursor.insertBlock(continuing, charFormat(sepAttributes));
        at = end + sepLength;
    }
    refreshBlockFormats(*document, start, cursor.position());
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

void forEachStretch(const QTextDocument& document, int position, int length, const StretchVisitor& visit)
{
    const int total = textLength(document);
    const int from = std::clamp(position, 0, total);
    const int to = std::clamp(from + std::max(length, 0), from, total);
    if (from == to)
        return;
    for (QTextBlock block = document.findBlock(from); block.isValid() && block.position() < to; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int a = std::max(from, fragment.position());
            const int b = std::min(to, fragment.position() + fragment.length());
            if (a < b)
                visit(a, b - a, fragment.text().mid(a - fragment.position(), b - a), attributes(fragment.charFormat()), false);
        }
        const int separator = block.position() + block.length() - 1;
        if (block.next().isValid() && separator >= from && separator < to)
            visit(separator, 1, separatorOf(block), separatorAttributesOf(block), true);
    }
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

AttributedString attributedStringFromHtml(const QString& html)
{
    QTextDocument foreign;
    foreign.setHtml(html);
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
