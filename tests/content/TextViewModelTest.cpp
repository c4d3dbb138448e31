#include "TextTestSupport.h"

#include "content/text/FlowLayout.h"
#include "platform/runtime/NotificationCenter.h"

#include <gtest/gtest.h>

TEST(TextViewModel, ANewViewHoldsTheInitialDefaults)
{
    ZVTextView view;
    EXPECT_EQ(view.textViewType(), QVariant(0));
    EXPECT_FALSE(view.strokeEnabled());
    EXPECT_EQ(view.strokeWidth(), QVariant(2));
    EXPECT_EQ(view.strokeColor().value<ql::Color>(), ql::Color::calibratedRgb(1, 0, 0));
    EXPECT_EQ(view.currentLetterSpacing(), QVariant(0.0));
    EXPECT_EQ(view.currentLineSpacing(), QVariant(1.0));
    EXPECT_EQ(view.currentLineHeight(), QVariant(0.0));
    EXPECT_EQ(view.currentParagraphSpacing(), QVariant(0.0));
    EXPECT_EQ(view.currentVerticalInsetMargins().toInt(), 5);
    EXPECT_EQ(view.currentHorizontalInsetMargins().toInt(), 5);
    EXPECT_EQ(view.currentHighlightColor().value<ql::Color>(), ql::Color::clear());
    EXPECT_TRUE(view.currentEmphasis().isEmpty());
    EXPECT_EQ(view.currentJustification(), QVariant(0));
    EXPECT_FALSE(view.currentFont().isValid());
    EXPECT_EQ(view.currentFontFamilyName(), QStringLiteral("Helvetica"));
    EXPECT_EQ(view.currentFontSize(), QVariant(12));
    EXPECT_EQ(view.pageNumberFormat(), QStringLiteral("Page <NUM> of <COUNT>"));
    EXPECT_EQ(view.dateFormat(), QStringLiteral("MMMM d, yyyy"));
    EXPECT_EQ(view.startPage(), QVariant(1));
    EXPECT_FALSE(view.allowHyphenation());
    EXPECT_FALSE(view.effectsEnabled());
    // Neither selectable nor editable until it is edited; observing its 32 paths.
    EXPECT_FALSE(view.isSelectable());
    EXPECT_FALSE(view.isEditable());
    EXPECT_TRUE(view.isObserving());
    EXPECT_EQ(ZVTextView::observingKeyPaths().size(), 32);
    EXPECT_EQ(ZVTextView::undoableKeyPaths().size(), 19);
    EXPECT_EQ(view.textContainer()->lineFragmentPadding(), 0.0);
    EXPECT_TRUE(view.textContainer()->widthTracksTextView());
}

TEST(TextViewModel, TheViewFollowsItsElementAndTheContainerItsInsets)
{
    TextBox box;
    // Whatever rectangle it is given, the view is the element less 80.
    box.text->setFrame(QRectF(40, 40, 10, 10));
    EXPECT_EQ(box.text->frame(), QRectF(40, 40, 300, 200));
    EXPECT_EQ(box.text->textContainer()->containerSize(), QSizeF(290, 190));

    box.text->setValueForKey(u"currentHorizontalInsetMargins", 20);
    box.text->setValueForKey(u"currentVerticalInsetMargins", 7.5);
    EXPECT_EQ(box.text->textContainerInset(), QSizeF(20, 7.5));
    EXPECT_EQ(box.text->textContainer()->containerSize(), QSizeF(260, 185));
    // Insets larger than the box leave an empty container, not a negative one.
    box.text->setValueForKey(u"currentHorizontalInsetMargins", 400);
    EXPECT_EQ(box.text->textContainer()->containerSize(), QSizeF(0, 185));

    // Without an element the view is empty rather than -80 wide.
    ZVTextView loose;
    loose.setFrame(QRectF(0, 0, 100, 100));
    EXPECT_EQ(loose.frame().size(), QSizeF(0, 0));
    EXPECT_EQ(loose.textContainer()->containerSize(), QSizeF(0, 0));
}

