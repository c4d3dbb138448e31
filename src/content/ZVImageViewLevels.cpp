// setLevels: from the original picture to the one the element shows.
#include "content/ZVImageView.h"

#include "imaging/ImageBitmap.h"
#include "imaging/ImageMask.h"
#include "imaging/PictureConversions.h"
#include "imaging/effects/ImageLevels.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/BitmapDecoding.h"
#include "platform/graphics/ComputedBitmap.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/runtime/NotificationCenter.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// Beyond these the result no longer changes in a useful way, and stored
// values of any size must not reach the filters.
constexpr double kLargestBlur = 500.0;
constexpr double kLargestSharpness = 20.0;

// A stored number as the filters take it: anything that is not a finite
// number means the setting's default.
double finiteOr(const QVariant& value, double fallback)
{
    if (!ql::isNumeric(value))
        return fallback;
    const double number = value.toDouble();
    return std::isfinite(number) ? number : fallback;
}

ql::effects::LevelSettings levelSettings(const ZVImageView& view)
{
    ql::effects::LevelSettings settings;
    settings.brightness = float(std::clamp(finiteOr(view.brightness(), 0.0), -1e6, 1e6));
    settings.contrast = float(std::clamp(finiteOr(view.contrast(), 1.0), -1e6, 1e6));
    settings.saturation = float(std::clamp(finiteOr(view.saturation(), 1.0), -1e6, 1e6));
    settings.sharpness = float(std::clamp(finiteOr(view.sharpness(), 0.0), -kLargestSharpness, kLargestSharpness));
    settings.blur = std::clamp(finiteOr(view.blur(), 0.0), 0.0, kLargestBlur);
    if (view.tintEnabled()) {
        const ql::Color& tint = view.tintColor();
        settings.tintEnabled = true;
        settings.tint = {float(std::clamp(tint.redComponent(), 0.0, 1.0)),
                         float(std::clamp(tint.greenComponent(), 0.0, 1.0)),
                         float(std::clamp(tint.blueComponent(), 0.0, 1.0)), float(std::clamp(tint.alpha(), 0.0, 1.0))};
        for (float& component : settings.tint) {
            if (!std::isfinite(component))
                component = 1.0f;
        }
    }
    // An effect number no effect has means none.
    const qint64 effect = view.imageEffect();
    settings.effect = view.effectsEnabled() && effect >= 1 && effect <= 11 ? int(effect) : 0;
    return settings;
}

// Whether adjusting (or masking) all of a bitmap's pixels at once would hold
// more than a decoding may meanwhile: its pixels, the adjusted copy at 32
// bits and, for adjustments of the whole picture, their floats. A stored
// picture decoded smaller than its file is shown reduced already: its
// reduced copy is what gets adjusted.
bool tooLargeToAdjustWhole(const ql::ImageRep& original, const ql::effects::LevelSettings& settings)
{
    if (original.kind() != ql::ImageRep::Kind::Bitmap)
        return false;
    const QSize pixels = original.pixelSize();
    if (original.isStored() && original.encoding() == ql::ImageRep::Encoding::Original) {
        QBuffer buffer;
        buffer.setData(original.encodedData());
        buffer.open(QIODevice::ReadOnly);
        const QSize file = QImageReader(&buffer).size();
        if (file.isValid() && (pixels.width() < file.width() || pixels.height() < file.height()))
            return true;
    }
    const double perPixel = 4.0 + 4.0 + (ql::effects::adjustsWholePicture(settings) ? 16.0 : 0.0);
    return double(pixels.width()) * pixels.height() * perPixel > double(ql::bitmaps::kLargestTransientBytes);
}

