#include "GestureTestSupport.h"

#include "canvas/ZVHandleView.h"
#include "canvas/ZVLinkTextView.h"
#include "canvas/ZVRotationHandleView.h"
#include "canvas/painting/ImageContentPainter.h"
#include "content/ZVBackgroundView.h"
#include "content/ZVImageView.h"
#include "content/ZVTextView.h"
#include "platform/archive/ImageArchiveData.h"
#include "support/GreyPicture.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
#include <gtest/gtest.h>

using Kind = ZVPuttyView::Hit::Kind;

TEST(ElementHit, RulesOfWhatAPressReaches)
{
    GesturePage sample;
    ZVPuttyView* element = sample.add(QRectF(100, 100, 200, 180));
    EXPECT_EQ(element->hitTest(QPointF(200, 190)).kind, Kind::Content);
    EXPECT_EQ(element->hitTest(QPointF(110, 190)).kind, Kind::None) << "the margin";
    EXPECT_EQ(element->hitTest(QPointF(400, 190)).kind, Kind::None) << "outside";
    // An inactive element's handles still take the press (which selects it).
    EXPECT_EQ(element->hitTest(QPointF(260, 240)).kind, Kind::Handle);
    EXPECT_EQ(element->hitTest(QPointF(260, 240)).handle->handlePosition(), ZVHandleView::BottomRight);
    EXPECT_EQ(element->hitTest(QPointF(272.5, 252.5)).kind, Kind::RotationHandle);

    for (int mode : {1, 2}) {
        sample.page->setDrawingMode(mode);
        EXPECT_EQ(element->hitTest(QPointF(200, 190)).kind, Kind::None) << "hand and zoom tools: mode " << mode;
    }
    sample.page->setDrawingMode(0);

    ZVPuttyViewGroup* upper = sample.page->addLayoutLayer(QStringLiteral("Upper"));
    ZVPuttyViewGroup* lower = sample.page->currentLayoutLayer();
    sample.page->setCurrentLayoutLayer(upper);
    EXPECT_EQ(element->hitTest(QPointF(200, 190)).kind, Kind::None) << "another layer";
    sample.page->setCurrentLayoutLayer(lower);

    element->setIsActive(true);
    EXPECT_EQ(element->hitTest(QPointF(200, 190), ql::CanvasEvent::Command).kind, Kind::None)
        << "Command on an active element goes to the page";
    EXPECT_EQ(element->hitTest(QPointF(200, 190), ql::CanvasEvent::Shift).kind, Kind::Content);

    // An inactive element over the active one's handle gives way to it.
    ZVPuttyView* above = sample.add(QRectF(200, 180, 200, 180));
    EXPECT_EQ(above->hitTest(QPointF(261, 241)).kind, Kind::None);
    EXPECT_EQ(sample.routed().elementAt(QPointF(261, 241)), element);
    EXPECT_EQ(above->hitTest(QPointF(320, 270)).kind, Kind::Content);
    element->setIsActive(false);
    EXPECT_EQ(above->hitTest(QPointF(261, 241)).kind, Kind::Content);

    // Hidden handles (content being edited) take nothing.
    element->hideHandles();
    EXPECT_EQ(element->hitTest(QPointF(272.5, 252.5)).kind, Kind::None);
    element->showHandles();
    EXPECT_EQ(element->viewsAtPoint(QPointF(250, 250)), (QList<ZVPuttyView*> {element, above}));
}

TEST(ElementHit, TurnedElementsAreHitInTheirOwnAxes)
{
    GesturePage sample;
    ZVPuttyView* element = sample.add(QRectF(100, 100, 300, 200));
    element->setFrameCenterRotation(90);
    // Turned about its centre (250, 200): local (70, 100) lies at (250, 120).
    EXPECT_EQ(element->hitTest(QPointF(250, 120)).kind, Kind::Content);
    EXPECT_EQ(element->hitTest(QPointF(140, 200)).kind, Kind::None) << "beyond its turned height";
    EXPECT_EQ(element->hitTest(QPointF(120, 200)).kind, Kind::None);
}

