#include "InspectorTestSupport.h"

#include "design/TextStyleSeeds.h"
#include "content/ZV3DTextView.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "content/scene3d/SceneNode.h"
#include "panels/gradients/GPGradientWell.h"
#include "panels/gradients/GPGradients.h"
#include "panels/grid/GVGridViewItem.h"
#include "panels/inspectors/ImageEffectPicker.h"
#include "panels/inspectors/TextStyleList.h"
#include "panels/inspectors/ZV3DTextSettingsController.h"
#include "panels/inspectors/ZVBackgroundPicker.h"
#include "panels/inspectors/ZVEmptyViewController.h"
#include "panels/inspectors/ZVImageSettingsController.h"
#include "panels/inspectors/ZVShapeSettingsController.h"
#include "panels/inspectors/ZVTextSettingsController.h"
#include "platform/graphics/BezierPath.h"
#include "platform/graphics/FontResolver.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/StoredBitmap.h"
#include "shapes/ZVVectorView.h"
#include "support/GreyPicture.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

using namespace ql;
using namespace ql::test;

namespace {

const Color red = Color::calibratedRgb(1, 0, 0);
const Color blue = Color::calibratedRgb(0, 0, 1);

// Edits by control kind, for the tables.
template <class H>
struct Edits {
    H& h;
    std::function<void()> field(const char* name, const char* text)
    {
        return [this, name, text] { type(h.template control<QLineEdit>(QString::fromLatin1(name)), QString::fromUtf8(text)); };
    }
    std::function<void()> click(const char* name)
    {
        return [this, name] {
            h.template control<QAbstractButton>(QString::fromLatin1(name))->click();
            endTurn();
        };
    }
    std::function<void()> popup(const char* name, int index)
    {
        return [this, name, index] { choose(h.template control<QComboBox>(QString::fromLatin1(name)), index); };
    }
    std::function<void()> well(const char* name, const Color& color = red)
    {
        return [this, name, color] { pick(h.template control<GPColorWell>(QString::fromLatin1(name)), color); };
    }
};

std::unique_ptr<ZVPuttyView> pictureElement()
{
    QImage pixels(60, 40, QImage::Format_ARGB32);
    pixels.fill(QColor(200, 40, 40));
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithImage(Image(pixels));
    element->setFrame(QRectF(0, 0, 140, 120));
    return element;
}

std::unique_ptr<ZVPuttyView> textElement()
{
    std::unique_ptr<ZVPuttyView> element = ZVPuttyView::initWithText();
    static_cast<ZVTextView*>(element->contentView())->setString(QStringLiteral("Double click to edit."));
    return element;
}

std::unique_ptr<ZVPuttyView> shapeElement(const char* name)
{
    return ZVPuttyView::initWithVector(BezierPath::rect(QRectF(0, 0, 10, 10)), QString::fromLatin1(name));
}

} // namespace

