// Changes made through the real window after a save, one row each: every one
// marks the document edited, so closing asks; Undo brings back exactly what
// was saved and Redo the change; the alert's Save keeps the change for the
// next opening.
#include "../document/DocumentTestSupport.h"

#include "app/document/Document.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/ZVPuttyView.h"
#include "canvas/view/ZVScrollView.h"
#include "panels/ZVImageEditorViewController.h"
#include "panels/imageedit/ImageEditView.h"
#include "platform/graphics/Image.h"
#include "platform/runtime/Deferred.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <functional>

using namespace ql;

namespace {

// The saved page: a picture and a text box at the top and a 3D text below
// them, all on the layer "Upper" above an empty "Background".
const QRectF kPictureFrame(60, 60, 280, 230);
const QRectF kTextFrame(360, 60, 200, 150);
const QRectF kDeepFrame(60, 360, 500, 200);

class UnsavedChanges : public ql::testing::DocumentFixture {
public:
    void SetUp() override
    {
        Document* made = controller.newDocument();
        ZVCanvasView* page = made->currentPage();
        QImage picture(400, 300, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        page->setCurrentLayoutLayer(page->addLayoutLayer(QStringLiteral("Upper")));
        const auto add = [page](std::unique_ptr<ZVPuttyView> element, const QRectF& frame) {
            element->setFrame(frame);
            page->addPuttyView(element.release());
        };
        add(ZVPuttyView::initWithImage(Image(picture)), kPictureFrame);
        add(ZVPuttyView::initWithText(), kTextFrame);
        add(ZVPuttyView::initWith3DText(QStringLiteral("Deep")), kDeepFrame);
        ASSERT_TRUE(controller.saveDocumentToFile(made, path(QStringLiteral("pristine.qvleaf"))));
        ASSERT_TRUE(controller.closeDocument(made));
    }

    // Opens a copy of the saved document in its window at 100 %.
    void open(const QString& file)
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        ASSERT_TRUE(QFile::copy(path(QStringLiteral("pristine.qvleaf")), file));
        const Result<Document*> opened = controller.openDocumentWithContentsOfFile(file);
        ASSERT_TRUE(opened) << opened.error().message.toStdString();
        document = *opened;
        window = qobject_cast<DocumentWindow*>(document->documentWindow());
        ASSERT_NE(window, nullptr);
        window->resize(1400, 1000);
        window->show();
        window->scrollView()->setMagnification(1.0);
        settle();
    }

    // What the user does next comes in another turn of the event loop.
    static void settle()
    {
        DeferredCalls::instance().flush();
        QCoreApplication::processEvents();
    }

    // What the document keeps, with nothing selected: the file records the
    // selection too, but choosing is no change of the document.
    QByteArray archive() const
    {
        document->currentPage()->clearPuttyViews();
        settle();
        const Result<QByteArray> data = document->dataOfType(kDesktopDocumentType);
        return data ? *data : QByteArray();
    }

