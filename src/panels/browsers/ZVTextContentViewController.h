// The text-box browser of the content pane: a style picker with a styled
// sample, and the insertion of text boxes, page numbers and dates.
#pragma once

#include "panels/ViewController.h"

#include <QPointer>

class QComboBox;
class QLabel;

namespace ql {

class AttributedString;

class ZVTextContentViewController : public ViewController {
    Q_OBJECT
public:
    enum TextType { PlainText = 0, PageNumber = 1, Date = 2 };

    using ViewController::ViewController;

    // The seven styles: normal, title, subtitle, heading 1 to 3, caption.
    QComboBox* stylePicker();
    QLabel* sampleField();
    // The sample in the font of the style picked.
    void setStyle();
    // The sample's text with its style.
    AttributedString styledSample();

    void insertText(QObject* sender = nullptr);
    // A text box (0), page number (1) or date (2) on the current page,
    // highlighted, and active and focused 10 ms later.
    void insertTextWithType(int type);

protected:
    QWidget* loadView() override;

private:
    void showStyle();

    QPointer<QComboBox> m_stylePicker;
    QPointer<QLabel> m_sampleField;
};

} // namespace ql
