// HTML from other programs names its fonts wherever CSS and HTML allow; each
// way reaches the styled text as its installed family, and a text naming
// more missing families than the bound shows the rest in the default family.
#include "content/text/AttributedTextMapping.h"

#include "platform/graphics/FontResolver.h"

#include <gtest/gtest.h>

using namespace ql;

namespace {

Font fontOf(const AttributedString& text, const QString& word)
{
    const qsizetype at = text.string().indexOf(word);
    return at < 0 ? Font() : text.attributeAt(TextAttribute::font, at).value<Font>();
}

} // namespace

TEST(HtmlFontFamilies, EveryWayOfNamingAFontReachesTheTextAndMissingOnesPastTheBoundShowInTheDefault)
{
    QString html = QStringLiteral(
        "<html><head><style>/* sheet */ p.sheet { color: red; font-family: 'Liberation Serif', serif }</style></head>"
        "<body><p class=sheet>sheet</p><p><font face=\"Liberation Mono, monospace\">faced</font> "
        "<span style=\"font-family:&quot;Liberation Sans&quot;; font-weight:bold\">quoted</span> "
        "<span style='font: italic 14pt \"Liberation Serif\", serif'>shorthand</span> "
        "<span style=\"FONT-FAMILY: Liberation Mono !important\">important</span> ");
    for (int i = 0; i < 600; ++i)
        html += QStringLiteral("<span style=\"font-family:'Unheard Family %1'\">u%1 </span>").arg(i);
    html += QStringLiteral("<span style=\"font-family:'Century Schoolbook'\">aliased</span> "
                           "<span style=\"font-family:'Liberation Mono'\">installed</span></p></body></html>");

    const AttributedString text = text::attributedStringFromHtml(html);
    EXPECT_EQ(fontOf(text, QStringLiteral("sheet")).postScriptName(), QStringLiteral("LiberationSerif"));
    EXPECT_EQ(fontOf(text, QStringLiteral("faced")).postScriptName(), QStringLiteral("LiberationMono"));
    EXPECT_EQ(fontOf(text, QStringLiteral("quoted")).postScriptName(), QStringLiteral("LiberationSans-Bold"));
    EXPECT_EQ(fontOf(text, QStringLiteral("shorthand")).postScriptName(), QStringLiteral("LiberationSerif-Italic"));
    EXPECT_EQ(fontOf(text, QStringLiteral("shorthand")).pointSize(), 14.0);
    EXPECT_EQ(fontOf(text, QStringLiteral("important")).postScriptName(), QStringLiteral("LiberationMono"));
    EXPECT_TRUE(text.string().contains(QStringLiteral("u0 u1 ")));
    EXPECT_TRUE(text.string().contains(QStringLiteral("u599 ")));
    // Past the bound, a family the font configuration would stand in for
    // shows in the default family; installed ones keep theirs.
    EXPECT_EQ(fontOf(text, QStringLiteral("aliased")).postScriptName(), QStringLiteral("NimbusSans-Regular"));
    EXPECT_EQ(fontOf(text, QStringLiteral("installed")).postScriptName(), QStringLiteral("LiberationMono"));
}
