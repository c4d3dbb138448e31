#include "TextTestSupport.h"

#include "content/text/FlowLayout.h"
#include "content/text/TextEditor.h"
#include "platform/graphics/FontResolver.h"

#include <QDebug>
#include <utility>

#include <gtest/gtest.h>

namespace {

ql::ParagraphStyle styleAt(const TextBox& box, int position)
{
    return box.at(position).value(A::paragraphStyle).value<ql::ParagraphStyle>();
}

// Plain, bold underlined and spaced, and serif words, over several boxes.
ql::AttributedString mixedText()
{
    ql::TextAttributes bold = fontAttributes(QStringLiteral("Helvetica-Bold"), 12);
    bold.insert(A::underline, 1);
    bold.insert(A::kern, 2.0);
    ql::AttributedString text;
    for (int i = 0; i < 12; ++i) {
        text.append(QStringLiteral("plain words here "), fontAttributes(QStringLiteral("Helvetica"), 12));
        text.append(QStringLiteral("bold underlined "), bold);
        text.append(QStringLiteral("serif text\n"), fontAttributes(QStringLiteral("Times-Roman"), 14));
    }
    return text;
}

// What the inspector shows of a text box.
QString settingsOf(const ZVTextView& text)
{
    const ql::Font font = text.currentFont().value<ql::Font>();
    QString shown;
    QDebug(&shown) << font.postScriptName() << font.pointSize() << text.currentFontFamilyName()
                   << text.currentFontSize() << text.currentFontTypeFaceIndex() << text.currentEmphasis()
                   << text.currentLetterSpacing() << text.currentJustification() << text.strokeEnabled();
    return shown;
}

// A chain of linked boxes, one a page, holding mixedText(); the first is edited.
struct Chain {
    TestDocument document;
    QList<ZVTextView*> boxes;

    explicit Chain(int count)
    {
        for (int i = 0; i < count; ++i) {
            ZVPuttyView* element = ZVPuttyView::initWithText().release();
            document.addPage()->addPuttyView(element);
            element->setFrame(QRectF(100, 100, 300, 200));
            boxes.append(qobject_cast<ZVTextView*>(element->contentView()));
            if (i > 0)
                boxes.last()->joinTextChain(boxes.first(), i);
        }
        boxes.first()->setAttributedString(mixedText());
        boxes.first()->setEditMode(true);
    }
};

} // namespace

// In a chain the selection is every box's, the edited box reads back what
// one box holding the text would, the others the whole text as a box that
// is not edited does; and however long the chain, reading back walks the
// text as often at each change of the selection or of the text.
TEST(TextViewAttributes, AChainReadsTheSelectionBackAsOneBoxDoes)
{
    TextBox single;
    single.text->setAttributedString(mixedText());
    TextBox notEdited;
    notEdited.text->setAttributedString(mixedText());
    notEdited.text->getCurrentFont(false);
    single.text->setEditMode(true);
    Chain chain(3);
    ZVTextView* first = chain.boxes.first();
    const int secondStarts = first->layoutManager()->characterRangeForTextContainer(1).location;
    ASSERT_GT(secondStarts, 40);
    ASSERT_GT(first->layoutManager()->characterRangeForTextContainer(2).length, 0);
    using Range = ZVTextView::Range;
    for (const Range range : {Range {5, 0}, Range {20, 0}, Range {secondStarts - 25, 50}, Range {secondStarts - 4, 8},
                              Range {0, first->textLength()}}) {
        single.text->setSelectedRange(range);
        first->setSelectedRange(range);
        for (const ZVTextView* box : chain.boxes)
            EXPECT_EQ(box->selectedRange(), range) << range.location;
        EXPECT_EQ(settingsOf(*first), settingsOf(*single.text)) << range.location << '+' << range.length;
        EXPECT_EQ(settingsOf(*chain.boxes.last()), settingsOf(*notEdited.text)) << range.location;
    }

    const auto walks = [](int boxes) {
        Chain chain(boxes);
        ZVTextView* first = chain.boxes.first();
        const ql::text::TextStorage& storage = *first->textStorage();
        QList<qint64> walked;
        auto step = [&, before = storage.rangesRead()]() mutable {
            walked.append(storage.rangesRead() - std::exchange(before, storage.rangesRead()));
        };
        first->setSelectedRange({5, 0});
        step();
        first->setSelectedRange({6, 0});
        step();
        first->setSelectedRange({10, 200});
        step();
        first->editor()->insertText(QStringLiteral("x"));
        step();
        return walked;
    };
    EXPECT_EQ(walks(2), walks(6)) << "caret placed, moved, a selection, a typed letter";
}

TEST(TextViewAttributes, ReadingBackAnEmptyBoxGivesDefaults)
{
    TextBox box;
    box.text->setValueForKey(u"currentLetterSpacing", 3.0);
    box.text->setValueForKey(u"currentLineSpacing", 2.0);
    box.text->setValueForKey(u"strokeEnabled", true);
    EXPECT_FALSE(box.text->getCurrentFont(true).isValid());
    EXPECT_FALSE(box.text->strokeEnabled());
    EXPECT_EQ(box.text->currentLetterSpacing().toDouble(), 0.0);
    EXPECT_EQ(box.text->currentLineSpacing().toDouble(), 1.0);
    EXPECT_EQ(box.text->currentParagraphIndent().toDouble(), 0.0);
    EXPECT_FALSE(box.text->allowHyphenation());
}

