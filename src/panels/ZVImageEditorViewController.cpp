#include "panels/ZVImageEditorViewController.h"

#include "imaging/ImageBitmap.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "panels/controls/ScreenPlacement.h"
#include "panels/controls/SegmentedControl.h"
#include "panels/controls/ToolWindow.h"
#include "panels/imageedit/ImageAdjustPanel.h"
#include "panels/imageedit/ImageEditView.h"
#include "platform/undo/StateUndo.h"
#include "util/icons/ICFIconFactory.h"
#include "util/layout/PinLayout.h"

#include <QDir>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtDebug>

namespace ql {

namespace {

QList<QImage> icons(std::initializer_list<char32_t> codes)
{
    ICFIconFactory factory = ICFIconFactory::toolbarItemIconFactory();
    factory.setColors({QColor(Qt::darkGray)});
    factory.setStrokeColor(Qt::black);
    factory.setStrokeWidth(0);
    QList<QImage> made;
    for (char32_t code : codes)
        made.append(factory.createImageForIcon(code));
    return made;
}

ZVImageView* imageContent(ZVPuttyView* element)
{
    return element ? qobject_cast<ZVImageView*>(element->contentView()) : nullptr;
}

// What saving an edit replaces: the picture shown, the original adjustments
// start from (and crops cut from), and the element's frame.
struct EditedPicture {
    Image picture;
    Image original;
    Image forCropping;
    QRectF frame;
};

EditedPicture editedPictureOf(ZVPuttyView& element)
{
    const ZVImageView* content = imageContent(&element);
    if (!content)
        return {Image(), Image(), Image(), element.frame()};
    return {content->picture(), content->originalImage(), content->originalImageForCropping(), element.frame()};
}

void restoreEditedPicture(ZVPuttyView& element, const EditedPicture& state)
{
    ZVImageView* content = imageContent(&element);
    if (!content)
        return;
    content->setOriginalImage(state.original);
    content->setOriginalImageForCropping(state.forCropping);
    content->setImage(state.picture);
    element.setFrame(state.frame);
    element.setReflection();
}

// Still on its page: a deleted element stays alive for undo, off its page.
bool isOnPage(ZVPuttyView* element)
{
    const ZVCanvasView* page = element ? element->canvas() : nullptr;
    return page && page->puttyViews().contains(element);
}

} // namespace

QString ZVImageEditorViewController::temporaryImagePath()
{
    // Private to the process (0700) and removed when it ends, so that the
    // picture neither lands in whatever the current folder is nor meets
    // another program's file.
    static QTemporaryDir folder(QDir::temp().filePath(QStringLiteral("quiverleaf-edit-XXXXXX")));
    return folder.isValid() ? folder.filePath(QStringLiteral("tempcrop.png")) : QString();
}

ZVPuttyView* ZVImageEditorViewController::puttyView() const
{
    return m_element.data();
}

void ZVImageEditorViewController::setPuttyView(ZVPuttyView* element)
{
    m_element = element;
    updateSaveButton();
}

ImageEditView* ZVImageEditorViewController::imageView()
{
    view();
    return m_imageView;
}

QPushButton* ZVImageEditorViewController::saveButton()
{
    view();
    return m_saveButton;
}

QProgressBar* ZVImageEditorViewController::progressIndicator()
{
    view();
    return m_progressIndicator;
}

SegmentedControl* ZVImageEditorViewController::modeControl()
{
    view();
    return m_modeControl;
}

SegmentedControl* ZVImageEditorViewController::zoomControl()
{
    view();
    return m_zoomControl;
}

QWidget* ZVImageEditorViewController::loadView()
{
    auto* root = new QWidget;
    root->setObjectName(nibName());
    setup(root);
    return root;
}

void ZVImageEditorViewController::setup(QWidget* root)
{
    auto* bar = new QWidget(root);
    bar->setObjectName(QStringLiteral("toolBar"));
    autoPinEdgeToSuperviewEdge(bar, PinEdge::Top, 0);
    autoPinEdgeToSuperviewEdge(bar, PinEdge::Left, 0);
    autoPinEdgeToSuperviewEdge(bar, PinEdge::Right, 0);
    autoSetDimension(bar, PinDimension::Height, 30);
    m_modeControl = new SegmentedControl(bar);
    m_modeControl->setObjectName(QStringLiteral("modeControl"));
    m_modeControl->setSegments(icons({0xF047, 0xF125, 0xF01E}), {tr("Move"), tr("Crop"), tr("Rotate")});
    m_modeControl->setSelectedSegment(0);
    connect(m_modeControl, &SegmentedControl::segmentChosen, this, &ZVImageEditorViewController::changeMode);
    m_zoomControl = new SegmentedControl(bar);
    m_zoomControl->setObjectName(QStringLiteral("zoomControl"));
    m_zoomControl->setSegments(icons({0xF010, 0xF00E}), {tr("Zoom Out"), tr("Zoom In")});
    connect(m_zoomControl, &SegmentedControl::segmentChosen, this, &ZVImageEditorViewController::zoom);
    auto* adjust = new QPushButton(tr("Adjust…"), bar);
    adjust->setObjectName(QStringLiteral("adjustButton"));
    connect(adjust, &QPushButton::clicked, this, &ZVImageEditorViewController::editProperties);
    m_progressIndicator = new QProgressBar(bar);
    m_progressIndicator->setRange(0, 0);
    m_progressIndicator->setMaximumWidth(80);
    m_progressIndicator->hide();
    m_saveButton = new QPushButton(tr("Save"), bar);
    m_saveButton->setObjectName(QStringLiteral("saveButton"));
    connect(m_saveButton, &QPushButton::clicked, this, &ZVImageEditorViewController::saveImage);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 0, 4, 0);
    row->addWidget(m_modeControl);
    row->addWidget(m_zoomControl);
    row->addWidget(adjust);
    row->addStretch(1);
    row->addWidget(m_progressIndicator);
    row->addWidget(m_saveButton);