TEST(ImageInspector, ControlsWriteThePictureAndResetIsOneStep)
{
    InspectorHarness<ZVImageSettingsController> h(pictureElement());
    Edits<decltype(h)> e {h};
    auto* picture = static_cast<ZVImageView*>(h.element->contentView());
    GVGridView* grid = h.inspector.effectPicker()->grid();
    checkEdits(*h.element, *h.undo(),
               {
                   {"imageMode", e.popup("imageMode", 1), 1},
                   {"cropScale", e.field("cropScale", "200%"), 2.0},
                   {"contentView.brightness", e.field("contentView.brightness", "0.5"), 0.5},
                   {"contentView.brightness", [&] { drag(h.control<QSlider>(QStringLiteral("contentView.brightness")), {10, 20, -30}); }, -0.3},
                   {"contentView.contrast", e.field("contentView.contrast", "9"), 4.0},
                   {"contentView.saturation", e.field("contentView.saturation", "1.5"), 1.5},
                   {"contentView.sharpness", e.field("contentView.sharpness", "0.4"), 0.4},
                   {"contentView.blur", e.field("contentView.blur", "3"), 3.0},
                   {"contentView.tintEnabled", e.click("contentView.tintEnabled"), true},
                   {"contentView.tintColor", e.well("contentView.tintColor"), QVariant::fromValue(red)},
                   {"contentView.effectsEnabled", e.click("contentView.effectsEnabled"), true},
                   {"contentView.imageEffect", [&] {
                        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->rectForItemAtIndex(5).center());
                        endTurn();
                    }, qint64(5)},
                   {"contentView.imageMaskEnabled", e.click("contentView.imageMaskEnabled"), true},
               });

    // Twelve effects, each the picture through it.
    ASSERT_EQ(grid->numberOfItems(), 12);
    EXPECT_EQ(grid->itemAtIndex(0)->itemTitle(), QStringLiteral("None"));
    EXPECT_EQ(grid->itemAtIndex(11)->itemTitle(), QStringLiteral("Pixel"));
    const QList<QImage>& thumbs = h.inspector.effectPicker()->thumbnails();
    ASSERT_EQ(thumbs.size(), 12);
    const QColor plain = thumbs[0].pixelColor(5, 5);
    const QColor grey = thumbs[1].pixelColor(5, 5);
    EXPECT_GT(plain.red() - plain.green(), 100);
    EXPECT_LT(std::abs(grey.red() - grey.green()), 10) << "black and white";

    type(h.control<QLineEdit>(QStringLiteral("contentView.brightness")), QStringLiteral("0.5"));
    type(h.control<QLineEdit>(QStringLiteral("contentView.contrast")), QStringLiteral("2"));
    const int steps = h.undo()->undoCount();
    h.control<QPushButton>(QStringLiteral("resetLevels"))->click();
    endTurn();
    EXPECT_EQ(picture->brightness().toDouble(), 0.0);
    EXPECT_EQ(picture->contrast().toDouble(), 1.0);
    EXPECT_EQ(h.undo()->undoCount(), steps + 1);
    h.undo()->undo();
    endTurn();
    EXPECT_EQ(picture->brightness(), QVariant(0.5));
    EXPECT_EQ(picture->contrast(), QVariant(2.0));
}

TEST(ImageInspector, EffectPreviewsShowThePictureAsFlippedAndUndone)
{
    // Red on the left, white on the right.
    QImage pixels(60, 40, QImage::Format_RGB32);
    pixels.fill(Qt::white);
    QPainter(&pixels).fillRect(0, 0, 30, 40, Qt::red);
    std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithImage(Image(pixels));
    made->setFrame(QRectF(0, 0, 140, 120));
    InspectorHarness<ZVImageSettingsController> h(std::move(made));
    // The side the "None" thumbnail shows red on.
    const auto redSide = [&] {
        const QImage plain = h.inspector.effectPicker()->thumbnails().value(0);
        const auto red = [&](int x) { return !plain.isNull() && qGreen(plain.pixel(x, plain.height() / 2)) < 100; };
        return red(2) == red(plain.width() - 3) ? QStringLiteral("?") : red(2) ? QStringLiteral("left") : QStringLiteral("right");
    };
    ASSERT_EQ(redSide(), QStringLiteral("left"));
    h.element->flipHorizontal();
    endTurn();
    EXPECT_EQ(redSide(), QStringLiteral("right")) << "the flipped picture";
    h.undo()->undo();
    endTurn();
    EXPECT_EQ(redSide(), QStringLiteral("left"));
}