TEST(TextViewAttributes, FontsFamiliesAndSizesReachTheRangeAndReadBack)
{
    TextBox box;
    ql::AttributedString text(QStringLiteral("Hello "), fontAttributes(QStringLiteral("Helvetica"), 12));
    text.append(QStringLiteral("world"), fontAttributes(QStringLiteral("Times-Bold"), 20));
    box.text->setAttributedString(text);
    box.text->setEditMode(true);

    // One font read back as family, size and face index; "Helvetica" is found
    // in its family although the family lists the face by its own name.
    box.text->setSelectedRange({0, 3});
    EXPECT_EQ(box.text->currentFont().value<ql::Font>().postScriptName(), QStringLiteral("Helvetica"));
    EXPECT_EQ(box.text->currentFontSize().toDouble(), 12.0);
    EXPECT_EQ(box.text->currentFontFamilyName(), QStringLiteral("Nimbus Sans"));
    EXPECT_EQ(box.text->typeFaceFonts().value(int(box.text->currentFontTypeFaceIndex())), QStringLiteral("NimbusSans-Regular"));
    EXPECT_EQ(box.text->fontTypeFaces(), box.text->typeFaces());

    // Two fonts: no font, family, size and index stay.
    box.text->setSelectedRange({4, 4});
    EXPECT_FALSE(box.text->currentFont().isValid());
    EXPECT_EQ(box.text->currentFontSize().toDouble(), 12.0);
    EXPECT_EQ(box.text->currentFontFamilyName(), QStringLiteral("Nimbus Sans"));

    // Size and face apply to the selection only.
    box.text->setValueForKey(u"currentFontSize", 15.5);
    EXPECT_EQ(box.fontAt(3).pointSize(), 12.0);
    EXPECT_EQ(box.fontAt(4).pointSize(), 15.5);
    EXPECT_EQ(box.fontAt(7).postScriptName(), QStringLiteral("Times-Bold"));
    EXPECT_EQ(box.fontAt(7).pointSize(), 15.5);
    box.text->setValueForKey(u"currentFontFamilyName", QStringLiteral("Liberation Serif"));
    EXPECT_EQ(box.fontAt(4).postScriptName(), box.text->typeFaceFonts().value(int(box.text->currentFontTypeFaceIndex())));
    EXPECT_TRUE(box.fontAt(4).postScriptName().startsWith(QStringLiteral("LiberationSerif")));
    EXPECT_EQ(box.text->typingAttributes().value(A::font).value<ql::Font>(), box.fontAt(4));

    // A family no face belongs to leaves the font.
    const ql::Font before = box.fontAt(4);
    box.text->setValueForKey(u"currentFontFamilyName", QStringLiteral("No Such Family"));
    EXPECT_EQ(box.fontAt(4), before);
}

TEST(TextViewAttributes, ASizeThatLeavesOneFontReadsItsFaceBack)
{
    TextBox box;
    ql::AttributedString text(QStringLiteral("small "), fontAttributes(QStringLiteral("Helvetica"), 12));
    text.append(QStringLiteral("large "), fontAttributes(QStringLiteral("Helvetica"), 20));
    text.append(QStringLiteral("bold"), fontAttributes(QStringLiteral("Helvetica-Bold"), 20));
    box.text->setAttributedString(text);
    box.text->setEditMode(true);
    box.text->setSelectedRange({12, 4});
    // Two sizes of one face: the settings keep the bold face last read.
    box.text->setSelectedRange({0, 12});
    ASSERT_FALSE(box.text->currentFont().isValid());

    // One size makes them one font: its face is read back.
    box.text->setValueForKey(u"currentFontSize", 16.0);
    EXPECT_EQ(box.text->currentFont().value<ql::Font>(), ql::Font(QStringLiteral("Helvetica"), 16));
    EXPECT_EQ(box.text->typeFaceFonts().value(int(box.text->currentFontTypeFaceIndex())),
              QStringLiteral("NimbusSans-Regular"));
    EXPECT_EQ(box.text->currentFontSize().toDouble(), 16.0);
}

TEST(TextViewAttributes, ParagraphSettingsCoverTheWholeText)
{
    TextBox box;
    box.text->setString(QStringLiteral("one two\nthree"));
    box.text->setEditMode(true);
    box.text->setSelectedRange({4, 3});
    box.text->setValueForKey(u"currentLineSpacing", 1.5);
    box.text->setValueForKey(u"allowHyphenation", true);
    for (int position : {0, 7, 12}) {
        EXPECT_FLOAT_EQ(float(styleAt(box, position).lineHeightMultiple), 1.5f);
        EXPECT_EQ(styleAt(box, position).hyphenationFactor, 1.0);
        EXPECT_EQ(styleAt(box, position).tabStops, QList<double> {});
    }
    box.text->setSelectedRange({0, 0});
    box.text->setSelectedRange({9, 2});
    EXPECT_FLOAT_EQ(box.text->currentLineSpacing().toFloat(), 1.5f);
    EXPECT_TRUE(box.text->allowHyphenation());
}

