#include "content/text/RtfReader.h"

#include "platform/graphics/FontResolver.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <array>

namespace ql::text {

namespace {

// Deeper nesting than this is no text anyone wrote by hand or by program:
// groups past it read in the formatting of the deepest group kept.
constexpr int kMaxDepth = 200;
// A control word's name and its number are short; longer runs are garbage.
constexpr int kMaxWord = 32;
constexpr int kMaxDigits = 10;

// Windows code page 1252 between 0x80 and 0x9f; the other bytes are Latin-1.
constexpr std::array<char16_t, 32> kCp1252 = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

QChar fromCodePage(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? QChar(kCp1252[byte - 0x80]) : QChar(byte);
}

enum class Destination { Text, FontTable, ColorTable, Skipped };

// How characters look.
struct Style {
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    int color = 0;
    ParagraphStyle::Alignment alignment = ParagraphStyle::Alignment::Natural;
    bool operator==(const Style&) const = default;
};

struct State {
    Destination destination = Destination::Text;
    Style style;
    int unicodeSkip = 1;
};

// Groups whose content is not text of the document.
bool isSkippedDestination(QByteArrayView word)
{
    static const QList<QByteArrayView> skipped = {
        "stylesheet", "info",     "pict",        "header",       "headerl",     "headerr",   "headerf",
        "footer",     "footerl",  "footerr",     "footerf",      "footnote",    "object",    "fldinst",
        "themedata",  "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl",  "latentstyles",
        "datastore",  "colorschememapping", "filetbl", "revtbl", "template",   "nonshppict", "shppict",
    };
    return skipped.contains(word);
}

class Parser {
public:
    explicit Parser(QByteArrayView data) : m_in(data) {}

    AttributedString run()
    {
        while (m_pos < m_in.size() && !m_done) {
            const char c = m_in[m_pos++];
            switch (c) {
            case '{':
                if (m_stack.size() >= kMaxDepth)
                    ++m_overflow;
                else
                    m_stack.append(m_state);
                break;
            case '}':
                endGroup();
                break;
            case '\\':
                controlWord();
                break;
            case '\r':
            case '\n':
                break;
            default:
                character(fromCodePage(static_cast<unsigned char>(c)));
                break;
            }
        }
        flush();
        return m_out;
    }

private:
    void endGroup()
    {
        if (m_overflow > 0) {
            if (m_overflowSkippedFrom == m_overflow)
                m_overflowSkippedFrom = 0;
            --m_overflow;
            return;
        }
        if (m_state.destination == Destination::FontTable)
            endFontEntry();
        if (m_stack.isEmpty()) {
            m_done = true;
            return;
        }
        m_state = m_stack.takeLast();
        // The outermost group closes the document.
        if (m_stack.isEmpty())
            m_done = true;
    }

    void controlWord()
    {
        if (m_pos >= m_in.size())
            return;
        const char first = m_in[m_pos];
        if (!isLetter(first)) {
            ++m_pos;
            controlSymbol(first);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_in.size() && isLetter(m_in[m_pos]) && m_pos - start < kMaxWord)
            ++m_pos;
        const QByteArrayView word = m_in.sliced(start, m_pos - start);
        bool negative = false;
        if (m_pos < m_in.size() && m_in[m_pos] == '-') {
            negative = true;
            ++m_pos;
        }
        std::optional<long long> number;
        const qsizetype digits = m_pos;
        while (m_pos < m_in.size() && m_in[m_pos] >= '0' && m_in[m_pos] <= '9' && m_pos - digits < kMaxDigits)
            ++m_pos;
        if (m_pos > digits) {
            const long long value = m_in.sliced(digits, m_pos - digits).toLongLong();
            number = negative ? -value : value;
        }
        if (m_pos < m_in.size() && m_in[m_pos] == ' ')
            ++m_pos;
        if (word == "bin") {
            // Binary data (a picture's, most often) follows, as many bytes
            // as the count says: read as RTF, its braces would end groups.
            if (number && *number > 0)
                m_pos += std::min<qsizetype>(*number, m_in.size() - m_pos);
            // Standing in for a Unicode character, the data is one character.
            if (m_skipping > 0)
                --m_skipping;
            return;
        }
        apply(word, number);
    }

