// HTML dropped or pasted from elsewhere nested far deeper than any page, or
// flat with thousands of pictures or list items: every word reaches the
// styled text, past the bound in the formatting of the deepest element kept,
// and tables past theirs read as their text; pictures leave nothing; HTML
// within the bounds reads as it did.
#include "content/text/AttributedTextMapping.h"
#include "content/text/HtmlNesting.h"

#include <QRegularExpression>
#include <QTextBlock>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace ql;

namespace {

QStringList words(const QString& text)
{
    static const QRegularExpression blanks(QStringLiteral("[\\s\\x{2028}\\x{2029}]+"));
    return text.split(blanks, Qt::SkipEmptyParts);
}

QStringList numbered(int count)
{
    QStringList list;
    for (int i = 0; i < count; ++i)
        list += QStringLiteral("w%1").arg(i);
    return list;
}

// `count` levels opened by `open`, each holding its word, closed by `close`.
template <class Open>
QString nested(int count, Open open, const QString& close)
{
    QString html;
    for (int i = 0; i < count; ++i)
        html += open(i) + QStringLiteral("w%1 ").arg(i);
    return html + close.repeated(count);
}

double sizeOf(const AttributedString& text, int word)
{
    const qsizetype at = text.string().indexOf(QRegularExpression(QStringLiteral("\\bw%1\\b").arg(word)));
    return text.attributeAt(TextAttribute::font, at).value<Font>().pointSize();
}

// What Qt reads of `html`, with the formatting of each run.
QString reading(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    QString runs;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            runs += QStringLiteral("[%1|%2").arg(it.fragment().text()).arg(format.fontWeight());
            runs += format.fontItalic() ? QStringLiteral("i]") : QStringLiteral("]");
        }
        runs += QLatin1Char('\n');
    }
    return runs;
}

} // namespace

TEST(HtmlNesting, SpansNestedPastTheBoundKeepEveryWordInTheDeepestSizeKept)
{
    const int count = 100000;
    const AttributedString plain = text::attributedStringFromHtml(
        nested(count, [](int) { return QStringLiteral("<span>"); }, QStringLiteral("</span>")));
    EXPECT_EQ(words(plain.string()), numbered(count));

    const auto sizeAt = [](int level) { return 6.0 + level % 40; };
    const AttributedString sized = text::attributedStringFromHtml(nested(
        count, [&](int i) { return QStringLiteral("<span style=\"font-size:%1pt\">").arg(sizeAt(i)); },
        QStringLiteral("</span>")));
    EXPECT_EQ(words(sized.string()), numbered(count));
    // The levels read in their own sizes up to the bound, and the rest of the
    // text in the size of the deepest level kept.
    const int deepest = text::kMaxHtmlNesting - 1;
    EXPECT_EQ(sizeOf(sized, deepest - 1), sizeAt(deepest - 1));
    EXPECT_EQ(sizeOf(sized, deepest), sizeAt(deepest));
    EXPECT_EQ(sizeOf(sized, deepest + 1), sizeAt(deepest));
    EXPECT_EQ(sizeOf(sized, count - 1), sizeAt(deepest));
}

TEST(HtmlNesting, TablesNestedPastTheBoundReadAsTheirText)
{
    const int count = 20000;
    const QString html = nested(count, [](int) { return QStringLiteral("<div><table><tr><td>"); },
                                QStringLiteral("</td></tr></table></div>"));
    EXPECT_EQ(words(text::attributedStringFromHtml(html).string()), numbered(count));
    const QString bounded = text::withBoundedMarkup(html);
    EXPECT_EQ(bounded.count(QStringLiteral("<table>")), text::kMaxHtmlTableNesting);
    EXPECT_EQ(bounded.count(QStringLiteral("</table>")), text::kMaxHtmlTableNesting);
    // Cells and rows left out still part their words.
    const int levels = text::kMaxHtmlTableNesting + 2;
    const QString cells = QStringLiteral("<table><tr><td>a</td><td>b</td></tr><tr><td>c").repeated(levels);
    QStringList abc;
    for (int i = 0; i < levels; ++i)
        abc += {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    EXPECT_EQ(words(text::attributedStringFromHtml(cells).string()), abc);
}

TEST(HtmlNesting, MarkupWithinTheBoundsReadsAsItDid)
{
    // Tidy markup comes back as it was, but for its pictures.
    const QString picture = QStringLiteral("<img src=x alt='<i>'>");
    const QString tidy = QStringLiteral(
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><style>p > b { color: red }</style></head><body>"
        "<p title=\"a > b\">one <b>two<br/></b>%1</p><!-- <div> --><table><tr><td>three</td>"
        "</tr></table><ul><li>four</li></ul></body></html>");
    EXPECT_EQ(text::withBoundedMarkup(tidy.arg(picture)), tidy.arg(QString()));

    // Markup that leaves Qt to close elements reads the same once they are
    // closed in so many words.
    for (const QString& html :
         {QStringLiteral("<p><b>one<p>two<p><i>three</b>four"), QStringLiteral("<ul><li>one<li><i>two</ul>three"),
          QStringLiteral("<td>one<td><b>two<tr><td>three</table>four"), QStringLiteral("<b>one<i>two</b>three</i>"),
          QStringLiteral("<dl><dt>one<dd><b>two<dt>three</dl>"), QStringLiteral("<i>one<span/>two</span>three</i>four"),
          QStringLiteral("<i>one < b >two</ i><table><tbody><b>three<tr><td>four</i>"),
          QStringLiteral("<head><title>t</title><body><b>one</body>two"), QStringLiteral("<th>one<tr>two<b>three"),
          QStringLiteral("<b>one<th>two</tr>three"), QStringLiteral("<dt>one<dd>two</dt>three")}) {
        EXPECT_EQ(reading(text::withBoundedMarkup(html)), reading(html)) << html.toStdString();
    }
}

TEST(HtmlNesting, FlatPicturesAndListItemsKeepTheirWordsAndLeaveNoStandIns)
{
    // A paragraph of pictures none of which loads, and one long list.
    const int count = 20000;
    const QString pictures =
        nested(count, [](int i) { return QStringLiteral("<img src=\"missing%1.png\">").arg(i); }, QString());
    const QString text = text::attributedStringFromHtml(pictures).string();
    EXPECT_EQ(words(text), numbered(count));
    EXPECT_FALSE(text.contains(QChar::ObjectReplacementCharacter));
    EXPECT_EQ(text::attributedStringFromHtml(QStringLiteral("<p>one <img src=\"gone.png\">two</p>")).string(),
              QStringLiteral("one two"));

    const QString items = nested(count, [](int) { return QStringLiteral("<li>"); }, QString());
    const QString list = QStringLiteral("<ol><li><b>bold</b>") + items + QStringLiteral("</ol>after");
    QStringList lines = text::attributedStringFromHtml(list).string().split(QLatin1Char('\n'));
    for (QString& line : lines)
        line = line.trimmed();
    EXPECT_EQ(lines, QStringList {QStringLiteral("bold")} + numbered(count) + QStringList {QStringLiteral("after")});
}