TEST(ElementLayout, PartsFollowTheFrameOnlyWhenLargerThanTheMargins)
{
    GesturePage sample;
    ZVPuttyView* element = sample.add(QRectF(0, 0, 200, 100));
    element->setValueForKey(u"reflectionEnabled", true);
    element->setValueForKey(u"reflectionHeight", 40);
    element->setNeedsLayout();
    EXPECT_EQ(element->contentView()->frame(), QRectF(40, 40, 120, 20));
    EXPECT_EQ(element->backgroundView()->frame(), QRectF(40, 40, 120, 20));
    EXPECT_EQ(element->reflectionView()->frame(), QRectF(40, 60, 120, 40));
    EXPECT_EQ(element->handles()[ZVHandleView::BottomRight]->frame(), QRectF(140, 40, 40, 40));
    EXPECT_EQ(element->handles()[ZVHandleView::TopCentre]->frame(), QRectF(80, 20, 40, 40));

    element->setFrame(QRectF(0, 0, 80, 300));
    EXPECT_EQ(element->contentView()->frame(), QRectF(40, 40, 120, 20)) << "80 wide: left as it was";
    EXPECT_EQ(element->handles()[ZVHandleView::BottomRight]->frame(), QRectF(20, 240, 40, 40))
        << "handles follow any frame";
}

TEST(ElementState, HandleAlphaFollowsTheSelectionState)
{
    GesturePage sample;
    ZVPuttyView* element = sample.add(QRectF(0, 0, 200, 200));
    const auto alpha = [&] { return element->handles().first()->alphaValue(); };
    EXPECT_EQ(alpha(), 0.0);
    element->setIsHighlighted(true);
    EXPECT_EQ(alpha(), 0.0) << "no faint handles on an element that is not selected";
    EXPECT_EQ(element->linkTextView()->alphaValue(), 0.2);
    element->setIsActive(true);
    EXPECT_EQ(alpha(), 0.85);
    EXPECT_EQ(sample.page->firstActiveView(), element);
    element->setValueForKey(u"cropMode", true);
    element->setIsActive(false);
    EXPECT_FALSE(element->cropMode()) << "leaving the selection ends crop mode";
    EXPECT_EQ(alpha(), 0.0);

    // Handles first asked for after the state changed come up in that state.
    ZVPuttyView* later = sample.add(QRectF(300, 0, 200, 200));
    later->setIsActive(true);
    later->hideHandles();
    for (const ZVHandleView* handle : later->handles())
        EXPECT_TRUE(handle->alphaValue() == 0.85 && handle->isHidden());
    later->showHandles();
    EXPECT_FALSE(later->handles().last()->isHidden());
    EXPECT_EQ(later->linkTextView()->alphaValue(), 0.85);
}

TEST(ElementMenu, ConversionsAndEditFollowTheContent)
{
    GesturePage sample;
    ZVPuttyView* text = sample.add(QRectF(0, 0, 300, 300));
    static_cast<ZVTextView*>(text->contentView())->setString(QString(51, QLatin1Char('x')));
    EXPECT_FALSE(text->validateMenuItem(QStringLiteral("convertTextToShape:")));
    EXPECT_TRUE(text->validateMenuItem(QStringLiteral("convertTextTo3DText:")));
    EXPECT_TRUE(text->validateMenuItem(QStringLiteral("convertTextToTextOnPath:")));
    sample.page->setValueForKey(u"is3DTextEligible", false);
    EXPECT_FALSE(text->validateMenuItem(QStringLiteral("convertTextTo3DText:")));

    ZVPuttyView* image = sample.add(QRectF(0, 0, 300, 300), ZVPuttyView::initWithImage(ql::Image(QImage(4, 4, QImage::Format_ARGB32))));
    EXPECT_TRUE(image->validateMenuItem(QStringLiteral("editItem:")));
    static_cast<ZVImageView*>(image->contentView())->setIsVector(true);
    EXPECT_FALSE(image->validateMenuItem(QStringLiteral("editItem:")));
    EXPECT_TRUE(image->validateMenuItem(QStringLiteral("convertTextToShape:")));
}

