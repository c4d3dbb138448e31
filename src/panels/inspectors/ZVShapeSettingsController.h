// The content inspector of vector shapes: the shape's fill (a background
// picker of the shape's own fill, never the element's background), its
// stroke, dashes, caps and joins, arrowheads, the text along its outline,
// and the adjustment of stars, squares and rings.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"

namespace ql {

class InspectorForm;
class ZVBackgroundPicker;

class ZVShapeSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    explicit ZVShapeSettingsController(QObject* parent = nullptr);

    ZVBackgroundPicker* fillPicker() const { return m_fillPicker; }

protected:
    QString title() const override { return tr("Shape"); }
    void buildView(QWidget* view) override;
    bool showsElement(const ZVPuttyView& element) const override;
    void elementChanged(ZVPuttyView* element) override;

private:
    void buildStroke(InspectorForm& form);
    void buildText(InspectorForm& form);
    void buildAdjustment(InspectorForm& form);

    ZVBackgroundPicker* m_fillPicker;
};

} // namespace ql
