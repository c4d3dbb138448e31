// The QR-code and barcode browser of the content pane: the kind of code,
// the text to encode, a preview that follows the text (or why the text does
// not fit the kind), and "Insert", which puts the code on the current page
// as a picture.
#pragma once

#include "panels/ViewController.h"
#include "panels/browsers/CodeImage.h"
#include "panels/controls/ZVDraggableImageView.h"

#include <QImage>
#include <QPointer>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ql {

class ZVCodeContentViewController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

    QLineEdit* codeField();
    QComboBox* codeKindPicker();
    // Drags the code out as a picture.
    ZVDraggableImageView* previewView();
    QLabel* messageField();
    QPushButton* insertButton();

    // Encodes the field's text in the kind picked and shows it, or the
    // reason it cannot be encoded.
    void previewCode();
    // The code shown, as a new picture element of the current page; false
    // when there is none to insert.
    bool insertCode();
    // The picture shown; null when there is none.
    const QImage& preview() const { return m_preview; }

protected:
    QWidget* loadView() override;

private:
    QPointer<QComboBox> m_kindPicker;
    QPointer<QLineEdit> m_codeField;
    QPointer<ZVDraggableImageView> m_previewView;
    QPointer<QLabel> m_messageField;
    QPointer<QPushButton> m_insertButton;
    QImage m_preview;
};

} // namespace ql