    void mouse(QEvent::Type type, QPointF pagePoint, Qt::MouseButtons held = Qt::NoButton)
    {
        QWidget* viewport = window->scrollView()->viewport();
        const QPointF local = window->scrollView()->mapFromPage(pagePoint);
        QMouseEvent event(type, local, local, viewport->mapToGlobal(local), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    void click(QPointF pagePoint)
    {
        mouse(QEvent::MouseButtonPress, pagePoint, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, pagePoint);
        settle();
    }
    void doubleClick(QPointF pagePoint)
    {
        mouse(QEvent::MouseButtonPress, pagePoint, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, pagePoint);
        mouse(QEvent::MouseButtonDblClick, pagePoint, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, pagePoint);
        settle();
    }
    void drag(QPointF from, QPointF to)
    {
        mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
        mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        mouse(QEvent::MouseMove, to, Qt::LeftButton);
        mouse(QEvent::MouseButtonRelease, to);
        settle();
    }
    void chooseMenuItem(const QString& itemPath)
    {
        window->menus().validateMenus();
        QAction* item = window->menus().itemAtPath(itemPath);
        ASSERT_NE(item, nullptr) << itemPath.toStdString();
        ASSERT_TRUE(item->isEnabled()) << itemPath.toStdString();
        item->trigger();
        settle();
    }

    // Another entry of a popup of the content inspector, chosen as the user
    // chooses it.
    void choose(const QString& popupName, const QString& entry)
    {
        window->changeInspectorView(2);
        settle();
        auto* popup = window->outlets().inspectorView->findChild<QComboBox*>(popupName);
        ASSERT_NE(popup, nullptr) << popupName.toStdString();
        const int index = popup->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        ASSERT_NE(index, popup->currentIndex());
        popup->setCurrentIndex(index);
        emit popup->activated(index);
        settle();
    }

    // Makes the change on a copy of the saved document, then checks what
    // the change, Undo, Redo, closing and opening again give.
    void check(const std::function<void()>& change, const QString& folder)
    {
        const QString file = path(folder + QStringLiteral("/flyer.qvleaf"));
        open(file);
        const QByteArray saved = archive();
        ASSERT_FALSE(document->isDocumentEdited());

        change();
        EXPECT_TRUE(document->isDocumentEdited());
        const QByteArray changed = archive();
        EXPECT_TRUE(changed != saved) << "the change is part of the document";

        document->undoManager()->undo();
        settle();
        EXPECT_TRUE(archive() == saved) << "one Undo takes the whole change back";
        EXPECT_FALSE(document->isDocumentEdited());
        document->undoManager()->redo();
        settle();
        EXPECT_TRUE(archive() == changed) << "Redo makes it again";

        prompter.alerts.clear();
        prompter.answerAlert(0); // Save
        ASSERT_TRUE(controller.closeDocument(document));
        ASSERT_EQ(prompter.alerts.size(), 1) << "closing asks";
        EXPECT_EQ(prompter.alerts[0].messageText,
                  QStringLiteral("Do you want to save the changes made to the document “flyer”?"));
        const Result<Document*> reopened = controller.openDocumentWithContentsOfFile(file);
        ASSERT_TRUE(reopened);
        document = *reopened;
        EXPECT_TRUE(archive() == changed) << "kept by the alert's Save";
        EXPECT_TRUE(controller.closeDocument(document));
    }

    Document* document = nullptr;
    DocumentWindow* window = nullptr;
};

struct Change {
    const char* name;
    std::function<void(UnsavedChanges&)> make;
};

} // namespace

TEST_F(UnsavedChanges, EachChangeIsAskedAboutOnClosingAndUndoesToTheSavedState)
{
    const QPointF picture = kPictureFrame.center();
    const QPointF deep = kDeepFrame.center();
    const Change changes[] = {
        {"Arrange ▸ Move to Layer",
         [picture](UnsavedChanges& t) {
             t.click(picture);
             t.chooseMenuItem(QStringLiteral("Arrange/Move to Layer/Background"));
         }},
        {"the image editor's Save",
         [picture](UnsavedChanges& t) {
             t.doubleClick(picture);
             ZVImageEditorViewController* editor = t.window->controllers().imageEditorViewController;
             ASSERT_TRUE(t.window->outlets().editImagePanel->isVisible());
             editor->imageView()->setRotationAngle(90);
             editor->imageView()->setCropSelection(QRectF(0, 0, 200, 300));
             QTest::mouseClick(editor->saveButton(), Qt::LeftButton);
             settle();
         }},
        {"the first display mode chosen for a picture",
         [picture](UnsavedChanges& t) {
             t.click(picture);
             t.choose(QStringLiteral("imageMode"), QStringLiteral("Fit"));
         }},
        {"a text box's font family",
         [](UnsavedChanges& t) {
             t.click(kTextFrame.center());
             t.choose(QStringLiteral("contentView.currentFontFamilyName"), QStringLiteral("Liberation Serif"));
         }},
        {"turning 3D text with the camera",
         [deep](UnsavedChanges& t) {
             t.doubleClick(deep);
             t.drag(deep, deep + QPointF(80, 30));
             t.click(QPointF(500, 700));
         }},
    };

    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        check([this, &change] { change.make(*this); }, QString::number(&change - changes));
    }
}

TEST_F(UnsavedChanges, EachCameraDragIsAStepOfItsOwn)
{
    open(path(QStringLiteral("flyer.qvleaf")));
    const QPointF deep = kDeepFrame.center();
    doubleClick(deep);
    drag(deep, deep + QPointF(60, 0));
    const QByteArray once = archive();
    doubleClick(deep);
    drag(deep, deep + QPointF(0, 40));
    EXPECT_TRUE(archive() != once);
    document->undoManager()->undo();
    settle();
    EXPECT_TRUE(archive() == once) << "Undo takes back the last drag only";
}
