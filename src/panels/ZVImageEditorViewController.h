// The image-editing panel's controller: a tool bar (move, crop and rotate
// tools; zoom out and in; the adjustment panel; Save) over the picture view.
// It edits the picture of one image element and saves it back into the
// element, whose height then follows the new picture's proportions.
#pragma once

#include "panels/ViewController.h"
#include "platform/graphics/Image.h"

#include <QPointer>

class QProgressBar;
class QPushButton;
class ZVPuttyView;

namespace ql {

class ImageEditView;
class SegmentedControl;

class ZVImageEditorViewController : public ViewController {
    Q_OBJECT
public:
    using ViewController::ViewController;

    QWidget* panel() const { return m_panel.data(); }
    void setPanel(QWidget* panel) { m_panel = panel; }
    // The shared adjustment panel, closed whenever one of the document's
    // windows closes.
    QWidget* editor() const { return m_editor.data(); }
    void setEditor(QWidget* editor) { m_editor = editor; }
    ZVPuttyView* puttyView() const;
    void setPuttyView(ZVPuttyView* element);
    const Image& image() const { return m_image; }
    // Shows the picture in the editing view, through a file of the process's
    // own private folder.
    void setImage(const Image& image);

    ImageEditView* imageView();
    QPushButton* saveButton();
    QProgressBar* progressIndicator();
    SegmentedControl* modeControl();
    SegmentedControl* zoomControl();

    // Segment 0 move, 1 crop, 2 rotate; others nothing.
    void changeMode(int segment);
    // Segment 0 zooms out, 1 in; others nothing.
    void zoom(int segment);
    // Opens the adjustment panel on the editing view.
    void editProperties();
    // Applies the crop, puts the picture into the element as its image and
    // original image, fits the element's height to it, re-applies the
    // element's adjustments and closes both panels. Does nothing while Save
    // is disabled.
    void saveImage();
    // Whether there is an element on its page and a picture that saving
    // would not empty.
    bool canSave() const;

    // The picture file of the editing view ("tempcrop.png").
    static QString temporaryImagePath();

protected:
    QWidget* loadView() override;

private:
    void setup(QWidget* root);
    void updateSaveButton();

    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_editor;
    QPointer<ZVPuttyView> m_element;
    Image m_image;
    ImageEditView* m_imageView = nullptr;
    QPushButton* m_saveButton = nullptr;
    QProgressBar* m_progressIndicator = nullptr;
    SegmentedControl* m_modeControl = nullptr;
    SegmentedControl* m_zoomControl = nullptr;
};

} // namespace ql