TEST(ImageInspector, ThumbnailsOfStoredScansAreDecodedSmallAndOnce)
{
    // Two grey scans, dark left of the split, whose whole decodes take more
    // than stored pictures keep together: showing one pushes the other out.
    const QSize side(8200, 8200);
    const auto scan = [&side](int split) {
        std::unique_ptr<ZVPuttyView> made = ZVPuttyView::initWithImage(
            Image::fromStoredData(ql::testing::splitPng(side, split, ql::testing::SplitDepth::Grey8)));
        made->setFrame(QRectF(0, 0, 140, 140));
        return made;
    };
    const auto darkShare = [](const QImage& plain) {
        int dark = 0;
        for (int x = 0; x < plain.width(); ++x)
            dark += qGray(plain.pixel(x, plain.height() / 2)) < 128;
        return double(dark) / std::max(1, plain.width());
    };
    const quint64 before = StoredBitmap::decodeCount();
    InspectorHarness<ZVImageSettingsController> h(scan(2000));
    const QList<QImage>& thumbnails = h.inspector.effectPicker()->thumbnails();
    ASSERT_EQ(thumbnails.size(), 12);
    EXPECT_NEAR(darkShare(thumbnails[0]), 0.24, 0.05);
    EXPECT_EQ(StoredBitmap::decodeCount(), before + 1);
    const ImageRep first = static_cast<ZVImageView*>(h.element->contentView())->originalImage().firstRepresentation();
    EXPECT_LE(first.imageForPixels(QSize(1, 1)).width(), 256) << "decoded no larger than its thumbnails need";

    ZVPuttyView* other = scan(6000).release();
    h.page->addPuttyView(other);
    h.page->setFocusedPuttyView(other);
    endTurn();
    EXPECT_NEAR(darkShare(thumbnails.value(0)), 0.73, 0.05);
    const quint64 shown = StoredBitmap::decodeCount();
    for (ZVPuttyView* element : {h.element, other, h.element}) {
        h.page->setFocusedPuttyView(element);
        endTurn();
    }
    EXPECT_EQ(StoredBitmap::decodeCount(), shown) << "an unchanged picture is not decoded again";
    EXPECT_NEAR(darkShare(thumbnails.value(0)), 0.24, 0.05);
}

TEST(TextInspector, ControlsWriteTheTextAndChangesWithoutUndoGetOne)
{
    InspectorHarness<ZVTextSettingsController> h(textElement());
    Edits<decltype(h)> e {h};
    ZVTextView* text = h.inspector.textView();
    ASSERT_NE(text, nullptr);
    text->setTextColor(blue);
    endTurn();
    auto* families = h.control<QComboBox>(QStringLiteral("contentView.currentFontFamilyName"));
    const int serif = families->findText(QStringLiteral("Liberation Serif"));
    ASSERT_GE(serif, 0) << "families come from the font service";
    auto* alignment = h.view->findChild<QButtonGroup*>(QStringLiteral("contentView.currentJustification"));
    ASSERT_NE(alignment, nullptr);
    auto* well = h.control<GPGradientWell>(QStringLiteral("contentView.gradient"));

    checkEdits(*h.element, *h.undo(),
               {
                   {"contentView.currentFontFamilyName", e.popup("contentView.currentFontFamilyName", serif),
                    QStringLiteral("Liberation Serif")},
                   {"contentView.currentFontTypeFaceIndex", e.popup("contentView.currentFontTypeFaceIndex", 1), 1},
                   {"contentView.currentFontSize", e.field("contentView.currentFontSize", "18 pt"), 18.0},
                   {"contentView.currentTextColor", e.well("contentView.currentTextColor"), QVariant::fromValue(red)},
                   {"contentView.currentHighlightColor", e.well("contentView.currentHighlightColor"),
                    QVariant::fromValue(red)},
                   {"contentView.currentJustification", [&] { alignment->button(1)->click(); endTurn(); }, 1},
                   {"contentView.currentLetterSpacing", e.field("contentView.currentLetterSpacing", "1.5"), 1.5},
                   {"contentView.currentLineSpacing", e.field("contentView.currentLineSpacing", "1.5"), 1.5},
                   {"contentView.currentParagraphSpacing", e.field("contentView.currentParagraphSpacing", "6"), 6.0},
                   {"contentView.currentParagraphIndent", e.field("contentView.currentParagraphIndent", "10"), 10.0},
                   {"contentView.currentParagraphNextIndent", e.field("contentView.currentParagraphNextIndent", "4"), 4.0},
                   {"contentView.currentVerticalInsetMargins", e.field("contentView.currentVerticalInsetMargins", "8"), 8.0},
                   {"contentView.currentHorizontalInsetMargins", e.field("contentView.currentHorizontalInsetMargins", "7"), 7.0},
                   {"contentView.allowHyphenation", e.click("contentView.allowHyphenation"), true},
                   {"contentView.strokeEnabled", e.click("contentView.strokeEnabled"), true},
                   {"contentView.strokeWidth", e.field("contentView.strokeWidth", "3"), 3.0},
                   // The text records no undo for these three; the inspector does.
                   {"contentView.strokeColor", e.well("contentView.strokeColor", blue), QVariant::fromValue(blue)},
                   {"contentView.gradient", [&] { emit well->action(); endTurn(); },
                    QVariant::fromValue(GPGradients::spectrumGradient())},
                   {"contentView.gradientType", e.popup("contentView.gradientType", 2), 1},
                   {"contentView.gradientAngle", e.field("contentView.gradientAngle", "45"), 45.0},
               });

    // Emphasis toggles through the text, shown from what the text has.
    auto* bold = h.control<QToolButton>(QStringLiteral("contentView.currentEmphasis"), 0);
    EXPECT_EQ(bold->accessibleName(), QStringLiteral("Bold"));
    EXPECT_FALSE(bold->isChecked());
    bold->click();
    endTurn();
    EXPECT_TRUE(bold->isChecked());
    EXPECT_TRUE(text->currentEmphasis().contains(QVariant(0)));
    h.undo()->undo();
    endTurn();
    EXPECT_FALSE(bold->isChecked());
    // The italic face chosen above is the emphasis that stays.
    EXPECT_EQ(text->currentEmphasis(), QVariantList {1});
    EXPECT_TRUE(h.control<QToolButton>(QStringLiteral("contentView.currentEmphasis"), 1)->isChecked());
}

