#include "BucketServer.h"
#include "app/document/DocumentTestSupport.h"

#include "app/AppDelegate.h"
#include "design/ZVDesignHelper.h"
#include "app/document/Document.h"
#include "app/document/DocumentArchive.h"
#include "app/window/DocumentWindow.h"
#include "app/window/WindowMenus.h"
#include "canvas/ZVCanvasView.h"
#include "net/HTS3Manager.h"
#include "panels/templates/BlankTemplate.h"
#include "panels/templates/TemplateLibrary.h"
#include "panels/templates/ZVTemplateWindowController.h"
#include "platform/runtime/Deferred.h"

#include <QBuffer>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace ql;
using ql::test::BucketServer;

namespace {

QStringList titles(const QList<TemplateSource>& sources)
{
    QStringList result;
    for (const TemplateSource& source : sources)
        result.append(source.title);
    return result;
}

QStringList titles(const TemplateSource& source)
{
    QStringList result;
    for (const TemplateEntry& entry : source.entries)
        result.append(entry.title);
    return result;
}

class TemplateChooser : public ql::testing::DocumentFixture {
protected:
    std::unique_ptr<ZVTemplateWindowController> chooser(const HTS3Configuration& bucket = {})
    {
        auto manager = std::make_shared<HTS3Manager>(bucket, path(QStringLiteral("cache")));
        manager->setTimeouts(5000, 1500);
        auto made = std::make_unique<ZVTemplateWindowController>(controller, manager);
        made->setSavedTemplatesFolder(templates());
        return made;
    }
    QString templates() const { return path(QStringLiteral("Templates")); }

    void showAndWait(ZVTemplateWindowController& chooser)
    {
        chooser.showWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(chooser.window()));
    }

    // Double clicks the thumbnail at `index` of the shown source.
    void doubleClick(ZVTemplateWindowController& chooser, qint64 index)
    {
        GVGridView* grid = chooser.gridView();
        grid->scrollToItemAtIndex(index);
        QTest::mouseDClick(grid, Qt::LeftButton, {}, grid->rectForItemAtIndex(index).center());
    }
};

} // namespace

TEST_F(TemplateChooser, ABlankPageSizeOpensAsAnUntitledUnmodifiedDocument)
{
    auto templateChooser = chooser();
    EXPECT_FALSE(templateChooser->isWindowLoaded());
    showAndWait(*templateChooser);
    // No bucket: nothing is listed, nothing is asked.
    EXPECT_FALSE(templateChooser->isListing());
    EXPECT_EQ(titles(templateChooser->sources()), (QStringList {"Blank", "My Templates"}));
    const TemplateSource& blank = templateChooser->sources()[0];
    EXPECT_EQ(titles(blank), (QStringList {"Letter", "Letter Landscape", "A4", "Legal", "Tabloid", "Postcard",
                                           "Business Card"}));
    const QSize a4 = blank.entries[2].thumbnail.pixelSize();
    EXPECT_NEAR(double(a4.width()) / a4.height(), 595.0 / 842.0, 0.01);

    GVGridViewItem* item = templateChooser->gridView()->itemAtIndex(2);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->itemTitle(), "A4");
    EXPECT_TRUE(item->hasShadow());
    EXPECT_TRUE(item->disableDragging());

    doubleClick(*templateChooser, 2);
    ASSERT_EQ(controller.documents().size(), 1);
    Document* document = controller.documents().first();
    EXPECT_TRUE(document->filePath().isEmpty());
    EXPECT_FALSE(document->isDocumentEdited());
    ASSERT_EQ(document->contentPages().size(), 1);
    ASSERT_EQ(document->masterPages().size(), 1);
    for (const ZVCanvasView* page : {document->contentPages().first(), document->masterPages().first()}) {
        EXPECT_EQ(page->pageSize(), 9);
        EXPECT_EQ(page->frame().size(), QSizeF(595, 842));
    }
    EXPECT_TRUE(prompter.alerts.isEmpty());
}

