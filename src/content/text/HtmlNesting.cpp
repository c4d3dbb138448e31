#include "content/text/HtmlNesting.h"

#include <QHash>
#include <QList>
#include <algorithm>
#include <optional>

namespace ql::text {

namespace {

bool isOneOf(QStringView name, std::initializer_list<QStringView> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Qt gives these no children.
bool isVoid(QStringView name)
{
    return isOneOf(name, {u"br", u"hr", u"img", u"meta"});
}

bool isTablePart(QStringView name)
{
    return isOneOf(name, {u"table", u"tr", u"td", u"th", u"thead", u"tbody", u"tfoot", u"caption"});
}

bool isCell(QStringView name)
{
    return name == u"td" || name == u"th";
}

bool isList(QStringView name)
{
    return name == u"ul" || name == u"ol";
}

// Elements that begin a line of their own: one left out leaves a line break.
bool beginsLine(QStringView name)
{
    return isOneOf(name, {u"p", u"div", u"li", u"ul", u"ol", u"dl", u"dt", u"dd", u"blockquote", u"pre", u"center",
                          u"address", u"h1", u"h2", u"h3", u"h4", u"h5", u"h6", u"table", u"tr", u"caption",
                          u"thead", u"tbody", u"tfoot", u"br", u"hr"});
}

// Elements Qt surely reads as inline: a new paragraph closes them, and an
// open paragraph below them.
bool isInline(QStringView name)
{
    return isOneOf(name, {u"a", u"abbr", u"b", u"big", u"cite", u"code", u"del", u"dfn", u"em", u"font", u"i", u"ins",
                          u"kbd", u"nobr", u"q", u"s", u"samp", u"small", u"span", u"strike", u"strong", u"sub",
                          u"sup", u"tt", u"u", u"var"});
}

// Elements that, closed and opened again before a list item, leave Qt's
// reading as it was: the item begins a line of its own anyway.
bool reopensAsItWas(QStringView name)
{
    return isInline(name)
        || isOneOf(name, {u"div", u"p", u"blockquote", u"center", u"address", u"dl", u"dd", u"dt", u"h1", u"h2",
                          u"h3", u"h4", u"h5", u"h6"});
}

// A name Qt reads back from "</name>" as it is.
bool isWritable(QStringView name)
{
    return !name.isEmpty() && std::none_of(name.begin(), name.end(), [](QChar c) {
        return c.isSpace() || c == u'<' || c == u'>' || c == u'=' || c == u'/' || c == u'&' || c == u'"' || c == u'\'';
    });
}

struct OpenElement {
    QString name;
    bool kept = true;
    // Where a new paragraph's search for an open one ends: this element or
    // the nearest below it that is not surely inline (-1: none).
    qsizetype paragraphStop = -1;
    // Its start tag as written; none for what Qt opens on its own.
    QStringView startTag;
    // Of a list: items since it was last opened, and where that opening
    // ended.
    int items = 0;
    qsizetype openedAt = 0;
};

// Reads the tags as Qt's reader does (where they begin and end, their names,
// which close themselves) and keeps the elements Qt holds open, a superset of
// them: an element Qt may close on its own is closed here with an end tag.
class NestingBound {
public:
    explicit NestingBound(const QString& html) : m_html(html), m_in(html) {}

    QString run()
    {
        qsizetype at = 0;
        while (at < m_in.size()) {
            const qsizetype open = m_in.indexOf(u'<', at);
            const qsizetype textEnd = open < 0 ? m_in.size() : open;
            if (std::any_of(m_in.begin() + at, m_in.begin() + textEnd, [](QChar c) { return !c.isSpace(); }))
                m_lineHasText = true;
            if (open < 0)
                break;
            at = tag(open);
        }
        if (!m_changed)
            return m_html;
        m_out += m_in.sliced(m_copied);
        return m_out;
    }

private:
    struct Word {
        qsizetype end;
        QStringView text;
    };

    // Qt skips blanks other than the paragraph separator, which ends a word.
    qsizetype skipSpaces(qsizetype at) const
    {
        while (at < m_in.size() && m_in[at].isSpace() && m_in[at] != QChar::ParagraphSeparator)
            ++at;
        return at;
    }

    Word word(qsizetype at) const
    {
        if (at < m_in.size() && (m_in[at] == u'"' || m_in[at] == u'\'')) {
            const qsizetype close = m_in.indexOf(m_in[at], at + 1);
            if (close < 0)
                return {m_in.size(), m_in.sliced(at + 1)};
            return {close + 1, m_in.sliced(at + 1, close - at - 1)};
        }
        qsizetype end = at;
        while (end < m_in.size() && !endsWord(end))
            ++end;
        return {end, m_in.sliced(at, end - at)};
    }

    bool endsWord(qsizetype at) const
    {
        const QChar c = m_in[at];
        return c == u'>' || c == u'<' || c == u'=' || c.isSpace()
            || (c == u'/' && at + 1 < m_in.size() && m_in[at + 1] == u'>');
    }

    qsizetype afterNext(QChar c, qsizetype at) const
    {
        const qsizetype found = m_in.indexOf(c, at);
        return found < 0 ? m_in.size() : found + 1;
    }

    // The tag at `open` ('<'); returns where it ends.
    qsizetype tag(qsizetype open)
    {
        m_tagStart = open;
        const qsizetype at = skipSpaces(open + 1);
        if (at < m_in.size() && m_in[at] == u'!') {
            if (m_in.sliced(at + 1).startsWith(u"--")) {
                const qsizetype close = m_in.indexOf(u"-->", at + 3);
                return close < 0 ? m_in.size() : close + 3;
            }
            return afterNext(u'>', at);
        }
        if (at < m_in.size() && m_in[at] == u'/') {
            const Word name = word(at + 1);
            const qsizetype end = afterNext(u'>', name.end);
            endTag(name.text.trimmed().toString().toLower(), open, end);
            return end;
        }
        const Word name = word(at);
        qsizetype rest = name.end;
        // Attributes follow a blank after the name.
        if (rest < m_in.size() && m_in[rest].isSpace())
            rest = afterAttributes(rest);
        bool closed = false;
        for (; rest < m_in.size() && m_in[rest] != u'>'; ++rest)
            closed = closed || m_in[rest] == u'/';
        const qsizetype end = std::min(rest + 1, m_in.size());
        startTag(name.text.toString().toLower(), closed, open, end);
        return end;
    }

    qsizetype afterAttributes(qsizetype at) const
    {
        while (at < m_in.size()) {
            at = skipSpaces(at);
            if (at == m_in.size() || m_in[at] == u'>' || m_in[at] == u'/')
                break;
            const Word key = word(at);
            at = key.end;
            if (key.text.isEmpty())
                break;
            at = skipSpaces(at);
            if (at < m_in.size() && m_in[at] == u'=')
                at = word(skipSpaces(at + 1)).end;
        }
        return at;
    }

    void startTag(const QString& name, bool closed, qsizetype from, qsizetype to)
    {
        if (name == u"img") {
            // The styled text holds no pictures; Qt would leave a stand-in.
            leaveOut(from, to, u"");
            return;
        }
        if (name.isEmpty() || isVoid(name)) {
            // Nothing nests in either; a line break is kept wherever it stands.
            if (beginsLine(name))
                m_lineHasText = false;
            return;
        }
        const qsizetype phantoms = closeBefore(name);
        bool kept = isWritable(name) && m_keptDepth + phantoms < kMaxHtmlNesting;
        if (phantoms > 0 || name == u"table")
            kept = kept && m_keptTables < kMaxHtmlTableNesting;
        else if (isTablePart(name) && !m_open.isEmpty())
            kept = kept && m_open.last().kept; // the row or table it was put in
        else if (name == u"li" && kept)
            kept = beginItem(from);
        // A cell or row with no row or table around it gets one from Qt.
        if (phantoms > 0)
            push(QStringLiteral("table"), kept);
        if (phantoms > 1)
            push(QStringLiteral("tr"), kept);
        if (kept) {
            if (beginsLine(name) || isCell(name))
                m_lineHasText = false;
        } else {
            leaveOut(from, to, isCell(name) ? u" " : beginsLine(name) ? u"<br>" : u"");
        }
        if (!closed)
            push(name, kept, m_in.sliced(from, to - from), to);
    }

    // An item starting at `from` goes to the innermost list open. When that
    // list is full, it is closed and opened again with what lies open in
    // it, unless that would write more than the markup read since it was
    // last opened, or reopen what would not read as it did: then the item
    // is left out. Whether the item is kept.
    bool beginItem(qsizetype from)
    {
        if (m_lists.isEmpty() || !m_open.at(m_lists.last()).kept)
            return true;
        OpenElement& list = m_open[m_lists.last()];
        if (list.items >= kMaxHtmlListItems) {
            const std::optional<QString> tags = reopening(m_lists.last(), from - list.openedAt);
            if (!tags)
                return false;
            insert(*tags);
            list.items = 0;
            list.openedAt = from;
        }
        ++list.items;
        return true;
    }

    // The end tags of the elements kept from the top down to the one at
    // `at`, then their start tags again, in no more than `budget` characters.
    std::optional<QString> reopening(qsizetype at, qsizetype budget) const
    {
        // Past the nesting bound, no element lies open that is kept.
        if (m_open.size() - at > kMaxHtmlNesting)
            return std::nullopt;
        QString closing;
        QString opening;
        for (qsizetype i = at; i < m_open.size(); ++i) {
            const OpenElement& element = m_open.at(i);
            if (!element.kept)
                continue;
            if (i > at && !reopensAsItWas(element.name))
                return std::nullopt;
            closing.prepend(QStringLiteral("</%1>").arg(element.name));
            opening += element.startTag.isEmpty() ? QStringLiteral("<%1>").arg(element.name) : element.startTag;
            if (closing.size() + opening.size() > budget)
                return std::nullopt;
        }
        return closing + opening;
    }

    void endTag(const QString& name, qsizetype from, qsizetype to)
    {
        if (isVoid(name) || m_openByName.value(name) == 0)
            return; // Qt passes over it as well
        while (m_open.last().name != name)
            close();
        const OpenElement element = pop();
        if (element.kept) {
            if (beginsLine(name) || isCell(name))
                m_lineHasText = false;
        } else {
            leaveOut(from, to, beginsLine(name) ? u"<br>" : u"");
        }
    }

    // Closes what Qt closes before the element `name` opens; returns how
    // many of table and row Qt opens around it first.
    qsizetype closeBefore(QStringView name)
    {
        if (name == u"td" && m_openByName.value(QStringLiteral("tr")) == 0)
            return 2;
        if (isCell(name)) {
            closeDownTo({u"tr"});
        } else if (name == u"tr") {
            if (m_openByName.value(QStringLiteral("table")) == 0)
                return 1;
            closeDownTo({u"table", u"thead", u"tbody", u"tfoot"});
        } else if (isOneOf(name, {u"thead", u"tbody", u"tfoot", u"caption"})) {
            closeDownTo({u"table"});
        } else if (name == u"dd" || name == u"dt") {
            closeDownTo({u"dl"});
        } else if (name == u"body") {
            while (!m_open.isEmpty() && m_open.last().name == u"head")
                close();
        } else if (name == u"li") {
            if (!m_open.isEmpty() && m_open.last().name == u"li")
                close();
        } else if (name == u"p" && !m_open.isEmpty()) {
            const qsizetype stop = m_open.last().paragraphStop;
            if (stop >= 0 && m_open.at(stop).name == u"p") {
                while (m_open.size() > stop)
                    close();
            }
        }
        return 0;
    }

    // Closes the open elements above the nearest one named in `names`, or
    // all of them when none is.
    void closeDownTo(std::initializer_list<QStringView> names)
    {
        while (!m_open.isEmpty() && !isOneOf(m_open.last().name, names))
            close();
    }

    void push(const QString& name, bool kept, QStringView startTag = {}, qsizetype end = 0)
    {
        const qsizetype below = m_open.isEmpty() ? -1 : m_open.last().paragraphStop;
        if (isList(name))
            m_lists.append(m_open.size());
        m_open.append({name, kept, isInline(name) ? below : m_open.size(), startTag, 0, end});
        ++m_openByName[name];
        m_keptDepth += kept ? 1 : 0;
        m_keptTables += kept && name == u"table" ? 1 : 0;
    }

    OpenElement pop()
    {
        OpenElement element = m_open.takeLast();
        if (isList(element.name))
            m_lists.removeLast();
        --m_openByName[element.name];
        m_keptDepth -= element.kept ? 1 : 0;
        m_keptTables -= element.kept && element.name == u"table" ? 1 : 0;
        return element;
    }

    // Closes the innermost open element in so many words, where Qt might
    // not close it on its own.
    void close()
    {
        const OpenElement element = pop();
        if (element.kept)
            insert(QStringLiteral("</%1>").arg(element.name));
    }

    void leaveOut(qsizetype from, qsizetype to, QStringView standIn)
    {
        copyTo(from);
        m_copied = to;
        m_changed = true;
        if (!standIn.isEmpty() && m_lineHasText) {
            m_out += standIn;
            if (standIn != u" ")
                m_lineHasText = false;
        }
    }

    void insert(const QString& text)
    {
        copyTo(m_tagStart);
        m_out += text;
        m_changed = true;
    }

    void copyTo(qsizetype at)
    {
        m_out += m_in.sliced(m_copied, at - m_copied);
        m_copied = at;
    }

    const QString& m_html;
    QStringView m_in;
    QString m_out;
    qsizetype m_copied = 0;
    qsizetype m_tagStart = 0;
    bool m_changed = false;
    QList<OpenElement> m_open;
    QHash<QString, int> m_openByName;
    // Where the lists among them stand.
    QList<qsizetype> m_lists;
    int m_keptDepth = 0;
    int m_keptTables = 0;
    // Whether text stands since the last line began, so that a line break
    // standing for an element left out never makes an empty line.
    bool m_lineHasText = false;
};

} // namespace

QString withBoundedMarkup(const QString& html)
{
    return NestingBound(html).run();
}

} // namespace ql::text