TEST(TextInspector, PageNumberChoicesReadAsTheFieldWouldAndStylesApplyAsOneStep)
{
    InspectorHarness<ZVTextSettingsController> h(textElement());
    ZVTextView* text = h.inspector.textView();
    ASSERT_NE(text, nullptr);
    text->setTextViewType(ZVTextView::PageNumber);
    h.document.insertPageBefore();
    h.document.insertPageBefore();
    h.document.setCurrentPage(h.page);
    h.document.insertPageAfter();
    h.document.insertPageAfter();
    h.document.setCurrentPage(h.page);
    h.refocus();
    ASSERT_EQ(h.document.pageCount(), 5);
    EXPECT_EQ(text->string(), QStringLiteral("Page 3 of 5"));
    ASSERT_EQ(h.inspector.textView(), text) << "the field is still the one shown";
    auto* formats = h.control<QComboBox>(QStringLiteral("contentView.selectedPageNumberFormat"));
    ASSERT_NE(formats, nullptr);
    EXPECT_FALSE(formats->isHidden());
    const QComboBox* dates = h.control<QComboBox>(QStringLiteral("contentView.selectedDateFormat"));
    EXPECT_TRUE(dates && dates->isHidden());
    formats->showPopup();
    formats->hidePopup();
    ASSERT_EQ(formats->count(), 6);
    EXPECT_EQ(formats->itemText(0), QStringLiteral("Page Number Format"));
    EXPECT_EQ(formats->itemText(1), QStringLiteral("Page 3 of 5"));
    EXPECT_EQ(formats->itemText(4), QStringLiteral("3"));
    choose(formats, 4);
    EXPECT_EQ(text->string(), QStringLiteral("3"));
    EXPECT_EQ(text->pageNumberFormat(), QStringLiteral("<NUM>"));
    EXPECT_EQ(formats->currentIndex(), 0) << "the heading shows again";
    h.undo()->undo();
    endTurn();
    EXPECT_EQ(text->string(), QStringLiteral("Page 3 of 5"));
    type(h.control<QLineEdit>(QStringLiteral("contentView.startPage")), QStringLiteral("2"));
    EXPECT_EQ(text->string(), QStringLiteral("Page 2 of 4"));

    // Stored styles: a click applies the font, "+" keeps one, a drag moves one.
    UserDefaults& defaults = ZVDesignHelper::sharedInstance().defaults();
    const DefaultScope seeded(QStringLiteral("textStyles"), seededTextStyles());
    TextStyleList* styles = h.inspector.styleList();
    styles->reload();
    ASSERT_EQ(styles->list()->count(), 7);
    InspectorHarness<ZVTextSettingsController> plain(textElement());
    ZVTextView* other = plain.inspector.textView();
    const int steps = plain.undo()->undoCount();
    QListWidget* list = plain.inspector.styleList()->list();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    endTurn();
    EXPECT_EQ(other->currentFontSize().toDouble(), 32.0);
    EXPECT_EQ(other->currentFontFamilyName(), FontResolver::familyOf(QStringLiteral("Helvetica")));
    EXPECT_EQ(plain.undo()->undoCount(), steps + 1);
    plain.undo()->undo();
    endTurn();
    EXPECT_EQ(other->currentFontSize().toDouble(), 12.0);

    other->setCurrentFontSize(21);
    endTurn();
    QLineEdit* name = plain.inspector.styleList()->nameField();
    EXPECT_FALSE(plain.inspector.styleList()->addButton()->isEnabled());
    type(name, QStringLiteral("Mine"));
    QVariantList stored = defaults.arrayForKey(QStringLiteral("textStyles"));
    ASSERT_EQ(stored.size(), 8);
    EXPECT_EQ(stored.last().toMap().value(QStringLiteral("title")), QStringLiteral("Mine"));
    const std::optional<Font> mine = fontOfTextStyle(stored.last());
    ASSERT_TRUE(mine);
    EXPECT_EQ(mine->pointSize(), 21.0);
    plain.inspector.styleList()->moveStyle(7, 0);
    stored = defaults.arrayForKey(QStringLiteral("textStyles"));
    EXPECT_EQ(stored.first().toMap().value(QStringLiteral("title")), QStringLiteral("Mine"));
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Mine"));
}