TEST(TextViewModel, EditingTurnsThePageAndFieldsNeverBecomeEditable)
{
    TextBox box;
    int posted = 0;
    QObject context;
    ql::NotificationCenter::defaultCenter().addObserver(&context, QStringLiteral("disableBackgroundColorPicker"), box.text,
                                                        [&](const ql::Notification&) { ++posted; });
    box.text->setString(QStringLiteral("Hello world"));
    box.text->setEditMode(true);
    EXPECT_TRUE(box.text->isEditable());
    EXPECT_TRUE(box.page->valueForKey(u"editMode").toBool());
    EXPECT_EQ(posted, 1);
    box.text->setSelectedRange({6, 5});
    EXPECT_EQ(box.text->applyRange(), (ZVTextView::Range {6, 5}));
    box.text->setEditMode(false);
    EXPECT_FALSE(box.page->valueForKey(u"editMode").toBool());
    EXPECT_EQ(box.text->applyRange(), (ZVTextView::Range {0, 11}));

    // A page-number field reads edit mode YES but is not editable, and its
    // formatting covers its whole text.
    box.text->setTextViewType(ZVTextView::PageNumber);
    box.text->setEditMode(true);
    EXPECT_TRUE(box.text->editMode());
    EXPECT_FALSE(box.text->isEditable());
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(box.text->applyRange(), (ZVTextView::Range {0, 11}));
    box.text->setValueForKey(u"currentFontSize", 30);
    EXPECT_EQ(box.fontAt(0).pointSize(), 30.0);
    EXPECT_EQ(box.fontAt(10).pointSize(), 30.0);

    // The caret is one point wide and at least 15 tall.
    EXPECT_EQ(ZVTextView::insertionPointRect(QRectF(3, 4, 9, 10)), QRectF(3, 4, 1, 15));
    EXPECT_EQ(ZVTextView::insertionPointRect(QRectF(3, 4, 9, 30)), QRectF(3, 4, 1, 30));
}

TEST(TextViewModel, FieldFlagsAreRaisedByTheirTypesAndNeverLowered)
{
    TextBox box;
    ZVTextView& field = *box.text;
    field.setTextViewType(ZVTextView::PageNumber);
    EXPECT_TRUE(field.isPageNumber());
    EXPECT_TRUE(field.isDateOrPageNumber());
    EXPECT_FALSE(field.isDate());
    const QString shown = field.string();

    // Back to plain text: text and flags stay as they were.
    field.setTextViewType(0);
    EXPECT_TRUE(field.isPageNumber());
    EXPECT_TRUE(field.isDateOrPageNumber());
    EXPECT_EQ(field.string(), shown);

    // A date after a page number keeps both flags.
    field.setTextViewType(ZVTextView::Date);
    EXPECT_TRUE(field.isDate());
    EXPECT_TRUE(field.isPageNumber());
    field.setValueForKey(u"textViewType", 0);
    EXPECT_TRUE(field.isDate());
    EXPECT_TRUE(field.isDateOrPageNumber());
}

TEST(TextViewModel, LinkedBoxesShareOneTextAndItOutlivesTheFirstBox)
{
    auto first = std::make_unique<ZVTextView>();
    ZVTextView second;
    first->setString(QStringLiteral("shared text"));
    second.joinTextChain(first.get(), 1);
    EXPECT_EQ(second.textStorage(), first->textStorage());
    EXPECT_EQ(second.textContainerIndex(), 1);
    EXPECT_EQ(second.string(), QStringLiteral("shared text"));
    first.reset();
    EXPECT_EQ(second.string(), QStringLiteral("shared text"));
    EXPECT_EQ(second.textContainerIndex(), 0);
    EXPECT_EQ(second.textStorage()->parent(), &second);
}