    // 1. The view under the 30-point tool bar.
    m_imageView = new ImageEditView(root);
    m_imageView->setObjectName(QStringLiteral("imageView"));
    autoPinEdgesToSuperviewEdgesWithInsets(m_imageView, QMarginsF(0, 30, 0, 0));
    // 2. Double clicking opens the adjustments; the move tool; editable.
    connect(m_imageView, &ImageEditView::doubleClicked, this, &ZVImageEditorViewController::editProperties);
    m_imageView->setCurrentToolMode(ImageEditView::MoveTool);
    m_imageView->setEditable(true);
    connect(m_imageView, &ImageEditView::imageChanged, this, &ZVImageEditorViewController::updateSaveButton);
    connect(m_imageView, &ImageEditView::cropSelectionChanged, this, &ZVImageEditorViewController::updateSaveButton);
    // 3. The shared adjustment panel.
    m_editor = ImageAdjustPanel::sharedImageEditPanel();
    updateSaveButton();
}

void ZVImageEditorViewController::setImage(const Image& image)
{
    m_image = image;
    view();
    m_progressIndicator->show();
    const QImage pixels = bitmapOf(image, pixelDensity(image));
    const QString path = temporaryImagePath();
    if (pixels.isNull() || path.isEmpty() || !pixels.save(path, "PNG") ||
        !m_imageView->setImageWithURL(QUrl::fromLocalFile(path))) {
        if (!image.isNull())
            qWarning() << "The picture could not be opened for editing";
        m_imageView->setImage(QImage());
    }
    m_imageView->zoomImageToFit();
    m_progressIndicator->hide();
    updateSaveButton();
}

void ZVImageEditorViewController::changeMode(int segment)
{
    if (segment >= ImageEditView::MoveTool && segment <= ImageEditView::RotateTool)
        imageView()->setCurrentToolMode(segment);
}

void ZVImageEditorViewController::zoom(int segment)
{
    if (segment == 0)
        imageView()->zoomOut();
    else if (segment == 1)
        imageView()->zoomIn();
}

void ZVImageEditorViewController::editProperties()
{
    auto* panel = qobject_cast<ImageAdjustPanel*>(m_editor.data());
    if (!panel)
        return;
    // The screen's origin corner in the platform's bottom-up terms: the
    // bottom-left, out of the way of the menus and the window's toolbar; on
    // the screen of the document window the editor belongs to.
    QWidget* documentWindow = m_panel && m_panel->parentWidget() ? m_panel->parentWidget() : imageView();
    const QRect screen = ScreenPlacement::availableGeometryOf(documentWindow);
    panel->adjustSize();
    const int height = ScreenPlacement::frameSize(*panel).height();
    ScreenPlacement::place(*panel, QPoint(screen.left(), screen.bottom() + 1 - height), screen);
    panel->setDataSource(imageView());
    ToolWindow::present(*panel, imageView());
}

bool ZVImageEditorViewController::canSave() const
{
    return m_imageView && m_imageView->hasImage() && !m_imageView->isCropEmpty() && imageContent(m_element)
        && isOnPage(m_element);
}

void ZVImageEditorViewController::updateSaveButton()
{
    if (m_saveButton)
        m_saveButton->setEnabled(canSave());
}

void ZVImageEditorViewController::saveImage()
{
    if (!canSave())
        return;
    ZVPuttyView* element = m_element;
    ZVImageView* content = imageContent(element);
    // 1. and 2. The crop applied, the picture at its size.
    m_imageView->crop();
    const QImage pixels = m_imageView->image();
    if (pixels.isNull() || pixels.width() <= 0 || pixels.height() <= 0)
        return;
    const Image edited = imageFromBitmap(pixels);
    // One step takes the whole edit back: undoing part of it (the frame
    // without the picture) would distort the picture.
    UndoManager* undo = element->undoManager();
    registerStateRestore(undo, *element, editedPictureOf(*element),
                         StateRestore<ZVPuttyView, EditedPicture> {editedPictureOf, restoreEditedPicture});
    {
        const UndoRegistrationBlocker blocker(undo);
        // 3. Picture and original, so that later effects start from it.
        content->setImage(edited);
        content->setOriginalImage(edited);
        // 4. The height follows the picture's proportions.
        const double ratio = double(pixels.width()) / double(pixels.height());
        QRectF frame = element->contentFrame();
        frame.setHeight(frame.width() / ratio);
        element->setFrame(frame.adjusted(-ZVPuttyView::kMargin, -ZVPuttyView::kMargin, ZVPuttyView::kMargin,
                                         ZVPuttyView::kMargin));
        // 5. The element's own adjustments on the new picture.
        content->setLevels();
    }
    // 6. Both panels close.
    if (m_panel)
        m_panel->close();
    if (m_editor)
        m_editor->close();
}

} // namespace ql
