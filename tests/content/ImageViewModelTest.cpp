// The image content's settings, its border and inner-shadow layers, and the
// undo its changes record on the element's document.
#include "ImageTestSupport.h"
#include "canvas/CanvasTestSupport.h"

#include "content/ShapeLayer.h"
#include "content/ZV3DTextView.h"
#include "content/ZVTextView.h"
#include "platform/graphics/Gradient.h"

#include <gtest/gtest.h>
#include <limits>

using namespace imagetest;

TEST(ImageViewModel, StartsWithEveryDefaultAndObservesItsPathsInOrder)
{
    ZVImageView view(QRectF(0, 0, 100, 50));
    for (const char* key : {"brightness", "blur", "sharpness"})
        EXPECT_EQ(view.valueForKey(QString::fromLatin1(key)), QVariant(0)) << key;
    for (const char* key : {"contrast", "saturation"})
        EXPECT_EQ(view.valueForKey(QString::fromLatin1(key)), QVariant(1)) << key;
    EXPECT_EQ(view.brightness().typeId(), QMetaType::Int) << "integers stay integers";
    EXPECT_EQ(view.imageMode(), QVariant(0));
    EXPECT_EQ(view.imageEffect(), 0);
    EXPECT_EQ(view.tintColor(), ql::Color::white());
    EXPECT_TRUE(view.scaleToFill());
    EXPECT_FALSE(view.cropMode() || view.tintEnabled() || view.effectsEnabled() || view.imageMaskEnabled());
    EXPECT_FALSE(view.currentEmphasis().isValid());
    EXPECT_FALSE(view.valueForKey(u"currentJustification").isValid());
    EXPECT_TRUE(view.isObserving());
    const QStringList paths = view.observingKeyPaths();
    ASSERT_EQ(paths.size(), 23);
    EXPECT_EQ(paths.first(), QStringLiteral("border.cornerRadius"));
    EXPECT_EQ(paths.at(9), QStringLiteral("gradient"));
    EXPECT_EQ(paths.last(), QStringLiteral("imageMask"));

    view.setImageScaling(ZVImageView::ScaleNone);
    EXPECT_EQ(view.imageScaling(), int(ZVImageView::ScaleAxesIndependently)) << "scale to fill holds the scaling";
    view.setScaleToFill(false);
    view.setImageScaling(ZVImageView::ScaleNone);
    EXPECT_EQ(view.imageScaling(), int(ZVImageView::ScaleNone));

    // Display modes pick the scaling; a mode no table row has leaves it.
    view.setOriginalImage(ql::Image(photo(20, 10)));
    const std::pair<int, int> modes[] = {{1, 3}, {2, 1}, {3, 2}, {4, 2}, {7, 2}};
    for (const auto& [mode, scaling] : modes) {
        view.setImageMode(mode);
        EXPECT_EQ(view.imageScaling(), scaling) << "mode " << mode;
        EXPECT_FALSE(view.scaleToFill());
    }
    view.setImageMode(0);
    EXPECT_TRUE(view.scaleToFill());
}

