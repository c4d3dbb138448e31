// Rich text from other programs: what a word processor's RTF says about its
// characters reaches the styled text; the rest is skipped without harm.
#include "content/text/RtfReader.h"

#include "platform/graphics/FontResolver.h"

#include <gtest/gtest.h>

using namespace ql;
using ql::text::attributedStringFromRtf;

namespace {

Font fontAt(const AttributedString& text, qsizetype index)
{
    return text.attributeAt(TextAttribute::font, index).value<Font>();
}

} // namespace

TEST(RtfReader, ReadsCharactersRunsAndParagraphs)
{
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0"
                           "{\\fonttbl{\\f0\\fswiss\\fcharset0 Helvetica;}{\\f1\\froman Times New Roman;}}"
                           "{\\colortbl;\\red255\\green0\\blue0;}"
                           "{\\*\\generator Writer 1.0;}{\\info{\\title Not text}}"
                           "\\f0\\fs24 Plain {\\b bold} \\i italic\\i0  {\\cf1 red}\\par\n"
                           "\\qc caf\\'e9 \\u8364?uro {\\ul under}\\line next\\tab end\\par}";
    const std::optional<AttributedString> text = attributedStringFromRtf(rtf);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->string(), QStringLiteral("Plain bold italic red\ncafé €uro under\u2028next\tend\n"));

    const qsizetype bold = text->string().indexOf(QStringLiteral("bold"));
    EXPECT_EQ(FontResolver::traits(fontAt(*text, bold)) & BoldTrait, BoldTrait);
    EXPECT_EQ(FontResolver::traits(fontAt(*text, 0)) & BoldTrait, 0);
    EXPECT_EQ(fontAt(*text, 0).pointSize(), 12.0);
    const qsizetype italic = text->string().indexOf(QStringLiteral("italic"));
    EXPECT_EQ(FontResolver::traits(fontAt(*text, italic)) & ItalicTrait, ItalicTrait);
    const qsizetype red = text->string().indexOf(QStringLiteral("red"));
    EXPECT_EQ(text->attributeAt(TextAttribute::foregroundColor, red).value<Color>().toQColor(), QColor(Qt::red));
    const qsizetype under = text->string().indexOf(QStringLiteral("under"));
    EXPECT_EQ(text->attributeAt(TextAttribute::underline, under).toInt(), 1);
    const qsizetype cafe = text->string().indexOf(QStringLiteral("café"));
    EXPECT_EQ(text->attributeAt(TextAttribute::paragraphStyle, cafe).value<ParagraphStyle>().alignment,
              ParagraphStyle::Alignment::Center);
}

TEST(RtfReader, RefusesOtherDataAndSurvivesBrokenInput)
{
    EXPECT_FALSE(attributedStringFromRtf("plain text"));
    EXPECT_FALSE(attributedStringFromRtf(""));
    // Cut off anywhere, the text read so far stays.
    EXPECT_EQ(attributedStringFromRtf("{\\rtf1 Hello \\b wor")->string(), QStringLiteral("Hello wor"));
    for (const QByteArray& broken : {QByteArray("{\\rtf1 \\'"), QByteArray("{\\rtf1 \\u"), QByteArray("{\\rtf1 \\fs-99999999999999 x}"),
                                     QByteArray("{\\rtf1 }}}}} after"), QByteArray("{\\rtf1 {\\fonttbl{\\f0 Unclosed")})
        EXPECT_TRUE(attributedStringFromRtf(broken)) << broken.constData();
    // Nesting far beyond any real document ends the reading, not the program.
    const QByteArray deep = "{\\rtf1 " + QByteArray(100000, '{') + "x";
    EXPECT_TRUE(attributedStringFromRtf(deep));
}

TEST(RtfReader, HalvesOfCharactersBecomeReplacementCharacters)
{
    // A lone high and a lone low surrogate, then a pair that stays whole.
    const std::optional<AttributedString> text =
        attributedStringFromRtf("{\\rtf1 a\\u-10240?b\\u-9216?c\\u-10179?\\u-8694?}");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->string(), QStringLiteral("a\uFFFDb\uFFFDc\U0001F60A"));
}

TEST(RtfReader, GroupsNestedPastTheBoundKeepTheirText)
{
    const auto nested = [](int depth, const QByteArray& inner, bool closed) {
        QByteArray rtf = "{\\rtf1 before ";
        for (int i = 0; i < depth; ++i)
            rtf += "{\\b ";
        rtf += inner;
        if (closed)
            rtf += QByteArray(depth, '}') + " after}";
        return rtf;
    };
    for (const int depth : {150, 201, 1000, 100000}) {
        // Past the bound, formatting and skipped groups still do what they
        // say inside, and nothing leaks out of them.
        const std::optional<AttributedString> text =
            attributedStringFromRtf(nested(depth, "{\\i{\\*\\generator hidden}deep}", true));
        ASSERT_TRUE(text) << depth;
        EXPECT_EQ(text->string(), QStringLiteral("before deep after")) << depth;
        const qsizetype deep = text->string().indexOf(QStringLiteral("deep"));
        EXPECT_EQ(FontResolver::traits(fontAt(*text, deep)) & BoldTrait, BoldTrait) << depth;
        const qsizetype after = text->string().indexOf(QStringLiteral("after"));
        EXPECT_EQ(FontResolver::traits(fontAt(*text, after)), 0) << depth;

        EXPECT_EQ(attributedStringFromRtf(nested(depth, "deep", false))->string(), QStringLiteral("before deep"))
            << depth;
    }
}

TEST(RtfReader, BinaryDataIsSkippedByItsCount)
{
    // The data's braces and words are no RTF: the document goes on after it.
    const QByteArray picture = "{\\rtf1\\ansi before {\\*\\shppict{\\pict\\pngblip\\bin12 }}}JUNKTEXT{{ }}} after LASTWORD}";
    EXPECT_EQ(attributedStringFromRtf(picture)->string(), QStringLiteral("before  after LASTWORD"));
    const QByteArray large = "{\\rtf1 a{\\pict\\bin1000001 " + QByteArray(1000001, '}') + "} b}";
    EXPECT_EQ(attributedStringFromRtf(large)->string(), QStringLiteral("a b"));
    // A count past the end takes what is left.
    EXPECT_EQ(attributedStringFromRtf("{\\rtf1 a{\\pict\\bin99999 }}} more")->string(), QStringLiteral("a"));
}

TEST(RtfReader, BinaryDataStandingInForAUnicodeCharacterCountsAsOneCharacter)
{
    // Its bytes, however many, are one stand-in: the text after it stays.
    EXPECT_EQ(attributedStringFromRtf("{\\rtf1 a\\u8364\\bin3 {}}b}")->string(), QStringLiteral("a\u20ACb"));
    EXPECT_EQ(attributedStringFromRtf("{\\rtf1\\uc2 a\\u8364\\bin1 ?Eb}")->string(), QStringLiteral("a\u20ACb"));
}