TEST(ThreeDTextInspector, SizeSetsTheCameraAndRotateTogglesCameraControl)
{
    InspectorHarness<ZV3DTextSettingsController> h(ZVPuttyView::initWith3DText(QStringLiteral("Hi")));
    Edits<decltype(h)> e {h};
    auto* families = h.control<QComboBox>(QStringLiteral("contentView.fontFamily"));
    const int sans = families->findText(QStringLiteral("Liberation Sans"));
    ASSERT_GE(sans, 0);
    checkEdits(*h.element, *h.undo(),
               {
                   {"contentView.string", e.field("contentView.string", "Hello"), QStringLiteral("Hello")},
                   {"contentView.fontFamily", e.popup("contentView.fontFamily", sans), QStringLiteral("Liberation Sans")},
                   {"contentView.fontSize", e.field("contentView.fontSize", "150"), 150},
                   {"contentView.extrusionDepth", e.field("contentView.extrusionDepth", "20"), 20},
                   {"contentView.chamferRadius", e.field("contentView.chamferRadius", "2"), 2},
                   {"contentView.frontColor", e.well("contentView.frontColor"), QVariant::fromValue(red)},
                   {"contentView.sideColor", e.well("contentView.sideColor"), QVariant::fromValue(red)},
                   {"contentView.isShiny", e.click("contentView.isShiny"), true},
               });
    auto* text = static_cast<ZV3DTextView*>(h.element->contentView());
    EXPECT_EQ(text->pointOfView().camera()->orthographicScale, 50.0);

    QPushButton* rotate = h.inspector.rotateButton();
    EXPECT_EQ(rotate->text(), QStringLiteral("Rotate 3D Text"));
    const int steps = h.undo()->undoCount();
    rotate->click();
    endTurn();
    EXPECT_TRUE(text->allowsCameraControl());
    EXPECT_EQ(rotate->text(), QStringLiteral("Done"));
    rotate->click();
    endTurn();
    EXPECT_FALSE(text->allowsCameraControl());
    EXPECT_EQ(rotate->text(), QStringLiteral("Rotate 3D Text"));
    EXPECT_EQ(h.undo()->undoCount(), steps);
}