TEST(ImageViewModel, BorderAndInnerShadowLayersFollowTheirKeyPaths)
{
    ZVImageView view(QRectF(40, 40, 100, 50));
    ShapeLayer* border = view.border();
    ShapeLayer* shadow = view.innerShadow();
    ASSERT_TRUE(border && shadow);
    EXPECT_EQ(border->strokeColor().value<ql::Color>(), ql::Color::calibratedRgb(67 / 255.0, 37 / 255.0, 83 / 255.0));
    EXPECT_FALSE(border->fillColor().isValid());
    EXPECT_EQ(border->lineWidth(), 0.0);
    EXPECT_LT(border->zPosition(), shadow->zPosition());
    EXPECT_TRUE(shadow->isHidden());

    ASSERT_TRUE(view.setValueForKeyPath(u"border.lineWidth", 4.0).ok());
    EXPECT_EQ(border->path().bounds(), QRectF(2, 2, 96, 46)) << "a square border is inset by half its width";
    ASSERT_TRUE(view.setValueForKeyPath(u"border.cornerRadius", 5.0).ok());
    EXPECT_EQ(border->path().bounds(), QRectF(0, 0, 100, 50)) << "a rounded one lies on the bounds";
    EXPECT_EQ(view.layerCornerRadius(), 5.0);
    ASSERT_TRUE(view.setValueForKeyPath(u"border.lineDashPattern", QVariantList {6, 2}).ok());
    EXPECT_EQ(border->dashLengths(), (QList<double> {6, 2}));

    view.setInnerShadowEnabled(true);
    EXPECT_FALSE(shadow->isHidden());
    EXPECT_EQ(shadow->fillRule(), 1);
    EXPECT_EQ(shadow->path().bounds(), QRectF(-42, -42, 184, 134));
    EXPECT_EQ(shadow->maskPath().bounds(), QRectF(0, 0, 100, 50));
    // Even-odd: the band is filled, the inside is not.
    const QPainterPath band = shadow->path().toPainterPath();
    EXPECT_TRUE(band.contains(QPointF(-20, 25)));
    EXPECT_FALSE(band.contains(QPointF(50, 25)));

    // Resizing lays the layers out again; a hidden shadow keeps its last path.
    view.setInnerShadowEnabled(false);
    view.setFrame(QRectF(40, 40, 200, 80));
    EXPECT_TRUE(shadow->isHidden());
    EXPECT_EQ(shadow->path().bounds(), QRectF(-42, -42, 184, 134));
    EXPECT_EQ(border->path().bounds(), QRectF(0, 0, 200, 80));

    ASSERT_TRUE(view.setValueForKeyPath(u"innerShadow.shadowOffset", QSizeF(4, 0)).ok());
    ASSERT_TRUE(view.setValueForKeyPath(u"innerShadow.shadowOpacity", 0.5f).ok());
    EXPECT_EQ(shadow->shadowOffset(), QSizeF(4, 0));
    EXPECT_EQ(shadow->shadowOpacity(), 0.5f);

    // Text and 3D text contents have the same pair, laid out the same way
    // (a text view takes its size from its element).
    ZVPuttyView holder;
    holder.setFrame(QRectF(0, 0, 380, 280));
    ZVTextView text(QRectF(40, 40, 10, 10));
    text.setPuttyView(&holder);
    ZV3DTextView deep;
    for (ZVContentView* content : {static_cast<ZVContentView*>(&text), static_cast<ZVContentView*>(&deep)}) {
        ASSERT_TRUE(content->setValueForKeyPath(u"border.lineWidth", 2.0).ok());
        content->setFrame(QRectF(40, 40, 300, 200));
        EXPECT_EQ(content->border()->path().bounds(), QRectF(1, 1, 298, 198));
        content->setInnerShadowEnabled(true);
        content->layout();
        EXPECT_FALSE(content->innerShadow()->isHidden());
    }
}

TEST(ImageViewModel, CropWindowNeverDividesByZero)
{
    ZVImageView view;
    view.setCropRect(QRectF(10, 20, 100, 50));
    view.setCropScale(2);
    EXPECT_EQ(view.cropSourceRect(), QRectF(-10, 20, 50, 25));
    for (double scale : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()}) {
        view.setCropScale(scale);
        EXPECT_EQ(view.cropSourceRect(), QRectF(-10, 20, 100, 50)) << scale;
    }
}

namespace {

struct ImageOnPage {
    TestDocument document;
    ZVCanvasView* page = document.addPage();
    ZVPuttyView* element = nullptr;
    ZVImageView* view = nullptr;

    explicit ImageOnPage(const QImage& picture = photo())
    {
        element = ZVPuttyView::initWithImage(ql::Image(picture)).release();
        page->addPuttyView(element);
        view = qobject_cast<ZVImageView*>(element->contentView());
        view->setLevels();
        endTurn();
        document.undo.removeAllActions();
    }
    ql::UndoManager& undo() { return document.undo; }
};

} // namespace

TEST(ImageViewUndo, AdjustmentsUndoAndRedoThroughTheChain)
{
    ImageOnPage fixture;
    ZVImageView* view = fixture.view;
    const double plain = statsOf(pixelsOf(view->picture())).meanLuma;

    view->setBrightness(0.2);
    endTurn();
    ASSERT_EQ(fixture.undo().undoCount(), 1) << "one step: running the chain records nothing";
    const double bright = statsOf(pixelsOf(view->picture())).meanLuma;
    ASSERT_GT(bright, plain + 10);

    fixture.undo().undo();
    EXPECT_EQ(view->brightness(), QVariant(0));
    EXPECT_NEAR(statsOf(pixelsOf(view->picture())).meanLuma, plain, 0.01);
    fixture.undo().redo();
    EXPECT_EQ(view->brightness(), QVariant(0.2));
    EXPECT_NEAR(statsOf(pixelsOf(view->picture())).meanLuma, bright, 0.01);

    view->setLevels();
    endTurn();
    EXPECT_EQ(fixture.undo().undoCount(), 1) << "setLevels records nothing";
    EXPECT_EQ(fixture.undo().redoCount(), 0);

    // Border paths set through the layers are undone too.
    ASSERT_TRUE(view->setValueForKeyPath(u"border.lineWidth", 3.0).ok());
    endTurn();
    fixture.undo().undo();
    EXPECT_EQ(view->border()->lineWidth(), 0.0);
    fixture.undo().redo();
    EXPECT_EQ(view->border()->lineWidth(), 3.0);
}