TEST_F(TemplateChooser, SavedTemplatesAreReadAgainAtEachShowingAndOpenWithTheirPages)
{
    auto templateChooser = chooser();
    showAndWait(*templateChooser);
    EXPECT_TRUE(templateChooser->sources()[1].entries.isEmpty());

    // A template as saving one leaves it: the saved document and its picture.
    Document* original = controller.newDocument();
    original->insertPageAfter();
    original->insertPageAfter();
    ASSERT_TRUE(controller.saveDocumentToFile(original, path(QStringLiteral("brochure.qvleaf"))).ok());
    ASSERT_TRUE(QDir().mkpath(templates()));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("brochure.qvleaf")), templates() + "/Brochure.qvleaf"));
    QImage picture(297, 385, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(templates() + "/Brochure.jpg", "JPEG", 80));
    ql::testing::writeFile(templates() + "/Another.qvleaf", ql::testing::fileContents(path(QStringLiteral("brochure.qvleaf"))));
    ql::testing::writeFile(templates() + "/notes.txt", "not a template");
    controller.closeDocument(original);

    showAndWait(*templateChooser);
    const TemplateSource& saved = templateChooser->sources()[1];
    EXPECT_EQ(titles(saved), (QStringList {"Another", "Brochure"}));
    EXPECT_EQ(saved.entries[1].thumbnail.pixelSize(), QSize(154, 200)) << "the picture, fitted to its cell";
    EXPECT_EQ(saved.entries[0].thumbnail, TemplateLibrary::placeholder());

    templateChooser->sourceList()->setCurrentRow(1);
    EXPECT_EQ(templateChooser->selectedSourceIndex(), 1);
    templateChooser->gridView()->selectItemAtIndex(1);
    ASSERT_TRUE(templateChooser->chooseButton()->isEnabled());
    QTest::mouseClick(templateChooser->chooseButton(), Qt::LeftButton);
    ASSERT_EQ(controller.documents().size(), 1);
    Document* opened = controller.documents().first();
    EXPECT_EQ(opened->contentPages().size(), 3);
    EXPECT_TRUE(opened->filePath().isEmpty());
    EXPECT_FALSE(opened->isDocumentEdited());

    // A file that went away is reported, not opened.
    QFile::remove(templates() + "/Another.qvleaf");
    templateChooser->chooseTemplateAtIndex(0);
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, "The template “Another” could not be opened.");
    EXPECT_EQ(controller.documents().size(), 1);
}

