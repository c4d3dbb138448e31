// The QR-code and barcode browser of the content pane: the text to encode.
#pragma once

#include "panels/ViewController.h"

#include <QPointer>

class QLineEdit;

namespace ql {

class ZVCodeContentViewController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

    QLineEdit* codeField();

protected:
    QWidget* loadView() override;

private:
    QPointer<QLineEdit> m_codeField;
};

} // namespace ql