// The original adjusted, and masked, when drawn, at the size drawn: from the
// original decoded (or reduced) no larger, so that a large scan is never
// adjusted at all its pixels to be shown. At most as many pixels as the
// adjustments would make of the whole decoded original, and no more than
// one picture may take at 32 bits (or as floats, for adjustments that work
// on the whole picture at once).
ql::Image adjustedWhenDrawn(const ql::Image& original, const ql::effects::LevelSettings& settings,
                            const ql::Image& mask)
{
    // What a mask that cannot be decoded hides is not known: none of it shows.
    if (!mask.isNull() && mask.isUndecodable())
        return ql::maskUsingMaskImage(original, mask);
    const ql::ImageRep source = original.firstRepresentation();
    const QSize whole = source.pixelSize();
    QSize largest = ql::bitmaps::decodedSizeWithin(whole, QImage::Format_RGBA8888);
    if (ql::effects::adjustsWholePicture(settings))
        largest = ql::bitmaps::decodedSizeWithin(largest, QImage::Format_RGBA32FPx4);
    const QSizeF points = original.size();
    auto picture = std::make_shared<const ql::ComputedBitmap>(largest, true, [=](QSize size) {
        QImage pixels = source.imageForPixels(size);
        if (pixels.isNull() || whole.isEmpty())
            return QImage();
        if (pixels.width() > size.width() || pixels.height() > size.height())
            pixels = ql::bitmaps::reduced(pixels, size.boundedTo(pixels.size()));
        ql::effects::LevelSettings here = settings;
        here.scale = std::sqrt(double(pixels.width()) / whole.width() * pixels.height() / whole.height());
        const QImage adjusted = ql::effects::applyLevels(pixels, here);
        if (mask.isNull() || adjusted.isNull())
            return adjusted;
        return ql::maskUsingMaskImage(ql::imageFromBitmap(adjusted, points), mask).bitmap();
    });
    return ql::Image(ql::ImageRep::computed(std::move(picture), points));
}

int modeOf(const QVariant& mode)
{
    return ql::isNumeric(mode) ? ql::integerFromVariant<int>(mode) : -1;
}

} // namespace

void ZVImageView::setLevels()
{
    if (m_levelsHolds > 0) {
        m_levelsWaiting = true;
        return;
    }
    // What this does to the view's own settings is not the user's change.
    const UnrecordedChanges unrecorded(*this);
    if (m_isVector) {
        // Vector originals take no adjustments.
        setImage(m_originalImage);
        return;
    }
    setTiledImage(ql::Image());
    setScaleToFill(false);
    setCropMode(false);
    applyDisplayModeScaling();
    const ql::ImageRep first = m_originalImage.firstRepresentation();
    const bool masked = m_imageMaskEnabled && !m_imageMask.isNull();
    const ql::effects::LevelSettings settings = levelSettings(*this);
    const bool unchanged = settings.isIdentity() && !masked;
    if ((first.isStored() && unchanged) || (!unchanged && tooLargeToAdjustWhole(first, settings))) {
        // A stored picture with nothing to change shows as it is, decoded
        // only when drawn; a large one is adjusted (and masked) then too, at
        // the size drawn.
        awaitConversion(false);
        handOver(unchanged ? ql::Image(first)
                           : adjustedWhenDrawn(m_originalImage, settings, masked ? m_imageMask : ql::Image()));
        if (ZVPuttyView* element = puttyView())
            element->setReflection();
        return;
    }
    if (!takeOriginalPixels()) {
        // The original shows as it is meanwhile (a placeholder on screen).
        setImage(m_originalImage);
        return;
    }
    if (m_originalPixels.isNull())
        return;

    const QImage adjusted = ql::effects::applyLevels(m_originalPixels, settings);
    if (adjusted.isNull())
        return;
    // One point a pixel, as the chain measures its blur in pixels.
    ql::Image result = ql::imageFromBitmap(adjusted);
    if (masked)
        result = ql::maskUsingMaskImage(result, m_imageMask);
    handOver(result);
    if (ZVPuttyView* element = puttyView())
        element->setReflection();
}

ZVImageView::HeldLevels::~HeldLevels()
{
    if (!m_view || --m_view->m_levelsHolds > 0 || !m_view->m_levelsWaiting)
        return;
    m_view->m_levelsWaiting = false;
    m_view->setLevels();
}