TEST(TextViewAttributes, EmphasisTogglesByTraitBits)
{
    TextBox box;
    box.text->setAttributedString(
        ql::AttributedString(QStringLiteral("Text"), fontAttributes(QStringLiteral("Helvetica-BoldOblique"), 14)));
    box.text->setEditMode(true);
    box.text->setSelectedRange({0, 4});
    EXPECT_EQ(box.text->currentEmphasis(), (QVariantList {1, 0}));
    // Bold off on bold-italic keeps italic; typing continues in the plain face.
    box.text->setEmphasis(ZVTextView::BoldEmphasis);
    EXPECT_EQ(box.fontAt(0).postScriptName(), QStringLiteral("NimbusSans-Italic"));
    EXPECT_EQ(box.text->currentEmphasis(), (QVariantList {1}));
    EXPECT_EQ(box.text->typingAttributes().value(A::font).value<ql::Font>(),
              ql::Font(QStringLiteral("NimbusSans-Regular"), 14));

    // Bold on a narrow oblique face is bold (the width bit does not hide it)
    // and toggles off again.
    box.text->setAttributedString(
        ql::AttributedString(QStringLiteral("Text"), fontAttributes(QStringLiteral("NimbusSansNarrow-Oblique"), 14)));
    box.text->setSelectedRange({0, 4});
    box.text->setEmphasis(ZVTextView::BoldEmphasis);
    EXPECT_EQ(box.fontAt(0).postScriptName(), QStringLiteral("NimbusSansNarrow-BoldOblique"));
    EXPECT_EQ(box.text->currentEmphasis(), (QVariantList {1, 0}));
    box.text->setEmphasis(ZVTextView::BoldEmphasis);
    EXPECT_EQ(box.fontAt(0).postScriptName(), QStringLiteral("NimbusSansNarrow-Oblique"));

    box.text->setEmphasis(ZVTextView::UnderlineEmphasis);
    box.text->setEmphasis(ZVTextView::StrikethroughEmphasis);
    EXPECT_EQ(box.at(2).value(A::underline), QVariant(1));
    EXPECT_EQ(box.text->currentEmphasis(), (QVariantList {1, 2, 3}));
    box.text->setEmphasis(ZVTextView::UnderlineEmphasis);
    EXPECT_FALSE(box.at(2).contains(A::underline));
}

TEST(TextViewAttributes, OutlinesColoursAndJustification)
{
    TextBox box;
    box.text->setString(QStringLiteral("Hello world"));
    box.text->setValueForKey(u"strokeEnabled", true);
    EXPECT_EQ(box.at(3).value(A::strokeWidth).toDouble(), -2.0);
    box.text->setValueForKey(u"strokeEnabled", false);
    box.text->setValueForKey(u"strokeEnabled", true);
    box.text->setEditMode(true);
    box.text->setSelectedRange({2, 0});
    box.text->setSelectedRange({0, 5});
    EXPECT_TRUE(box.text->strokeEnabled());
    EXPECT_EQ(box.text->strokeWidth().toDouble(), 2.0);

    // The typing colour follows only with the caret at the end.
    box.text->setSelectedRange({3, 0});
    box.text->setTextColor(ql::Color::deviceRgb(0, 1, 0));
    EXPECT_NE(box.text->typingAttributes().value(A::foregroundColor).value<ql::Color>(), ql::Color::deviceRgb(0, 1, 0));
    box.text->setSelectedRange({11, 0});
    box.text->setTextColor(ql::Color::deviceRgb(0, 1, 0));
    EXPECT_EQ(box.text->typingAttributes().value(A::foregroundColor).value<ql::Color>(), ql::Color::deviceRgb(0, 1, 0));
    box.text->setSelectedRange({6, 5});
    box.text->setHighlightColor(ql::Color::deviceRgb(1, 1, 0));
    EXPECT_EQ(box.at(7).value(A::backgroundColor).value<ql::Color>(), ql::Color::deviceRgb(1, 1, 0));
    EXPECT_FALSE(box.at(2).contains(A::backgroundColor));

    box.text->setJustification(ZVTextView::CenterJustification);
    EXPECT_EQ(styleAt(box, 0).alignment, ql::ParagraphStyle::Alignment::Center);
    EXPECT_EQ(box.text->currentJustification(), QVariant(1));
    // Natural alignment reads back as no change.
    ql::ParagraphStyle natural;
    box.text->textStorage()->setAttributedString(
        ql::AttributedString(QStringLiteral("x"), {{A::paragraphStyle, QVariant::fromValue(natural)}}));
    box.text->findCurrentJustification();
    EXPECT_EQ(box.text->currentJustification(), QVariant(1));
    EXPECT_EQ(ZVTextView::alignmentFromJustification(2), int(ql::ParagraphStyle::Alignment::Right));
    EXPECT_EQ(ZVTextView::alignmentFromJustification(7), int(ql::ParagraphStyle::Alignment::Left));
}
