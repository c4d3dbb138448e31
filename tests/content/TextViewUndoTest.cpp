#include "TextTestSupport.h"

#include "platform/graphics/Gradient.h"

#include <gtest/gtest.h>

TEST(TextViewUndo, UndoPutsBackTheRangeItChangedNotTheSelectionOfTheMoment)
{
    TextBox box;
    box.text->setString(QStringLiteral("alpha beta"));
    box.text->setEditMode(true);
    box.text->setSelectedRange({0, 5});
    box.text->setValueForKey(u"currentFontSize", 18);
    EXPECT_EQ(box.steps(), 1);
    box.document.undo.undo();
    EXPECT_EQ(box.text->currentFontSize().toInt(), 12);
    EXPECT_EQ(box.fontAt(0).pointSize(), 12.0);
    box.document.undo.redo();
    EXPECT_EQ(box.text->currentFontSize().toInt(), 18);
    EXPECT_EQ(box.fontAt(0).pointSize(), 18.0);

    // With another word selected since, undo still restores the first word only.
    box.text->setSelectedRange({6, 4});
    box.document.undo.undo();
    EXPECT_EQ(box.fontAt(0).pointSize(), 12.0);
    EXPECT_EQ(box.fontAt(7).pointSize(), 12.0);
    box.document.undo.redo();
    EXPECT_EQ(box.fontAt(0).pointSize(), 18.0);
    EXPECT_EQ(box.fontAt(7).pointSize(), 12.0);
}

TEST(TextViewUndo, AnAddedGradientUndoesToNone)
{
    TextBox box;
    box.text->setValueForKey(u"gradient", QVariant::fromValue(ql::Gradient(QList<ql::Color> {ql::Color::white(), ql::Color::black()})));
    EXPECT_EQ(box.steps(), 1);
    box.document.undo.undo();
    EXPECT_FALSE(box.text->gradient().isValid());
    box.document.undo.redo();
    EXPECT_TRUE(box.text->gradient().isValid());
}

TEST(TextViewUndo, CommandsAndTheirKeyPathStepsUndoAsOne)
{
    TextBox box;
    box.text->setString(QStringLiteral("bright"));
    box.text->setHighlightColor(ql::Color::deviceRgb(1, 1, 0));
    box.text->setTextColor(ql::Color::deviceRgb(1, 0, 0));
    EXPECT_EQ(box.steps(), 1);
    box.document.undo.undo();
    EXPECT_FALSE(box.at(2).contains(A::backgroundColor));
    EXPECT_FALSE(box.at(2).contains(A::foregroundColor));
    EXPECT_EQ(box.text->currentHighlightColor().value<ql::Color>(), ql::Color::clear());
    box.document.undo.redo();
    EXPECT_EQ(box.at(2).value(A::backgroundColor).value<ql::Color>(), ql::Color::deviceRgb(1, 1, 0));
    EXPECT_EQ(box.at(2).value(A::foregroundColor).value<ql::Color>(), ql::Color::deviceRgb(1, 0, 0));

    box.text->setJustification(ZVTextView::RightJustification);
    box.text->setEmphasis(ZVTextView::UnderlineEmphasis);
    EXPECT_EQ(box.steps(), 2);
    box.document.undo.undo();
    EXPECT_FALSE(box.at(0).contains(A::underline));
    EXPECT_EQ(box.text->currentJustification(), QVariant(0));
    EXPECT_NE(box.at(0).value(A::paragraphStyle).value<ql::ParagraphStyle>().alignment, ql::ParagraphStyle::Alignment::Right);
}

TEST(TextViewUndo, ReadBackAndUnchangedValuesRecordNothingAndStepsStayWithTheirDocument)
{
    TextBox box;
    TextBox other;
    box.text->setString(QStringLiteral("some text"));
    box.text->setEditMode(true);
    box.text->setSelectedRange({0, 4});
    box.text->setSelectedRange({5, 4});
    box.text->getCurrentFont(true);
    EXPECT_EQ(box.steps(), 0);
    box.text->setValueForKey(u"currentFontSize", 12);
    box.text->setValueForKey(u"strokeColor", QVariant::fromValue(ql::Color::black()));
    box.text->setValueForKey(u"tiledImage", QVariant::fromValue(ql::Image()));
    EXPECT_EQ(box.steps(), 0);
    box.text->setValueForKey(u"currentLetterSpacing", 2.5);
    EXPECT_EQ(box.steps(), 1);
    EXPECT_EQ(other.steps(), 0);

    // The same value over text that did not have it yet is a change.
    box.text->setSelectedRange({0, 4});
    box.text->setValueForKey(u"currentLetterSpacing", 2.5);
    EXPECT_EQ(box.steps(), 2);
    EXPECT_EQ(box.at(1).value(A::kern).toDouble(), 2.5);

    // A box on no page records nowhere.
    ZVTextView loose;
    loose.setValueForKey(u"currentFontSize", 30);
    EXPECT_EQ(box.steps(), 2);
}

TEST(TextViewUndo, InsetsApplyAndUndoWithTheContainer)
{
    TextBox box;
    const QSizeF before = box.text->textContainer()->containerSize();
    box.text->setValueForKey(u"currentHorizontalInsetMargins", 25);
    EXPECT_EQ(box.text->textContainer()->containerSize().width(), before.width() - 40);
    box.document.undo.undo();
    EXPECT_EQ(box.text->textContainer()->containerSize(), before);
}