TEST(ElementFlip, FlipsUndoToThePictureAndTheOriginal)
{
    GesturePage sample;
    QImage bitmap(4, 2, QImage::Format_ARGB32);
    bitmap.fill(Qt::white);
    bitmap.setPixel(0, 0, qRgb(255, 0, 0));
    ZVPuttyView* element = sample.add(QRectF(0, 0, 200, 200), ZVPuttyView::initWithImage(ql::Image(bitmap)));
    auto* image = static_cast<ZVImageView*>(element->contentView());
    // The picture itself rather than the fill drawn from it (image()) is
    // read, for its pixels.
    // Which corner is red: 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
    const auto redAt = [](const ql::Image& picture) {
        const QImage pixels = picture.bitmap().convertToFormat(QImage::Format_ARGB32);
        const auto red = [&](int x, int y) { return qRed(pixels.pixel(x, y)) > 200 && qGreen(pixels.pixel(x, y)) < 60; };
        const int w = pixels.width() - 1, h = pixels.height() - 1;
        return red(0, 0) ? 0 : red(w, 0) ? 1 : red(0, h) ? 2 : red(w, h) ? 3 : -1;
    };
    endTurn();
    const int steps = sample.document.undo.undoCount();
    element->flipHorizontal();
    endTurn();
    EXPECT_EQ(redAt(image->picture()), 1) << "left to right";
    EXPECT_EQ(redAt(image->originalImage()), 1);
    EXPECT_EQ(sample.document.undo.undoCount(), steps + 1) << "one step";
    sample.document.undo.undo();
    EXPECT_EQ(redAt(image->picture()), 0);
    EXPECT_EQ(redAt(image->originalImage()), 0) << "the original comes back too";
    sample.document.undo.redo();
    EXPECT_EQ(redAt(image->picture()), 1);
    EXPECT_EQ(redAt(image->originalImage()), 1);
    element->flipHorizontal();
    EXPECT_EQ(redAt(image->picture()), 0) << "twice is the picture again";

    element->flipVertical();
    EXPECT_EQ(redAt(image->picture()), 2) << "top to bottom";
    element->flipVertical();
    EXPECT_EQ(redAt(image->picture()), 0);

    ZVPuttyView* text = sample.add(QRectF(0, 0, 200, 200));
    endTurn();
    const int before = sample.document.undo.undoCount();
    text->flipHorizontal();
    endTurn();
    EXPECT_EQ(sample.document.undo.undoCount(), before) << "text does not flip";
}

TEST(ElementFlip, APhotoShownFilledOrCroppedFlipsAtItsOwnSize)
{
    GesturePage sample;
    // 400 × 200 pixels at 144 dpi (200 × 100 points), red at the top left.
    QImage bitmap(400, 200, QImage::Format_RGB32);
    bitmap.fill(Qt::white);
    QPainter(&bitmap).fillRect(0, 0, 40, 40, Qt::red);
    bitmap.setDotsPerMeterX(5669);
    bitmap.setDotsPerMeterY(5669);
    ZVPuttyView* element = sample.add(QRectF(0, 0, 200, 200), ZVPuttyView::initWithImage(ql::Image(bitmap)));
    auto* image = static_cast<ZVImageView*>(element->contentView());
    ASSERT_TRUE(image->scaleToFill()) << "the default display mode";
    const ql::Image photo = image->originalImage();
    const auto redAt = [](const QImage& pixels, int x, int y) {
        return qRed(pixels.pixel(x, y)) > 200 && qGreen(pixels.pixel(x, y)) < 60;
    };

    endTurn();
    element->flipHorizontal();
    endTurn();
    const ql::Image flipped = image->originalImage();
    EXPECT_EQ(flipped.pixelSize(), QSize(400, 200));
    EXPECT_EQ(flipped.size(), photo.size());
    EXPECT_TRUE(redAt(flipped.bitmap(), 395, 5));
    EXPECT_EQ(image->picture().pixelSize(), QSize(400, 200)) << "the picture the fill is drawn from";
    sample.document.undo.undo();
    EXPECT_EQ(image->originalImage(), photo) << "the very picture back";
    element->flipVertical();
    element->flipVertical();
    EXPECT_EQ(image->originalImage().bitmap().convertToFormat(QImage::Format_RGB32), bitmap)
        << "twice is the same pixels";

    // Cropped display: the window (120 points square, from 20 points under
    // the picture's bottom edge) on the top left shows the red; flipped, it
    // shows the mirror image of what it showed.
    element->setValueForKey(u"cropScale", 1);
    element->setValueForKey(u"imageMode", 3);
    element->setValueForKey(u"imageYOffset", -20);
    element->applyCrop();
    const auto shown = [&] {
        QImage canvas(120, 120, QImage::Format_RGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        ql::ImageContentPainter::paintView(painter, *image, QRectF(0, 0, 120, 120), 1.0);
        return canvas;
    };
    ASSERT_TRUE(redAt(shown(), 5, 5));
    endTurn();
    element->flipHorizontal();
    element->flipVertical();
    endTurn();
    EXPECT_TRUE(redAt(shown(), 115, 115));
    EXPECT_FALSE(redAt(shown(), 5, 5));
    sample.document.undo.undo();
    EXPECT_TRUE(redAt(shown(), 5, 5));
    EXPECT_EQ(QPointF(element->imageXOffset(), element->imageYOffset()), QPointF(0, -20));
}

namespace {

// What a masked picture shows of its quarters (top-left, top-right,
// bottom-left, bottom-right): "-" where it is clear, else its colour.
std::string quartersShown(const ql::Image& picture)
{
    const QImage pixels = picture.bitmap().convertToFormat(QImage::Format_ARGB32);
    const int w = pixels.width(), h = pixels.height();
    QStringList quarters;
    for (const QPoint at : {QPoint(w / 4, h / 4), QPoint(3 * w / 4, h / 4), QPoint(w / 4, 3 * h / 4),
                            QPoint(3 * w / 4, 3 * h / 4)}) {
        const QRgb p = pixels.pixel(at);
        quarters.append(qAlpha(p) < 128 ? QStringLiteral("-") : qRed(p) > qBlue(p) ? QStringLiteral("red") : QStringLiteral("blue"));
    }
    return quarters.join(u' ').toStdString();
}

// A PNG whose header reads and whose pixels do not: its data chunk is damaged.
QByteArray damagedPng()
{
    QImage pixels(30, 20, QImage::Format_RGB32);
    pixels.fill(Qt::green);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pixels.save(&buffer, "PNG");
    const qsizetype data = png.indexOf("IDAT") + 4;
    for (qsizetype i = data; i < data + 8; ++i)
        png[i] = char(0x55);
    return png;
}

// A progressive JPEG whose header claims 30000 pixels square: decoding it
// would take gigabytes, so it is not decoded.
QByteArray overBudgetJpeg()
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QImage pixels(64, 48, QImage::Format_RGB32);
    pixels.fill(Qt::green);
    writer.write(pixels);
    const qsizetype frame = jpeg.indexOf("\xFF\xC2");
    for (int at : {5, 7}) {
        jpeg[frame + at] = char(30000 >> 8);
        jpeg[frame + at + 1] = char(30000 & 0xFF);
    }
    return jpeg;
}

// Flip Horizontal on `element` alone is refused with the picture alert and
// records nothing to undo.
void expectFlipRefused(GesturePage& sample, ZVPuttyView* element)
{
    endTurn();
    const int steps = sample.document.undo.undoCount();
    element->setIsActive(true);
    sample.page->flipHorizontal();
    endTurn();
    EXPECT_EQ(sample.document.host.alerts, QStringList {QStringLiteral("The picture could not be flipped.")});
    EXPECT_EQ(sample.document.undo.undoCount(), steps);
}

} // namespace

