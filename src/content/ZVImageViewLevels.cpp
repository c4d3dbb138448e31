// setLevels: from the original picture to the one the element shows.
#include "content/ZVImageView.h"

#include "imaging/ImageBitmap.h"
#include "imaging/ImageMask.h"
#include "imaging/PictureConversions.h"
#include "imaging/effects/ImageLevels.h"
#include "canvas/PageDocument.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "platform/graphics/PictureConversionScope.h"
#include "platform/runtime/NotificationCenter.h"

#include <algorithm>
#include <cmath>

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
    if (first.isStored() && levelSettings(*this).isIdentity() && !(m_imageMaskEnabled && !m_imageMask.isNull())) {
        // Nothing to adjust: the stored picture shows as it is, and is
        // decoded only when drawn.
        awaitConversion(false);
        handOver(ql::Image(first));
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

    const QImage adjusted = ql::effects::applyLevels(m_originalPixels, levelSettings(*this));
    if (adjusted.isNull())
        return;
    // One point a pixel, as the chain measures its blur in pixels.
    ql::Image result = ql::imageFromBitmap(adjusted);
    if (m_imageMaskEnabled && !m_imageMask.isNull())
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
