#include "content/text/RtfWriter.h"

#include "platform/graphics/FontResolver.h"

#include <QRegularExpression>
#include <QStringList>
#include <cmath>

namespace ql::text {

namespace {

// Font names end at ";" in the table and may not open or close groups.
QByteArray fontTableName(const QString& name)
{
    QString clean = name;
    clean.remove(QRegularExpression(QStringLiteral("[;{}\\\\]")));
    return clean.toLatin1();
}

void appendCharacters(QByteArray& out, QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case '\\': out += "\\\\"; continue;
        case '{': out += "\\{"; continue;
        case '}': out += "\\}"; continue;
        case '\t': out += "\\tab "; continue;
        case u'\u2028': out += "\\line "; continue;
        case '\r':
            // "\r\n" ends one paragraph.
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += "\\par\n";
            continue;
        case '\n':
        case u'\u2029': out += "\\par\n"; continue;
        default: break;
        }
        if (c >= 0x20 && c < 0x7f)
            out += char(c);
        else if (c >= 0x80)
            // UTF-16 units as signed numbers, each with a "?" for readers
            // that skip \u.
            out += "\\u" + QByteArray::number(qint16(c)) + '?';
    }
}

} // namespace

QByteArray rtfFromAttributedString(const AttributedString& text)
{
    QStringList fonts;
    const auto fontOf = [](const TextAttributes& attributes) {
        const Font font = attributes.value(TextAttribute::font).value<Font>();
        return font.isNull() ? Font(FontResolver::defaultPostScriptName(), FontResolver::defaultPointSize) : font;
    };
    const QList<AttributedString::Run> runs = text.runs();
    for (const AttributedString::Run& run : runs) {
        const QString name = fontOf(run.attributes).postScriptName();
        if (!fonts.contains(name))
            fonts.append(name);
    }
    if (fonts.isEmpty())
        fonts.append(FontResolver::defaultPostScriptName());

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0{\\fonttbl";
    for (qsizetype i = 0; i < fonts.size(); ++i)
        out += "{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0 " + fontTableName(fonts[i]) + ";}";
    out += "}\n";
    for (const AttributedString::Run& run : runs) {
        const Font font = fontOf(run.attributes);
        const int traits = FontResolver::traits(font);
        const double size = FontResolver::safePointSize(font.pointSize());
        out += "\\f" + QByteArray::number(fonts.indexOf(font.postScriptName()));
        out += "\\fs" + QByteArray::number(std::lround(size * 2));
        out += (traits & BoldTrait) ? "\\b" : "\\b0";
        out += (traits & ItalicTrait) ? "\\i " : "\\i0 ";
        appendCharacters(out, QStringView(text.string()).mid(run.start, run.length));
    }
    out += '}';
    return out;
}

} // namespace ql::text
