// The content inspector of text elements: font, colours, emphasis and
// alignment, spacing, indents and insets, hyphenation, outline, the
// gradient overlay, the templates of page-number and date fields, and the
// stored text styles.
#pragma once

#include "panels/inspectors/ZVInspectorController.h"
#include "platform/graphics/Font.h"

class ZVTextView;

namespace ql {

class FieldFormatPopup;
class InspectorForm;
class TextStyleList;

class ZVTextSettingsController : public ZVInspectorController {
    Q_OBJECT
public:
    using ZVInspectorController::ZVInspectorController;

    ZVTextView* textView() const;
    // A stored style's font over the text the box's formatting applies to.
    void applyStyle(const Font& font);
    TextStyleList* styleList() const { return m_styles; }

protected:
    QString title() const override { return tr("Text"); }
    void buildView(QWidget* view) override;
    bool showsElement(const ZVPuttyView& element) const override;
    void elementChanged(ZVPuttyView* element) override;

private:
    void buildFont(InspectorForm& form);
    void buildParagraph(InspectorForm& form);
    void buildOverlay(InspectorForm& form);
    void buildFields(InspectorForm& form);
    // The font "+" stores: the text's, or the one its settings name.
    std::optional<Font> currentFont() const;

    TextStyleList* m_styles = nullptr;
};

} // namespace ql