TEST_F(TemplateChooser, LibraryTemplatesAreListedInTheBackgroundAndOpenAfterTheirDownload)
{
    BucketServer server;
    const Result<QByteArray> landscape = BlankTemplate {9, 1, QStringLiteral("Wide")}.archive();
    ASSERT_TRUE(landscape.ok());
    QImage thumbnail(60, 80, QImage::Format_RGB32);
    thumbnail.fill(Qt::blue);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        thumbnail.save(&buffer, "JPEG");
    }
    const QList<BucketServer::Object> objects {{"Cards/", {}},
                                               {"Cards/Blue.qvleaf", *landscape},
                                               {"Cards/Blue.jpg", jpeg},
                                               {"Cards/readme.txt", "not shown"},
                                               {"Flyers/", {}},
                                               {"Flyers/Spring.qvleaf", *landscape},
                                               {"Flyers/Summer.qvleaf", "summer", "silent"}};
    server.configure(objects, {}, QStringLiteral("AKID"), QStringLiteral("secret"));
    auto templateChooser = chooser({server.bucketURL(), QStringLiteral("AKID"), QStringLiteral("secret")});
    templateChooser->showWindow();
    EXPECT_TRUE(templateChooser->isListing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !templateChooser->isListing(); }, 20000));
    EXPECT_EQ(titles(templateChooser->sources()), (QStringList {"Blank", "My Templates", "Cards", "Flyers"}));
    const TemplateSource& cards = templateChooser->sources()[2];
    ASSERT_EQ(titles(cards), QStringList {"Blue"});
    EXPECT_EQ(cards.entries[0].thumbnailURL, server.bucketURL().toString() + "/Cards/Blue.jpg");
    EXPECT_EQ(titles(templateChooser->sources()[3]), (QStringList {"Spring", "Summer"}));

    // The thumbnail comes lazily into the grid.
    templateChooser->selectSource(2);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        GVGridViewItem* item = templateChooser->gridView()->itemAtIndex(0);
        return item && item->itemImage().pixelSize() == QSize(60, 80);
    }, 20000));

    doubleClick(*templateChooser, 0);
    EXPECT_TRUE(templateChooser->isDownloading());
    EXPECT_FALSE(templateChooser->cancelButton()->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !templateChooser->isDownloading(); }, 20000));
    ASSERT_EQ(controller.documents().size(), 1);
    const Document* opened = controller.documents().first();
    EXPECT_TRUE(opened->filePath().isEmpty());
    EXPECT_EQ(opened->contentPages().first()->frame().size(), QSizeF(842, 595));
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("cache/Cards/Blue.qvleaf"))));

    // A download that does not come can be cancelled: nothing opens, nothing
    // is reported, no file stays.
    templateChooser->selectSource(3);
    templateChooser->chooseTemplateAtIndex(1);
    ASSERT_TRUE(templateChooser->isDownloading());
    QTest::qWait(200);
    QTest::mouseClick(templateChooser->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(templateChooser->isDownloading());
    QTest::qWait(2500);
    EXPECT_EQ(controller.documents().size(), 1);
    EXPECT_TRUE(prompter.alerts.isEmpty());
    EXPECT_TRUE(QDir(path(QStringLiteral("cache/Flyers"))).entryList(QDir::Files | QDir::Hidden).isEmpty());

    // A refused listing shows why in the window and keeps the sources there are.
    server.configure(objects, {}, QStringLiteral("AKID"), QStringLiteral("another secret"));
    templateChooser->showWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !templateChooser->isListing(); }, 20000));
    EXPECT_TRUE(templateChooser->statusLabel()->text().contains("403"));
    EXPECT_EQ(templateChooser->sources().size(), 4);

    // A failed download is an alert.
    server.configure({{"Flyers/Spring.qvleaf", *landscape, "status", 500}}, {}, QStringLiteral("AKID"),
                     QStringLiteral("secret"));
    QFile::remove(path(QStringLiteral("cache/Flyers/Spring.qvleaf")));
    templateChooser->chooseTemplateAtIndex(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !templateChooser->isDownloading(); }, 20000));
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_EQ(prompter.alerts[0].messageText, "The template “Spring” could not be downloaded.");
    EXPECT_EQ(controller.documents().size(), 1);
}

TEST_F(TemplateChooser, ADocumentWindowClosesTheChooserOnceItIsSetUp)
{
    AppDelegate delegate(controller, ZVDesignHelper::sharedInstance(), chooser());
    ASSERT_EQ(AppDelegate::shared(), &delegate);
    delegate.openTemplates();
    QWidget* window = delegate.templateWindowController()->window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    Document* document = controller.newDocument();
    EXPECT_TRUE(window->isVisible());
    DeferredCalls::instance().flush();
    EXPECT_FALSE(window->isVisible());

    // The File menu of every document window shows it again.
    auto* documentWindow = qobject_cast<DocumentWindow*>(document->documentWindow());
    ASSERT_NE(documentWindow, nullptr);
    QAction* item = documentWindow->menus().item(QStringLiteral("openTemplates:"));
    ASSERT_NE(item, nullptr);
    documentWindow->menus().validateMenus();
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_TRUE(window->isVisible());
}
