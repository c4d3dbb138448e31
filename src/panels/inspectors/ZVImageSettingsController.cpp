#include "panels/inspectors/ZVImageSettingsController.h"

#include "design/ZVDesignHelper.h"
#include "app/document/DocumentController.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "panels/controls/KeyPathBindings.h"
#include "panels/inspectors/ImageEffectPicker.h"
#include "panels/inspectors/InspectorForm.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Prompter.h"
#include "platform/undo/StateUndo.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>

namespace ql {

namespace {

using Options = KeyPathBinding::Options;
using Number = KeyPathBinding::NumberKind;

ZVImageView* pictureOf(const ZVPuttyView* element)
{
    return element ? qobject_cast<ZVImageView*>(element->contentView()) : nullptr;
}

// The display mode of an element and of its picture. An element without a
// mode of its own passes none to its picture either, which would then stop
// filling its box: taking back the first mode puts the picture's back too.
struct DisplayModes {
    QVariant element;
    QVariant picture;
};

DisplayModes displayModesOf(ZVPuttyView& element)
{
    const ZVImageView* picture = pictureOf(&element);
    return {element.imageMode(), picture ? picture->imageMode() : QVariant()};
}

void restoreDisplayModes(ZVPuttyView& element, const DisplayModes& modes)
{
    element.setValueForKey(u"imageMode", modes.element);
    if (ZVImageView* picture = pictureOf(&element); picture && picture->imageMode() != modes.picture)
        picture->setImageMode(modes.picture);
}

QPushButton* button(const QString& title, const QString& name, QWidget* parent)
{
    auto* control = new QPushButton(title, parent);
    control->setObjectName(name);
    return control;
}

} // namespace

bool ZVImageSettingsController::showsElement(const ZVPuttyView& element) const
{
    return element.contentViewType() == ZVPuttyView::ImageContent && pictureOf(&element);
}

void ZVImageSettingsController::buildView(QWidget* view)
{
    InspectorForm form(view, *bindings());
    const auto number = [](double minimum, double maximum) {
        return Options::numbers(Number::Double, minimum, maximum, QStringLiteral("ZVNumberTransformer"));
    };
    const auto range = [](double minimum, double maximum) { return Options::numbers(Number::Double, minimum, maximum); };

    form.heading(tr("Picture"));
    // A new picture has no mode of its own and fills its box. The element
    // cannot take back the first mode given to it (it had none): that step
    // is recorded here, so that Undo does not skip to an older change.
    Options mode = Options::numbers(Number::Integer, 0, 4);
    mode.display = [](const QVariant& value) -> QVariant { return value.isValid() ? value : QVariant(0); };
    mode.write = [this](KVObject& target, const QVariant& value) {
        auto* element = qobject_cast<ZVPuttyView*>(&target);
        if (element && !element->imageMode().isValid())
            registerStateRestore(undoManager(), *element, displayModesOf(*element),
                                 StateRestore<ZVPuttyView, DisplayModes> {displayModesOf, restoreDisplayModes});
        target.setValueForKey(u"imageMode", value);
    };
    form.popup(tr("Display"), QStringLiteral("imageMode"),
               {tr("Fill"), tr("Fit"), tr("Stretch"), tr("Crop"), tr("Original size")}, mode);
    form.slider(tr("Crop scale"), QStringLiteral("cropScale"), 10, 400, 100, range(0.1, 4.0),
                Options::numbers(Number::Double, 0.1, 4.0, QStringLiteral("ZVPercentageTransformer")));

    form.heading(tr("Adjustments"));
    const struct {
        const char* caption;
        const char* key;
        double minimum, maximum, factor;
    } levels[] = {
        {QT_TR_NOOP("Brightness"), "contentView.brightness", -1, 1, 100},
        {QT_TR_NOOP("Contrast"), "contentView.contrast", 0.25, 4, 100},
        {QT_TR_NOOP("Saturation"), "contentView.saturation", 0, 2, 100},
        {QT_TR_NOOP("Sharpness"), "contentView.sharpness", 0, 2, 100},
        {QT_TR_NOOP("Blur"), "contentView.blur", 0, 20, 10},
    };
    for (const auto& level : levels) {
        form.slider(tr(level.caption), QString::fromLatin1(level.key), int(level.minimum * level.factor),
                    int(level.maximum * level.factor), level.factor, range(level.minimum, level.maximum),
                    number(level.minimum, level.maximum));
    }
    QPushButton* reset = button(tr("Reset"), QStringLiteral("resetLevels"), form.widget());
    connect(reset, &QPushButton::clicked, this, &ZVImageSettingsController::resetLevels);
    form.row(QString(), reset);

    form.heading(tr("Tint"));
    form.check(tr("Tint the picture"), QStringLiteral("contentView.tintEnabled"));
    form.well(tr("Colour"), QStringLiteral("contentView.tintColor"));

    form.heading(tr("Effect"));
    form.check(tr("Apply the effect"), QStringLiteral("contentView.effectsEnabled"));
    auto picker = std::make_unique<ImageEffectPicker>(form.widget());
    m_effects = picker.get();
    form.wide(m_effects->grid());
    bindings()->bind(std::move(picker), QStringLiteral("contentView.imageEffect"),
                     Options::numbers(Number::Integer, 0, 11));

    form.heading(tr("Mask"));
    form.check(tr("Mask the picture"), QStringLiteral("contentView.imageMaskEnabled"));
    QPushButton* choose = button(tr("Choose Mask…"), QStringLiteral("chooseMask"), form.widget());
    connect(choose, &QPushButton::clicked, this, &ZVImageSettingsController::chooseMask);
    form.row(QString(), choose);

    addToView(view, form.widget());
}

void ZVImageSettingsController::elementChanged(ZVPuttyView* element)
{
    ZVImageView* picture = pictureOf(element);
    if (picture != m_followed) {
        if (m_followed)
            m_followed->removeObservers(this);
        m_followed = picture;
        if (picture) {
            // Announced once the original's pixels are in place too.
            picture->addObserver(QStringLiteral("originalCIImage"), this,
                                 [this](const KeyValueChange&) { showEffectsOf(m_followed); });
        }
    }
    showEffectsOf(picture);
}

void ZVImageSettingsController::showEffectsOf(const ZVImageView* picture)
{
    // What adjustments start from: the original's pixels, or the original
    // itself while a stored one is not decoded (the thumbnails decode it
    // only as small as they are).
    Image pixels;
    if (picture)
        pixels = picture->originalCIImage().isNull() ? picture->originalImage() : Image(picture->originalCIImage());
    m_effects->setPicture(pixels);
}

void ZVImageSettingsController::resetLevels()
{
    if (ZVImageView* picture = pictureOf(element()))
        picture->setLevelDefaults();
}

void ZVImageSettingsController::chooseMask()
{
    ZVImageView* picture = pictureOf(element());
    Prompter* prompter = this->prompter();
    if (!picture || !prompter)
        return;
    FilePanelRequest request;
    request.title = tr("Choose a Mask");
    request.allowedExtensions = ZVDesignHelper::sharedInstance().allowedImageExtensions();
    const QStringList chosen = prompter->runOpenPanel(request);
    if (chosen.isEmpty())
        return;
    Result<Image> mask = Image::fromFile(chosen.first());
    if (!mask || mask->isNull()) {
        AlertRequest alert;
        alert.messageText = tr("The mask could not be opened.");
        alert.informativeText =
            tr("“%1” is not a picture Quiverleaf can read.").arg(QFileInfo(chosen.first()).fileName());
        prompter->runAlert(alert);
        return;
    }
    picture->setImageMask(*mask);
    picture->setImageMaskEnabled(true);
}

Prompter* ZVImageSettingsController::prompter() const
{
    return m_prompter ? m_prompter : DocumentController::shared().prompter();
}

} // namespace ql