TEST(ElementFlip, TheMaskTurnsWithThePictureAsTheFileReadsItBackAndUndoesByteForByte)
{
    GesturePage sample;
    // Red on the left half, blue on the right; the mask shows the top-right
    // quarter only.
    QImage photo(40, 20, QImage::Format_RGB32);
    photo.fill(Qt::blue);
    QPainter(&photo).fillRect(0, 0, 20, 20, Qt::red);
    QImage cover(40, 20, QImage::Format_RGB32);
    cover.fill(Qt::white);
    QPainter(&cover).fillRect(20, 0, 20, 10, Qt::black);
    ZVPuttyView* element = sample.add(QRectF(0, 0, 200, 200), ZVPuttyView::initWithImage(ql::Image(photo)));
    auto* image = static_cast<ZVImageView*>(element->contentView());
    {
        const ql::UndoRegistrationBlocker quiet(&sample.document.undo);
        image->setImageMask(ql::Image(cover));
        image->setImageMaskEnabled(true);
    }
    ASSERT_EQ(quartersShown(image->picture()), "- blue - -");
    const ql::Image photoBefore = image->originalImage();
    const ql::Image maskBefore = image->imageMask();
    // What the saved element shows when it is read back.
    const auto readBack = [&] {
        const std::unique_ptr<ZVPuttyView> copy = element->copy();
        return quartersShown(static_cast<ZVImageView*>(copy->contentView())->picture());
    };

    endTurn();
    const int steps = sample.document.undo.undoCount();
    element->flipHorizontal();
    endTurn();
    EXPECT_EQ(quartersShown(image->picture()), "blue - - -");
    EXPECT_EQ(readBack(), "blue - - -") << "the mask turned with the picture";
    EXPECT_EQ(sample.document.undo.undoCount(), steps + 1) << "one step";
    sample.document.undo.undo();
    EXPECT_EQ(image->originalImage(), photoBefore);
    EXPECT_EQ(image->imageMask(), maskBefore) << "both as they were, byte for byte";
    EXPECT_EQ(quartersShown(image->picture()), "- blue - -");
    sample.document.undo.redo();
    EXPECT_EQ(quartersShown(image->picture()), "blue - - -");
    EXPECT_EQ(readBack(), "blue - - -");
    sample.document.undo.undo();

    element->flipVertical();
    EXPECT_EQ(quartersShown(image->picture()), "- - - blue");
    EXPECT_EQ(readBack(), "- - - blue");
}