    void controlSymbol(char symbol)
    {
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            character(QLatin1Char(symbol));
            break;
        case '~':
            character(QChar(0x00A0));
            break;
        case '_':
            character(QChar(0x2011));
            break;
        case '*':
            enterDestination(Destination::Skipped);
            break;
        case '\'':
            hexCharacter();
            break;
        case '\r':
        case '\n':
            character(QLatin1Char('\n'));
            break;
        default: // "\-" (optional hyphen) and the rest show nothing
            break;
        }
    }

    // Groups past the bound have no state of their own to restore: a font or
    // colour table or a skipped group there hides the rest of its group.
    void enterDestination(Destination destination)
    {
        if (m_overflow == 0)
            m_state.destination = destination;
        else if (m_overflowSkippedFrom == 0)
            m_overflowSkippedFrom = m_overflow;
    }

    void hexCharacter()
    {
        if (m_pos + 2 > m_in.size())
            return;
        bool ok = false;
        const uint byte = m_in.sliced(m_pos, 2).toUInt(&ok, 16);
        m_pos += 2;
        if (ok)
            character(fromCodePage(static_cast<unsigned char>(byte)));
    }

    void apply(QByteArrayView word, std::optional<long long> number)
    {
        const int value = int(std::clamp<long long>(number.value_or(1), -1000000, 1000000));
        const bool on = !number || *number != 0;
        if (word == "fonttbl")
            enterDestination(Destination::FontTable);
        else if (word == "colortbl")
            enterDestination(Destination::ColorTable);
        else if (isSkippedDestination(word))
            enterDestination(Destination::Skipped);
        else if (m_state.destination == Destination::FontTable && word == "f")
            m_fontNumber = value;
        else if (m_state.destination == Destination::ColorTable)
            colorComponent(word, value);
        else if (word == "par" || word == "sect" || word == "page")
            character(QLatin1Char('\n'));
        else if (word == "line")
            character(QChar(0x2028));
        else if (word == "tab")
            character(QLatin1Char('\t'));
        else if (word == "u")
            unicodeCharacter(value);
        else if (word == "uc" && m_overflow == 0)
            m_state.unicodeSkip = std::clamp(value, 0, 8);
        else if (word == "emdash")
            character(QChar(0x2014));
        else if (word == "endash")
            character(QChar(0x2013));
        else if (word == "bullet")
            character(QChar(0x2022));
        else if (word == "lquote")
            character(QChar(0x2018));
        else if (word == "rquote")
            character(QChar(0x2019));
        else if (word == "ldblquote")
            character(QChar(0x201C));
        else if (word == "rdblquote")
            character(QChar(0x201D));
        else if (m_overflow == 0) // past the bound, text keeps the deepest kept group's formatting
            format(word, value, on);
    }

    void format(QByteArrayView word, int value, bool on)
    {
        Style& style = m_state.style;
        if (word == "b")
            style.bold = on;
        else if (word == "i")
            style.italic = on;
        else if (word == "ul")
            style.underline = on;
        else if (word == "ulnone")
            style.underline = false;
        else if (word == "strike")
            style.strike = on;
        else if (word == "f")
            style.font = value;
        else if (word == "fs" && value > 0)
            style.halfPoints = value;
        else if (word == "cf")
            style.color = value;
        else if (word == "plain")
            style = Style {.alignment = style.alignment};
        else if (word == "pard")
            style.alignment = ParagraphStyle::Alignment::Natural;
        else if (word == "ql")
            style.alignment = ParagraphStyle::Alignment::Left;
        else if (word == "qr")
            style.alignment = ParagraphStyle::Alignment::Right;
        else if (word == "qc")
            style.alignment = ParagraphStyle::Alignment::Center;
        else if (word == "qj")
            style.alignment = ParagraphStyle::Alignment::Justified;
    }

    void unicodeCharacter(int value)
    {
        const char16_t unit = char16_t(value < 0 ? value + 65536 : value);
        m_skipping = 0;
        character(QChar(unit));
        // The stand-ins for readers without Unicode follow: skip them.
        m_skipping = m_state.unicodeSkip;
    }