TEST(ImageViewUndo, FirstGradientAndMaskCanBeTakenBack)
{
    ImageOnPage fixture;
    ZVImageView* view = fixture.view;
    const ql::Gradient gradient(QList<ql::Gradient::Stop> {{ql::Color::white(), 0.0}, {ql::Color::black(), 1.0}});
    view->setGradient(QVariant::fromValue(gradient));
    endTurn();
    fixture.undo().undo();
    EXPECT_FALSE(view->gradient().isValid()) << "undo restores no gradient";
    fixture.undo().redo();
    EXPECT_EQ(view->gradient().value<ql::Gradient>(), gradient);

    QImage mask(view->originalImage().pixelSize(), QImage::Format_RGB32);
    mask.fill(Qt::white);
    view->setImageMask(ql::Image(mask));
    view->setImageMaskEnabled(true);
    endTurn();
    EXPECT_EQ(qAlpha(view->picture().bitmap().pixel(3, 3)), 0);
    fixture.undo().undo();
    EXPECT_TRUE(view->imageMask().isNull());
    EXPECT_FALSE(view->imageMaskEnabled());
    EXPECT_EQ(qAlpha(view->picture().bitmap().pixel(3, 3)), 255);
}

TEST(ImageViewUndo, CroppedDisplayHandsThePictureToTheCrop)
{
    ImageOnPage fixture(photo(200, 100));
    ZVPuttyView* element = fixture.element;
    ZVImageView* view = fixture.view;
    element->setValueForKey(u"imageXOffset", -10.0);
    element->setValueForKey(u"imageMode", 3);
    EXPECT_TRUE(view->cropMode());
    EXPECT_EQ(view->cropRect(), QRectF(-10, 0, 200, 100));
    EXPECT_FALSE(view->originalImageForCropping().isNull());

    view->setSaturation(0);
    EXPECT_TRUE(view->cropMode()) << "the chain gives the crop back";
    const QImage cropped = pixelsOf(view->originalImageForCropping());
    EXPECT_EQ(qRed(cropped.pixel(30, 30)), qGreen(cropped.pixel(30, 30)));

    // An element in mode 3 that would not crop shows the picture unscaled.
    element->setValueForKey(u"cropEligible", false);
    view->setLevels();
    EXPECT_FALSE(view->cropMode());
    EXPECT_FALSE(view->image().isNull());
    EXPECT_EQ(view->imageScaling(), int(ZVImageView::ScaleNone));

    element->setValueForKey(u"imageMode", 0);
    EXPECT_FALSE(view->cropMode());
    EXPECT_TRUE(view->scaleToFill());
    EXPECT_FALSE(view->image().isNull());
}

TEST(ImageViewModel, UnscaledDisplayShowsAPhotoAtItsOwnSizeInPoints)
{
    QImage dense = photo(600, 300);
    dense.setDotsPerMeterX(qRound(300 / 0.0254));
    dense.setDotsPerMeterY(qRound(300 / 0.0254));
    ImageOnPage fixture(dense);
    ZVImageView* view = fixture.view;
    fixture.element->setValueForKey(u"imageMode", 4);
    EXPECT_EQ(view->imageScaling(), int(ZVImageView::ScaleNone));
    const auto inPoints = [&](const char* what) {
        EXPECT_NEAR(view->image().size().width(), 144, 0.01) << what;
        EXPECT_NEAR(view->image().size().height(), 72, 0.01) << what;
    };
    inPoints("unadjusted");
    view->setSaturation(0);
    inPoints("adjusted");
    EXPECT_EQ(view->image().pixelSize(), QSize(600, 300)) << "every pixel kept";
}
