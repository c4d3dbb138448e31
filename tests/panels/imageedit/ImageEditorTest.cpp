#include "app/document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "panels/ZVImageEditorViewController.h"
#include "panels/controls/SegmentedControl.h"
#include "panels/imageedit/ImageAdjustPanel.h"
#include "panels/imageedit/ImageEditView.h"
#include "platform/runtime/Deferred.h"

#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

using namespace ql;

namespace {

// Counts how often the element's adjustments are applied.
class CountingImageView : public ZVImageView {
public:
    void setLevels() override
    {
        ++levelsApplied;
        ZVImageView::setLevels();
    }
    int levelsApplied = 0;
};

// A 400 × 300 picture: red left half, blue right half.
QImage landscapePicture()
{
    QImage picture(400, 300, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::blue);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 200; ++x)
            picture.setPixel(x, y, qRgb(255, 0, 0));
    return picture;
}

class ImageEditor : public ql::testing::DocumentFixture {
protected:
    void SetUp() override
    {
        document = controller.newDocument();
        window = qobject_cast<DocumentWindow*>(document->documentWindow());
        ASSERT_NE(window, nullptr);
        DeferredCalls::instance().flush();
        editor = window->controllers().imageEditorViewController;
    }

    // An image element of the picture whose content is `content` large at (100, 100).
    ZVPuttyView* addElement(QSizeF content)
    {
        auto element = std::make_unique<ZVPuttyView>();
        auto* view = new CountingImageView;
        view->setPuttyView(element.get());
        const Image image(landscapePicture());
        view->setFrame(QRectF(QPointF(0, 0), image.size()));
        view->setOriginalImage(image);
        view->setImage(image);
        element->setContentViewType(ZVPuttyView::ImageContent);
        element->setContentView(view);
        element->setFrame(QRectF(QPointF(60, 60), content + QSizeF(80, 80)));
        ZVPuttyView* added = element.release();
        document->currentPage()->addPuttyView(added);
        return added;
    }

    static CountingImageView* content(ZVPuttyView* element)
    {
        return static_cast<CountingImageView*>(element->contentView());
    }

    Document* document = nullptr;
    DocumentWindow* window = nullptr;
    ZVImageEditorViewController* editor = nullptr;
};

} // namespace

TEST_F(ImageEditor, CroppingFitsTheElementToTheCroppedPictureAndClosesBothPanels)
{
    ZVPuttyView* element = addElement(QSizeF(300, 225));
    window->editImage(element);
    EXPECT_TRUE(window->outlets().editImagePanel->isVisible());
    ImageEditView* view = editor->imageView();
    EXPECT_EQ(view->imageSize(), QSize(400, 300));
    editor->editProperties();
    auto* adjust = ImageAdjustPanel::sharedImageEditPanel();
    EXPECT_EQ(editor->editor(), adjust);
    EXPECT_TRUE(adjust->isVisible());
    EXPECT_EQ(adjust->dataSource(), view);

    view->setCropSelection(QRectF(50, 50, 200, 200));
    ASSERT_TRUE(editor->saveButton()->isEnabled());
    QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
    EXPECT_EQ(element->contentFrame(), QRectF(100, 100, 300, 300));
    EXPECT_EQ(element->frame().size(), QSizeF(380, 380));
    EXPECT_EQ(content(element)->originalImage().pixelSize(), QSize(200, 200));
    EXPECT_EQ(content(element)->levelsApplied, 1);
    EXPECT_FALSE(window->outlets().editImagePanel->isVisible());
    EXPECT_FALSE(adjust->isVisible());
    // The crop kept the picture's left part red and its right part blue.
    const QImage saved = content(element)->originalImage().bitmap();
    EXPECT_EQ(QColor(saved.pixel(10, 100)), QColor(Qt::red));
    EXPECT_EQ(QColor(saved.pixel(190, 100)), QColor(Qt::blue));
}

TEST_F(ImageEditor, TurningAndUnchangedSavesRefitTheHeightToThePicture)
{
    ZVPuttyView* turned = addElement(QSizeF(300, 225));
    window->editImage(turned);
    editor->imageView()->setRotationAngle(90);
    EXPECT_EQ(editor->imageView()->imageSize(), QSize(300, 400));
    editor->saveImage();
    EXPECT_EQ(turned->contentFrame(), QRectF(100, 100, 300, 400));
    EXPECT_EQ(content(turned)->originalImage().pixelSize(), QSize(300, 400));

    // A save without changes still replaces the original and refits.
    ZVPuttyView* squeezed = addElement(QSizeF(300, 100));
    window->editImage(squeezed);
    editor->saveImage();
    EXPECT_EQ(squeezed->contentFrame(), QRectF(100, 100, 300, 225));
    EXPECT_EQ(content(squeezed)->originalImage().pixelSize(), QSize(400, 300));

    // Adjustments from the panel go into the saved picture.
    ZVPuttyView* darker = addElement(QSizeF(300, 225));
    window->editImage(darker);
    editor->editProperties();
    ImageAdjustPanel::sharedImageEditPanel()->brightnessSlider()->setValue(-50);
    editor->saveImage();
    EXPECT_LT(QColor(content(darker)->originalImage().bitmap().pixel(10, 10)).red(), 200);
}