TEST(ShapeInspector, ThePickerWritesTheFillAndTheControlsTheStroke)
{
    InspectorHarness<ZVShapeSettingsController> h(shapeElement("star"));
    Edits<decltype(h)> e {h};
    auto* shape = static_cast<ZVVectorView*>(h.element->contentView());
    EXPECT_EQ(h.inspector.fillPicker()->background(), shape->backgroundView());
    const QVariant elementFill = h.element->backgroundView()->backgroundType();
    choose(h.control<QComboBox>(QStringLiteral("backgroundType")), 1);
    pick(h.control<GPColorWell>(QStringLiteral("backgroundColor")), red);
    EXPECT_EQ(shape->backgroundView()->backgroundType().toInt(), 1);
    EXPECT_EQ(shape->backgroundView()->backgroundColor(), QVariant::fromValue(red));
    EXPECT_EQ(h.element->backgroundView()->backgroundType(), elementFill) << "never the element's background";

    checkEdits(*h.element, *h.undo(),
               {
                   {"contentView.strokeEnabled", e.click("contentView.strokeEnabled"), false},
                   {"contentView.strokeColor", e.well("contentView.strokeColor"), QVariant::fromValue(red)},
                   {"contentView.strokeWidth", e.field("contentView.strokeWidth", "3"), 3.0},
                   {"contentView.strokeType", e.popup("contentView.strokeType", 9), 9},
                   {"contentView.strokeLineCap", e.popup("contentView.strokeLineCap", 1), 1},
                   {"contentView.strokeLineJoin", e.popup("contentView.strokeLineJoin", 2), 2},
                   {"contentView.arrowEnabled", e.click("contentView.arrowEnabled"), true},
                   {"contentView.leftArrow", e.popup("contentView.leftArrow", 2), 2},
                   {"contentView.rightArrow", e.popup("contentView.rightArrow", 3), 3},
                   {"contentView.arrowLength", e.field("contentView.arrowLength", "20"), 20},
                   {"contentView.arrowWidth", e.field("contentView.arrowWidth", "9"), 9},
                   {"contentView.textEnabled", e.click("contentView.textEnabled"), true},
                   {"contentView.text", e.field("contentView.text", "Along"), QStringLiteral("Along")},
                   {"contentView.textFontSize", e.field("contentView.textFontSize", "18"), 18},
                   {"contentView.textAlignment", e.popup("contentView.textAlignment", 2), 2},
                   {"contentView.textPlacement", e.popup("contentView.textPlacement", 2), 3},
                   {"contentView.textLetterSpacing", e.field("contentView.textLetterSpacing", "-2"), -2},
                   {"contentView.textOffset", e.field("contentView.textOffset", "5"), 5},
                   {"contentView.textHideShape", e.click("contentView.textHideShape"), true},
                   {"contentView.adjustment", [&] { drag(h.control<QSlider>(QStringLiteral("contentView.adjustment")), {200, 300}); }, 0.3},
               });

    // Only adjustable outlines show the adjustment, in their own range.
    auto* adjustment = h.control<QSlider>(QStringLiteral("contentView.adjustment"));
    EXPECT_FALSE(adjustment->isHidden());
    EXPECT_EQ(adjustment->maximum(), 1000);
    ZVPuttyView* square = shapeElement("roundedSquare").release();
    h.page->addPuttyView(square);
    h.page->setFocusedPuttyView(square);
    EXPECT_EQ(adjustment->maximum(), 500);
    EXPECT_EQ(adjustment->value(), 200);
    ZVPuttyView* circle = shapeElement("circle").release();
    h.page->addPuttyView(circle);
    h.page->setFocusedPuttyView(circle);
    EXPECT_TRUE(adjustment->isHidden());
    EXPECT_EQ(static_cast<ZVVectorView*>(square->contentView())->adjustment(), QVariant(0.2)) << "showing writes nothing";
}

TEST(EmptyInspector, ShowsANote)
{
    InspectorHarness<ZVEmptyViewController> h(textElement());
    auto* note = h.control<QLabel>(QStringLiteral("note"));
    EXPECT_FALSE(note->text().isEmpty());
    EXPECT_TRUE(h.view->isEnabled());
}