void ZVImageView::applyDisplayModeScaling()
{
    switch (modeOf(m_imageMode)) {
    case ScaleToFillMode: setScaleToFill(true); break;
    case ProportionalMode: setImageScaling(ScaleProportionallyUpOrDown); break;
    case StretchedMode: setImageScaling(ScaleAxesIndependently); break;
    case CroppedMode:
    case UnscaledMode: setImageScaling(ScaleNone); break;
    default: break; // the scaling stays as it was
    }
}

void ZVImageView::handOver(const ql::Image& adjusted)
{
    // The shown copy keeps the picture's size in points, whatever its
    // resolution: unscaled shows a photo at its own size and crops count in
    // its points, as everywhere else.
    ql::Image result = adjusted;
    if (!m_originalImage.size().isEmpty())
        result.setSize(m_originalImage.size());
    ZVPuttyView* element = puttyView();
    if (!element || modeOf(element->imageMode()) != CroppedMode) {
        setImage(result);
        return;
    }
    setOriginalImageForCropping(result);
    element->applyCropInRect(element->cropRect());
    if (!m_cropMode) {
        // The element would not crop: show the picture whole, unscaled,
        // rather than nothing.
        setScaleToFill(false);
        setImageScaling(ScaleNone);
        setImage(result);
    }
}

bool ZVImageView::takeOriginalPixels()
{
    if (!m_originalPixels.isNull() || m_originalImage.isNull()) {
        awaitConversion(false);
        return true;
    }
    const double density = ql::pixelDensity(m_originalImage);
    const ql::ImageRep first = m_originalImage.firstRepresentation();
    if (first.isStored()) {
        // Decoded at last: its pixels are the adjustments' input as they are.
        awaitConversion(false);
        m_originalPixels = m_originalImage.bitmap();
        return true;
    }
    if (first.kind() != ql::ImageRep::Kind::Eps || m_convertHere) {
        awaitConversion(false);
        m_originalPixels = ql::bitmapOf(m_originalImage, density);
        return true;
    }
    // A view not yet on a page (one being read) has no document to pay:
    // it waits until one draws it.
    const QObject* document = documentObject();
    const QSize pixels(int(std::lround(m_originalImage.size().width() * density)),
                       int(std::lround(m_originalImage.size().height() * density)));
    const ql::PictureConversions::Lookup found =
        document ? ql::PictureConversions::shared().convertedLater(first.data(), first.size(), pixels, document)
                 : ql::PictureConversions::Lookup {};
    // A smaller conversion standing in is not kept: the full one follows.
    const bool ready = found.state == ql::PictureConversions::State::Ready && !found.interim;
    awaitConversion(!ready && found.state != ql::PictureConversions::State::Failed);
    if (!ready)
        return false;
    m_originalPixels = found.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return true;
}

void ZVImageView::awaitConversion(bool waiting)
{
    m_levelsAwaitConversion = waiting;
    ql::NotificationCenter& centre = ql::NotificationCenter::defaultCenter();
    if (!waiting && m_conversionObserver) {
        centre.removeObserver(m_conversionObserver);
        m_conversionObserver = 0;
    } else if (waiting && !m_conversionObserver) {
        m_conversionObserver = centre.addObserver(this, QString::fromLatin1(ql::kPictureConversionFinished), nullptr,
                                                  [this](const ql::Notification&) {
                                                      if (m_levelsAwaitConversion)
                                                          setLevels();
                                                  });
    }
}

void ZVImageView::finishPendingLevels()
{
    if (!m_levelsAwaitConversion)
        return;
    m_convertHere = true;
    setLevels();
    m_convertHere = false;
}

const QObject* ZVImageView::documentObject() const
{
    const ZVPuttyView* element = puttyView();
    const ZVCanvasView* page = element ? element->canvas() : nullptr;
    PageDocument* document = page ? page->document() : nullptr;
    return document ? document->documentObject() : nullptr;
}