TEST(ElementFlip, APictureWhosePixelsCannotBeHadIsKeptAsItCameAndSaidSo)
{
    GesturePage sample;
    // Header read, pixels not; and no header at all: bytes of no picture,
    // a signature cut short.
    const QList<QByteArray> unreadable {damagedPng(), overBudgetJpeg(), QByteArray("\x3c\x9a\x07\xe1\xfe\x11\x80", 7),
                                        QByteArray("\x89PNG\r", 5)};
    QList<ZVPuttyView*> kept;
    for (const QByteArray& data : unreadable) {
        const ql::Image picture = ql::Image::fromStoredData(data);
        ASSERT_TRUE(picture.isUndecodable());
        kept.append(sample.add(QRectF(0, 0, 200, 200), ZVPuttyView::initWithImage(picture)));
    }
    QImage pixels(4, 2, QImage::Format_RGB32);
    pixels.fill(Qt::white);
    sample.add(QRectF(300, 0, 200, 200), ZVPuttyView::initWithImage(ql::Image(pixels)));
    const auto keptAsItCame = [&] {
        for (qsizetype i = 0; i < kept.size(); ++i) {
            const auto* image = static_cast<ZVImageView*>(kept[i]->contentView());
            EXPECT_EQ(ql::storedImageData(image->originalImage()), unreadable[i]) << i;
        }
    };

    endTurn();
    const int steps = sample.document.undo.undoCount();
    sample.page->selectAll();
    sample.page->flipHorizontal();
    endTurn();
    EXPECT_EQ(sample.document.host.alerts, QStringList {QStringLiteral("4 of the pictures could not be flipped.")});
    EXPECT_EQ(sample.document.undo.undoCount(), steps + 1) << "the readable picture's flip alone";
    keptAsItCame();

    for (qsizetype i = 0; i < kept.size(); ++i) {
        for (ZVPuttyView* element : sample.page->puttyViews())
            element->setIsActive(element == kept[i]);
        sample.page->flipVertical();
        endTurn();
        EXPECT_EQ(sample.document.host.alerts.value(1 + i), QStringLiteral("The picture could not be flipped.")) << i;
    }
    EXPECT_EQ(sample.document.undo.undoCount(), steps + 1) << "nothing to undo";
    keptAsItCame();
}

TEST(ElementFlip, AScanTooLargeToMirrorWithinTheBudgetIsNotFlippedAndSaidSo)
{
    // 47,000 pixels square at one bit: 2.2 GB of 8-bit rows, more than eight
    // readings of the budget each.
    GesturePage sample;
    const QByteArray scan = ql::testing::splitPng(QSize(47000, 47000), 100, ql::testing::SplitDepth::OneBit);
    ZVPuttyView* element =
        sample.add(QRectF(0, 0, 200, 200), ZVPuttyView::initWithImage(ql::Image::fromStoredData(scan)));
    auto* image = static_cast<ZVImageView*>(element->contentView());
    expectFlipRefused(sample, element);
    EXPECT_EQ(ql::storedImageData(image->originalImage()), scan);
}

TEST(ElementFlip, APhotoUnderAMaskThatCannotBeDecodedShowsAPlaceholderAndIsNotFlipped)
{
    GesturePage sample;
    QImage photo(40, 20, QImage::Format_RGB32);
    photo.fill(Qt::blue);
    QPainter(&photo).fillRect(0, 0, 20, 20, Qt::red);
    ZVPuttyView* element = sample.add(QRectF(0, 0, 200, 200), ZVPuttyView::initWithImage(ql::Image(photo)));
    auto* image = static_cast<ZVImageView*>(element->contentView());
    const QByteArray mask = ql::testing::cutShortPng(QSize(30000, 30000));
    {
        const ql::UndoRegistrationBlocker quiet(&sample.document.undo);
        image->setImageMask(ql::Image::fromStoredData(mask));
        image->setImageMaskEnabled(true);
    }
    EXPECT_TRUE(image->picture().isUndecodable()) << "what the mask hides is not shown";
    const ql::Image photoBefore = image->originalImage();

    expectFlipRefused(sample, element);
    EXPECT_EQ(image->originalImage(), photoBefore);
    EXPECT_EQ(ql::storedImageData(image->imageMask()), mask);
    EXPECT_TRUE(image->picture().isUndecodable());
}
