// The content inspector of 3D text: the string, its font, apparent size,
// depth, chamfer, front and side colours and shine, and the button that
// lets drags on the page turn the text ("Rotate 3D Text", then "Done").
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

class QPushButton;

namespace ql {

class ZV3DTextSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

    QPushButton* rotateButton() const { return m_rotate; }

protected:
    QString title() const override { return tr("3D Text"); }
    void buildView(QWidget* view) override;
    bool showsElement(const ZVPuttyView& element) const override;

private:
    QPushButton* m_rotate = nullptr;
};

} // namespace ql
