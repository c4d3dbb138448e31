#include "content/text/AttributedTextMapping.h"
#include "content/text/TextRuns.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <gtest/gtest.h>

using namespace ql;
using namespace ql::text;
namespace A = ql::TextAttribute;

namespace {

TextAttributes styled(const QString& font, double size)
{
    return {{A::font, QVariant::fromValue(Font(font, size))}};
}

AttributedString roundTrip(const AttributedString& text)
{
    QTextDocument document;
    setAttributedString(document, text);
    return attributedString(document);
}

} // namespace

TEST(AttributedTextMapping, EveryAttributeAndSeparatorComesBackAsStored)
{
    ParagraphStyle centred;
    centred.alignment = ParagraphStyle::Alignment::Center;
    centred.lineHeightMultiple = 1.5;
    centred.tabStops = QList<double> {};
    TextAttributes first = styled(QStringLiteral("Helvetica-Bold"), 14.5);
    first.insert(A::foregroundColor, QVariant::fromValue(Color::deviceCmyk(0.1, 0.2, 0.3, 0.4, 0.5)));
    first.insert(A::paragraphStyle, QVariant::fromValue(centred));
    first.insert(A::kern, 1.25);
    first.insert(QStringLiteral("NSShadow"), QStringLiteral("kept as it is"));
    TextAttributes second = styled(QStringLiteral("NoSuchFont-Regular"), 9);
    second.insert(A::strokeWidth, -3.0);
    second.insert(A::strokeColor, QVariant::fromValue(Color::calibratedRgb(1, 0, 0)));
    second.insert(A::underline, 1);
    second.insert(A::link, QStringLiteral("https://example.org"));
    TextAttributes separator = styled(QStringLiteral("Courier"), 30);

    AttributedString text;
    text.append(QStringLiteral("One"), first);
    text.append(QStringLiteral("\r\n"), separator);
    text.append(QStringLiteral("two\u2028lines"), second);
    text.append(QStringLiteral("\r"), second);
    text.append(QStringLiteral("\u2029"), first);
    text.append(QStringLiteral("\n"), separator);
    text.append(QStringLiteral("last"), first);
    text.append(QStringLiteral("\n"), second);
    EXPECT_EQ(roundTrip(text), text);

    QTextDocument document;
    setAttributedString(document, text);
    // "\r\n" is one paragraph end; the line separator stays inside its paragraph.
    EXPECT_EQ(document.blockCount(), 6);
    EXPECT_EQ(textLength(document), text.length() - 1);
    EXPECT_EQ(plainText(document), text.string());
    EXPECT_EQ(paragraphStyle(document.begin()), centred);
    // The empty paragraphs take their style from their own separator.
    EXPECT_EQ(attributesAt(document, 3 + 1 + 9), second);
    EXPECT_EQ(emptyBlockAttributes(document.lastBlock()), second);
}

TEST(AttributedTextMapping, EmptyAndPlainTexts)
{
    EXPECT_EQ(roundTrip(AttributedString()), AttributedString());
    const AttributedString bare(QStringLiteral("no attributes\nat all"));
    EXPECT_EQ(roundTrip(bare), bare);
    const AttributedString trailing(QStringLiteral("ends\n\n"), styled(QStringLiteral("Helvetica"), 12));
    EXPECT_EQ(roundTrip(trailing), trailing);
}

TEST(AttributedTextMapping, FormatsDrawWhatTheAttributesSay)
{
    TextAttributes outline = styled(QStringLiteral("Helvetica"), 20);
    outline.insert(A::strokeWidth, 2.0);
    outline.insert(A::foregroundColor, QVariant::fromValue(Color::calibratedRgb(0, 0, 1)));
    QTextCharFormat format = charFormat(outline);
    // Positive stroke widths outline only, at a percentage of the size.
    EXPECT_EQ(format.foreground().color().alpha(), 0);
    EXPECT_DOUBLE_EQ(format.textOutline().widthF(), 0.4);
    EXPECT_EQ(format.textOutline().color(), QColor(Qt::blue));
    outline.insert(A::strokeWidth, -2.0);
    format = charFormat(outline);
    EXPECT_EQ(format.foreground().color(), QColor(Qt::blue));
    EXPECT_DOUBLE_EQ(format.fontPointSize(), 20.0);

    // A font size no layout could use draws at a safe size; the stored value stays.
    const TextAttributes broken = styled(QStringLiteral("Helvetica"), std::numeric_limits<double>::quiet_NaN());
    format = charFormat(broken);
    EXPECT_DOUBLE_EQ(format.fontPointSize(), 12.0);
    EXPECT_TRUE(std::isnan(attributes(format).value(A::font).value<Font>().pointSize()));
}

TEST(AttributedTextMapping, TextFromElsewhereGetsAttributesFromItsFormats)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertFragment(QTextDocumentFragment::fromHtml(
        QStringLiteral("<p><b>Bold</b> <u>under</u></p><p><span style='background:#ff0000'>red</span></p>")));
    const AttributedString text = attributedString(document);
    EXPECT_EQ(text.string(), QStringLiteral("Bold under\nred"));
    EXPECT_TRUE(text.attributesAt(0).value(A::font).value<Font>().postScriptName().contains(QStringLiteral("Bold")));
    EXPECT_EQ(text.attributesAt(5).value(A::underline), QVariant(1));
    EXPECT_EQ(text.attributesAt(11).value(A::backgroundColor).value<Color>().toQColor(), QColor(Qt::red));
}

TEST(AttributedTextMapping, RangeEditsKeepTheRestAndFollowParagraphs)
{
    QTextDocument document;
    setAttributedString(document, AttributedString(QStringLiteral("ab\ncd"), styled(QStringLiteral("Helvetica"), 12)));
    ParagraphStyle loose;
    loose.lineSpacing = 4;
    // The separator is part of the range: its paragraph takes the style.
    EXPECT_TRUE(addAttribute(document, A::paragraphStyle, QVariant::fromValue(loose), 0, 3));
    EXPECT_EQ(paragraphStyle(document.begin()), loose);
    EXPECT_FALSE(paragraphStyle(document.lastBlock()).has_value());
    EXPECT_EQ(attributesAt(document, 2).value(A::paragraphStyle).value<ParagraphStyle>(), loose);
    EXPECT_FALSE(addAttribute(document, A::paragraphStyle, QVariant::fromValue(loose), 0, 3));

    const QList<AttributeRun> before = attributeRuns(document, 0, 5);
    EXPECT_TRUE(addAttribute(document, A::kern, 2.0, 1, 3));
    const QList<ValueRun> kerns = valueRuns(document, A::kern, 0, 5);
    ASSERT_EQ(kerns.size(), 3);
    EXPECT_EQ(kerns[1].start, 1);
    EXPECT_EQ(kerns[1].length, 3);
    setAttributeRuns(document, before);
    EXPECT_EQ(attributeRuns(document, 0, 5).size(), before.size());
    EXPECT_TRUE(valueRuns(document, A::kern, 0, 5).size() == 1);
}
