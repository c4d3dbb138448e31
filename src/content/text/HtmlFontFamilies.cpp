#include "content/text/HtmlFontFamilies.h"

#include "platform/graphics/FontResolver.h"

#include <algorithm>
#include <optional>

namespace ql::text {

namespace {

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool isQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

bool isNameCharacter(QChar c)
{
    return c.isLetterOrNumber() || c == u'-' || c == u'_';
}

qsizetype skipSpaces(QStringView text, qsizetype at)
{
    while (at < text.size() && isSpace(text[at]))
        ++at;
    return at;
}

// The first family of a CSS family list, without its quotes.
QString firstFamily(QStringView list)
{
    list = list.trimmed();
    if (!list.isEmpty() && isQuote(list.front())) {
        const qsizetype close = list.indexOf(list.front(), 1);
        return list.sliced(1, (close < 0 ? list.size() : close) - 1).toString().simplified();
    }
    return list.left(list.indexOf(u',')).toString().simplified();
}

// The installed family the text of a family list shows in: its first
// family's, as text from elsewhere is read, or the default family's.
QString installedFamilyOf(QStringView list)
{
    const QString first = firstFamily(list);
    const QString family = first.isEmpty() ? QString() : FontResolver::familyOf(first);
    return family.isEmpty() ? FontResolver::resolvedFamily(FontResolver::defaultPostScriptName()) : family;
}

// Where a declaration's value ends: at ';', '{' or '}' outside quotes.
qsizetype valueEnd(QStringView css, qsizetype at)
{
    QChar quote;
    for (; at < css.size(); ++at) {
        const QChar c = css[at];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == u';' || c == u'{' || c == u'}') {
            break;
        }
    }
    return at;
}

bool isStyleOrWeight(QStringView word)
{
    for (const char16_t* keyword : {u"normal", u"italic", u"oblique", u"bold", u"bolder", u"lighter"}) {
        if (word.compare(QStringView(keyword), Qt::CaseInsensitive) == 0)
            return true;
    }
    return std::all_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

// Where the families of a `font` shorthand begin, read as Qt reads them:
// after the style and weight words, the size and its line height; -1 when
// it names none.
qsizetype shorthandFamilies(QStringView value)
{
    bool sized = false;
    bool lineHeightNext = false;
    for (qsizetype at = skipSpaces(value, 0); at < value.size(); at = skipSpaces(value, at)) {
        if (isQuote(value[at]) || (sized && !lineHeightNext && value[at] != u'/'))
            return at;
        qsizetype end = at;
        while (end < value.size() && !isSpace(value[end]))
            ++end;
        const QStringView word = value.sliced(at, end - at);
        if (sized) {
            lineHeightNext = word == u"/";
        } else if (!isStyleOrWeight(word)) {
            sized = true;
            lineHeightNext = word.endsWith(u'/');
        }
        at = end;
    }
    return -1;
}

// The style sheet (or a style attribute's declarations) with the families of
// each font-family and font declaration written as one installed family;
// nothing when it names no font.
std::optional<QString> withInstalledFamiliesInCss(QStringView css)
{
    QString out;
    qsizetype copied = 0;
    qsizetype at = 0;
    while (at < css.size()) {
        if (css.sliced(at).startsWith(u"/*")) {
            const qsizetype close = css.indexOf(u"*/", at + 2);
            at = close < 0 ? css.size() : close + 2;
            continue;
        }
        if (!isNameCharacter(css[at])) {
            ++at;
            continue;
        }
        qsizetype nameEnd = at;
        while (nameEnd < css.size() && isNameCharacter(css[nameEnd]))
            ++nameEnd;
        const QStringView property = css.sliced(at, nameEnd - at);
        const qsizetype colon = skipSpaces(css, nameEnd);
        if (colon == css.size() || css[colon] != u':') {
            at = nameEnd;
            continue;
        }
        const qsizetype start = colon + 1;
        const qsizetype end = valueEnd(css, start);
        QStringView value = css.sliced(start, end - start);
        value = value.left(value.indexOf(u'!')); // "!important" stays
        qsizetype families = -1;
        if (property.compare(u"font-family", Qt::CaseInsensitive) == 0)
            families = 0;
        else if (property.compare(u"font", Qt::CaseInsensitive) == 0)
            families = shorthandFamilies(value);
        if (families >= 0) {
            out += css.sliced(copied, start + families - copied);
            out += QLatin1Char('"') + installedFamilyOf(value.sliced(families)) + QLatin1Char('"');
            copied = start + value.size();
        }
        at = end;
    }
    if (copied == 0)
        return std::nullopt;
    out += css.sliced(copied);
    return out;
}

std::optional<char32_t> characterReference(QStringView name)
{
    if (name == u"quot")
        return U'"';
    if (name == u"apos")
        return U'\'';
    if (name == u"amp")
        return U'&';
    if (name == u"lt")
        return U'<';
    if (name == u"gt")
        return U'>';
    if (!name.startsWith(u'#'))
        return std::nullopt;
    const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
    bool ok = false;
    const uint code = name.sliced(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
    if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return std::nullopt;
    return char32_t(code);
}

// An attribute's value as the reader sees it: the references that can
// stand in CSS read; any other stays as written.
QString decodedAttribute(QStringView raw)
{
    QString value;
    value.reserve(raw.size());
    for (qsizetype at = 0; at < raw.size(); ++at) {
        const qsizetype semicolon = raw[at] == u'&' ? raw.indexOf(u';', at + 1) : -1;
        const std::optional<char32_t> character =
            semicolon > at && semicolon - at <= 10 ? characterReference(raw.sliced(at + 1, semicolon - at - 1))
                                                   : std::nullopt;
        if (!character) {
            value += raw[at];
            continue;
        }
        value += QString::fromUcs4(&*character, 1);
        at = semicolon;
    }
    return value;
}

QString quotedAttribute(const QString& value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('&'), QLatin1String("&amp;"))
        .replace(QLatin1Char('"'), QLatin1String("&quot;"))
        .replace(QLatin1Char('<'), QLatin1String("&lt;"))
        .replace(QLatin1Char('>'), QLatin1String("&gt;"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QString withInstalledFontFamilies(const QString& html)
{
    const QStringView text(html);
    const qsizetype length = text.size();
    QString out;
    qsizetype copied = 0;
    const auto replace = [&](qsizetype from, qsizetype to, const QString& with) {
        out += text.sliced(copied, from - copied);
        out += with;
        copied = to;
    };
    qsizetype at = 0;
    while ((at = html.indexOf(u'<', at)) >= 0) {
        if (text.sliced(at).startsWith(u"<!--")) {
            const qsizetype close = html.indexOf(u"-->", at + 4);
            if (close < 0)
                break;
            at = close + 3;
            continue;
        }
        qsizetype nameEnd = at + 1;
        while (nameEnd < length && text[nameEnd].isLetterOrNumber())
            ++nameEnd;
        const QStringView tag = text.sliced(at + 1, nameEnd - at - 1);
        at = nameEnd;
        if (tag.isEmpty())
            continue; // an end tag, a declaration or a lone '<'
        while (at < length && text[at] != u'>') {
            if (isSpace(text[at]) || text[at] == u'/' || text[at] == u'=') {
                ++at;
                continue;
            }
            qsizetype end = at;
            while (end < length && !isSpace(text[end]) && text[end] != u'=' && text[end] != u'>' && text[end] != u'/')
                ++end;
            const QStringView name = text.sliced(at, end - at);
            const qsizetype equals = skipSpaces(text, end);
            if (equals == length || text[equals] != u'=') {
                at = end;
                continue;
            }
            const qsizetype open = skipSpaces(text, equals + 1);
            qsizetype valueStart = open;
            qsizetype valueEnd = open;
            qsizetype next = open;
            if (open < length && isQuote(text[open])) {
                const qsizetype close = html.indexOf(text[open], open + 1);
                valueStart = open + 1;
                valueEnd = close < 0 ? length : close;
                next = close < 0 ? length : close + 1;
            } else {
                while (valueEnd < length && !isSpace(text[valueEnd]) && text[valueEnd] != u'>')
                    ++valueEnd;
                next = valueEnd;
            }
            const bool style = name.compare(u"style", Qt::CaseInsensitive) == 0;
            if (style || name.compare(u"face", Qt::CaseInsensitive) == 0) {
                const QString value = decodedAttribute(text.sliced(valueStart, valueEnd - valueStart));
                const std::optional<QString> written =
                    style ? withInstalledFamiliesInCss(value) : std::optional<QString>(installedFamilyOf(value));
                if (written)
                    replace(open, next, quotedAttribute(*written));
            }
            at = next;
        }
        if (tag.compare(u"style", Qt::CaseInsensitive) == 0 && at < length) {
            const qsizetype sheet = at + 1;
            qsizetype sheetEnd = html.indexOf(QLatin1String("</style"), sheet, Qt::CaseInsensitive);
            if (sheetEnd < 0)
                sheetEnd = length;
            if (const std::optional<QString> written = withInstalledFamiliesInCss(text.sliced(sheet, sheetEnd - sheet)))
                replace(sheet, sheetEnd, *written);
            at = sheetEnd;
        }
    }
    if (copied == 0)
        return html;
    out += text.sliced(copied);
    return out;
}

} // namespace ql::text