TEST_F(ImageEditor, AnEmptyCropOrADeletedElementChangesNothing)
{
    ZVPuttyView* element = addElement(QSizeF(300, 225));
    window->editImage(element);
    const QRectF frame = element->frame();
    const Image original = content(element)->originalImage();
    for (const QRectF& empty : {QRectF(50, 50, 0, 100), QRectF(500, 500, 40, 40)}) {
        editor->imageView()->setCropSelection(empty);
        EXPECT_TRUE(editor->imageView()->isCropEmpty());
        EXPECT_FALSE(editor->saveButton()->isEnabled());
        editor->saveImage();
        EXPECT_EQ(element->frame(), frame);
        EXPECT_EQ(content(element)->originalImage(), original);
        EXPECT_EQ(content(element)->levelsApplied, 0);
    }

    editor->imageView()->clearCropSelection();
    EXPECT_TRUE(editor->saveButton()->isEnabled());
    document->currentPage()->deletePuttyView(element);
    editor->saveImage();
    EXPECT_EQ(element->frame(), frame);
    EXPECT_EQ(content(element)->originalImage(), original);
    EXPECT_TRUE(window->outlets().editImagePanel->isVisible());
}

TEST_F(ImageEditor, TheToolsCropAndTurnByDragging)
{
    ZVPuttyView* element = addElement(QSizeF(300, 225));
    window->editImage(element);
    window->outlets().editImagePanel->resize(500, 440);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window->outlets().editImagePanel));
    ImageEditView* view = editor->imageView();
    QTest::mouseClick(editor->modeControl()->button(1), Qt::LeftButton);
    EXPECT_EQ(view->currentToolMode(), ImageEditView::CropTool);

    // A drag across the picture selects what it covers.
    const QPoint from = view->mapFromScene(QPointF(100, 50));
    const QPoint to = view->mapFromScene(QPointF(300, 250));
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(view->viewport(), to);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    ASSERT_TRUE(view->cropSelection().has_value());
    const QRect selected = view->cropRect();
    EXPECT_NEAR(selected.width(), 200, 4);
    EXPECT_NEAR(selected.height(), 200, 4);
    // A click elsewhere drops it.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->mapFromScene(QPointF(20, 280)));
    EXPECT_FALSE(view->cropSelection().has_value());

    // Rotating: a quarter turn of the pointer about the centre.
    QTest::mouseClick(editor->modeControl()->button(2), Qt::LeftButton);
    const QPoint centre = view->mapFromScene(view->sceneRect().center());
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, centre + QPoint(80, 0));
    QTest::mouseMove(view->viewport(), centre + QPoint(0, 80));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, centre + QPoint(0, 80));
    EXPECT_NEAR(view->rotationAngle(), 90.0, 2.0);
    // Zoom in and out by its segments; a double click opens the adjustments.
    const double fitted = view->zoomFactor();
    QTest::mouseClick(editor->zoomControl()->button(1), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(view->zoomFactor(), fitted * 2);
    QTest::mouseClick(editor->zoomControl()->button(0), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(view->zoomFactor(), fitted);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
    EXPECT_TRUE(ImageAdjustPanel::sharedImageEditPanel()->isVisible());
    ImageAdjustPanel::sharedImageEditPanel()->close();
}

TEST_F(ImageEditor, ThePictureFileLivesInAPrivateFolderThatGoesWithTheProcess)
{
    const QString path = ZVImageEditorViewController::temporaryImagePath();
    ZVPuttyView* element = addElement(QSizeF(300, 225));
    window->editImage(element);
    const QFileInfo file(path);
    EXPECT_EQ(file.fileName(), "tempcrop.png");
    EXPECT_TRUE(file.isFile());
    // Its folder is the owner's alone.
    const QFileDevice::Permissions folder = QFileInfo(file.absolutePath()).permissions();
    EXPECT_TRUE(folder.testFlags(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
    EXPECT_FALSE(folder & (QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                           | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther));
    EXPECT_NE(file.absolutePath(), QDir::currentPath());

    // Another run of this program writes its own, gone when it ends.
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUIVERLEAF_EDIT_PATH_FILE"), this->path(QStringLiteral("child-path")));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ImageEditorChild.WritesItsPictureAndEnds")});
    ASSERT_TRUE(child.waitForFinished(60000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    const QString childPath = QString::fromUtf8(ql::testing::fileContents(this->path(QStringLiteral("child-path"))));
    ASSERT_TRUE(childPath.endsWith("tempcrop.png"));
    EXPECT_NE(QFileInfo(childPath).absolutePath(), file.absolutePath());
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(childPath).absolutePath()));
}

// Run only as the child of the test above.
TEST(ImageEditorChild, WritesItsPictureAndEnds)
{
    const QString report = qEnvironmentVariable("QUIVERLEAF_EDIT_PATH_FILE");
    if (report.isEmpty())
        GTEST_SKIP() << "runs as another test's child process";
    ZVImageEditorViewController editor;
    editor.setImage(Image(landscapePicture()));
    ASSERT_TRUE(QFileInfo(ZVImageEditorViewController::temporaryImagePath()).isFile());
    ql::testing::writeFile(report, ZVImageEditorViewController::temporaryImagePath().toUtf8());
}
