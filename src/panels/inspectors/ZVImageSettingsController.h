// The content inspector of picture elements: how the picture fills its box
// and its crop scale (the element's), and the picture's adjustments, tint,
// effect and mask; "Reset" puts the adjustments back as one step.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

#include <QPointer>

class QPushButton;
class ZVImageView;

namespace ql {

class ImageEffectPicker;
class Prompter;

class ZVImageSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

    // Brightness, contrast, saturation, blur and sharpness back to their
    // defaults, undone as one step.
    void resetLevels();
    // A picture file through the open panel becomes the mask, and the mask
    // is applied; a file that is no picture changes nothing and says so.
    void chooseMask();
    void setPrompter(Prompter* prompter) { m_prompter = prompter; }
    ImageEffectPicker* effectPicker() const { return m_effects; }

protected:
    QString title() const override { return tr("Image"); }
    void buildView(QWidget* view) override;
    bool showsElement(const ZVPuttyView& element) const override;
    void elementChanged(ZVPuttyView* element) override;

private:
    Prompter* prompter() const;
    // The effect thumbnails made from the shown picture's original.
    void showEffectsOf(const ZVImageView* picture);

    ImageEffectPicker* m_effects = nullptr;
    Prompter* m_prompter = nullptr;
    // The picture whose original the thumbnails follow (a flip, an edit or
    // their undo replaces it).
    QPointer<ZVImageView> m_followed;
};

} // namespace ql