    void colorComponent(QByteArrayView word, int value)
    {
        const int component = std::clamp(value, 0, 255);
        if (word == "red")
            m_red = component;
        else if (word == "green")
            m_green = component;
        else if (word == "blue")
            m_blue = component;
        else
            return;
        m_colorSet = true;
    }

    void character(QChar c)
    {
        if (m_skipping > 0) {
            --m_skipping;
            return;
        }
        if (m_overflowSkippedFrom > 0)
            return;
        switch (m_state.destination) {
        case Destination::Skipped:
            return;
        case Destination::FontTable:
            if (c == QLatin1Char(';'))
                endFontEntry();
            else
                m_fontName.append(c);
            return;
        case Destination::ColorTable:
            if (c == QLatin1Char(';')) {
                m_colors.append(m_colorSet ? std::optional<Color>(Color::deviceRgb(m_red / 255.0, m_green / 255.0,
                                                                                   m_blue / 255.0))
                                           : std::nullopt);
                m_red = m_green = m_blue = 0;
                m_colorSet = false;
            }
            return;
        case Destination::Text:
            // Characters gather while they look alike.
            if (m_state.style != m_pendingStyle)
                flush();
            m_pendingStyle = m_state.style;
            m_pending.append(c);
            return;
        }
    }

    void endFontEntry()
    {
        const QString name = m_fontName.trimmed();
        if (!name.isEmpty() && m_fontNumber >= 0)
            m_fonts.insert(m_fontNumber, name);
        m_fontName.clear();
    }

    void flush()
    {
        if (!m_pending.isEmpty())
            m_out.append(m_pending, attributes(m_pendingStyle));
        m_pending.clear();
    }

    TextAttributes attributes(const Style& style)
    {
        TextAttributes attributes;
        attributes.insert(TextAttribute::font, QVariant::fromValue(font(style)));
        if (style.underline)
            attributes.insert(TextAttribute::underline, 1);
        if (style.strike)
            attributes.insert(TextAttribute::strikethrough, 1);
        if (style.color > 0 && style.color < m_colors.size() && m_colors.at(style.color))
            attributes.insert(TextAttribute::foregroundColor, QVariant::fromValue(*m_colors.at(style.color)));
        if (style.alignment != ParagraphStyle::Alignment::Natural) {
            ParagraphStyle paragraph;
            paragraph.alignment = style.alignment;
            attributes.insert(TextAttribute::paragraphStyle, QVariant::fromValue(paragraph));
        }
        return attributes;
    }

    Font font(const Style& style) const
    {
        const int traits = (style.bold ? BoldTrait : 0) | (style.italic ? ItalicTrait : 0);
        const QString family = m_fonts.value(style.font);
        const double size = style.halfPoints / 2.0;
        Font font = family.isEmpty() ? Font() : FontResolver::fontWithFamily(family, traits, size);
        if (font.isNull())
            font = FontResolver::convertFont(Font(FontResolver::defaultPostScriptName(), size), traits, 0);
        return font;
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

    QByteArrayView m_in;
    qsizetype m_pos = 0;
    bool m_done = false;
    State m_state;
    QList<State> m_stack;
    // Groups open past the bound, and the one of them that hides its text.
    int m_overflow = 0;
    int m_overflowSkippedFrom = 0;
    int m_skipping = 0;
    AttributedString m_out;
    QHash<int, QString> m_fonts;
    int m_fontNumber = -1;
    QString m_fontName;
    QList<std::optional<Color>> m_colors;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colorSet = false;
    QString m_pending;
    Style m_pendingStyle;
};

} // namespace

std::optional<AttributedString> attributedStringFromRtf(QByteArrayView rtf)
{
    if (!rtf.startsWith("{\\rtf"))
        return std::nullopt;
    // Fonts the machine lacks cost a fontconfig look-up each, on the
    // window's thread for a drop or a paste.
    const FontResolver::AliasBudget budget;
    AttributedString text = Parser(rtf).run();
    // Escapes may give half a character; such text could not be saved.
    text.replaceLoneSurrogates();
    return text;
}

} // namespace ql::text
