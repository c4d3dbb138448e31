// The image-editing panel's controller: the element and picture it works
// on, the panel it lives in and the editing window it may open.
#pragma once

#include "panels/ViewController.h"
#include "platform/graphics/Image.h"

#include <QPointer>

class ZVPuttyView;

namespace ql {

class ZVImageEditorViewController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

    QWidget* panel() const { return m_panel.data(); }
    void setPanel(QWidget* panel) { m_panel = panel; }
    // The editing window, closed whenever one of the document's windows closes.
    QWidget* editor() const { return m_editor.data(); }
    void setEditor(QWidget* editor) { m_editor = editor; }
    ZVPuttyView* puttyView() const;
    void setPuttyView(ZVPuttyView* element);
    const Image& image() const { return m_image; }
    void setImage(const Image& image) { m_image = image; }

protected:
    QWidget* loadView() override;

private:
    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_editor;
    QPointer<ZVPuttyView> m_element;
    Image m_image;
};

} // namespace ql
