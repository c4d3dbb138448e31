// The text-box browser of the content pane: a pop-up of seven styles over a
// sample in the style picked, which the user drags onto the page or inserts
// with the action bar's button; the same controller inserts the page-number
// and date fields.
#pragma once

#include "panels/ViewController.h"

#include <QPointer>

class QComboBox;
class QPushButton;

namespace ql {

class ZVDraggableTextField;

class ZVTextContentViewController : public ViewController {
    Q_OBJECT
public:
    enum TextType { PlainText = 0, PageNumber = 1, Date = 2 };

    using ViewController::ViewController;

    // The seven styles: normal, title, subtitle, headings 1 to 3, caption.
    QComboBox* stylePicker();
    // The sample.
    ZVDraggableTextField* textField();
    // The bar along the pane's bottom with the insert buttons.
    QWidget* actionView();
    QPushButton* insertButton();

    // The picker's action.
    void changedSelection(QObject* sender = nullptr);
    // The sample anew, in the font of the style picked (none for no style).
    void setStyle();

    void insertText(QObject* sender = nullptr);
    // A text box (0), page number (1) or date (2) on the current page,
    // highlighted, and active and focused 10 ms later.
    void insertTextWithType(int type);

protected:
    QWidget* loadView() override;

private:
    void setup(QWidget* root);
    void showSample();

    QPointer<QComboBox> m_stylePicker;
    QPointer<ZVDraggableTextField> m_textField;
    QPointer<QWidget> m_actionView;
    QPointer<QPushButton> m_insertButton;
};

} // namespace ql
