// The image browser in a real window with a scripted open panel: the
// picture chosen becomes one centred, active element and a grid entry;
// cancelling or a damaged file adds nothing, and the latter says why.
#include "app/window/WindowTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVPuttyView.h"
#include "content/ZVImageView.h"
#include "panels/browsers/ZVImageContentViewController.h"
#include "../PanelTestSupport.h"
#include "support/EnvironmentChange.h"

#include <QDir>

#include <QPushButton>
#include <QTest>

using namespace ql;

namespace {

class ImageBrowser : public ql::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        browser = window->controllers().imageContentVC;
        window->changeContentView(0);
        QImage picture(120, 80, QImage::Format_ARGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(path(QStringLiteral("blue.png"))));
        ql::testing::writeFile(path(QStringLiteral("damaged.png")), QByteArrayLiteral("\x89PNG not really"));
        test::endTurn();
    }
    // "Open…", the panel's scripted answer, and the turn it comes in.
    void open(const QStringList& answer)
    {
        prompter.answerOpenPanel(answer);
        QTest::mouseClick(browser->openButton(), Qt::LeftButton);
        EXPECT_EQ(page->puttyViews().size(), elementsBefore) << "the panel leaves the window usable";
        DeferredCalls::instance().flush();
        QCoreApplication::processEvents();
    }

    ZVImageContentViewController* browser = nullptr;
    qsizetype elementsBefore = 0;
};

} // namespace

TEST_F(ImageBrowser, AChosenPictureBecomesOneCentredActiveElementAndAGridEntry)
{
    open({path(QStringLiteral("blue.png"))});
    ASSERT_EQ(prompter.panels.size(), 1);
    EXPECT_FALSE(prompter.panels.first().allowsMultipleSelection);
    EXPECT_EQ(prompter.panels.first().allowedExtensions, ZVDesignHelper::sharedInstance().allowedImageExtensions());
    ASSERT_EQ(page->puttyViews().size(), 1);
    ZVPuttyView* element = page->puttyViews().first();
    EXPECT_EQ(element->contentViewType(), ZVPuttyView::ImageContent);
    EXPECT_EQ(element->contentFrame().size(), QSizeF(120, 80));
    EXPECT_EQ(element->frame().center(), page->frame().center());
    EXPECT_TRUE(element->isActive());
    EXPECT_EQ(page->focusedPuttyView(), element);

    GVGridView* grid = browser->gridView();
    ASSERT_EQ(grid->numberOfItems(), 1);
    GVGridViewItem* item = grid->itemAtIndex(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->itemTitle(), QStringLiteral("blue.png"));
    EXPECT_EQ(item->itemURL(), QUrl::fromLocalFile(path(QStringLiteral("blue.png"))));
    test::endTurn();
    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, grid->rectForItemAtIndex(0).center());
    EXPECT_EQ(page->puttyViews().size(), 2) << "a double click puts it on the page again";
    EXPECT_EQ(grid->numberOfItems(), 1);
}

TEST_F(ImageBrowser, CancellingOrADamagedFileAddsNothing)
{
    const int steps = document->undoManager()->undoCount();
    open({});
    EXPECT_TRUE(page->puttyViews().isEmpty());
    EXPECT_TRUE(prompter.alerts.isEmpty());

    open({path(QStringLiteral("damaged.png"))});
    EXPECT_TRUE(page->puttyViews().isEmpty());
    ASSERT_EQ(prompter.alerts.size(), 1);
    EXPECT_TRUE(prompter.alerts.first().informativeText.contains(QStringLiteral("damaged.png")));
    EXPECT_EQ(browser->gridView()->numberOfItems(), 0);
    EXPECT_EQ(document->undoManager()->undoCount(), steps);
}

TEST_F(ImageBrowser, OpenStartsBesideTheDocumentThenWhereTheLastPictureCameFrom)
{
    ql::testing::EnvironmentChange home("HOME", QFile::encodeName(folder.path()).toStdString());
    ql::testing::EnvironmentChange userFolders("XDG_CONFIG_HOME", std::nullopt);
    const QString pictures = path(QStringLiteral("Pictures"));
    const QString work = path(QStringLiteral("Work"));
    const QString art = path(QStringLiteral("Art"));
    for (const QString& made : {pictures, work, art})
        ASSERT_TRUE(QDir().mkpath(made));
    ASSERT_TRUE(QFile::copy(path(QStringLiteral("blue.png")), QDir(art).filePath(QStringLiteral("blue.png"))));

    // Never saved: the pictures folder, not the one the program was started in.
    open({});
    ASSERT_EQ(prompter.panels.size(), 1);
    EXPECT_EQ(prompter.panels.last().directory, pictures);
    ASSERT_TRUE(controller.saveDocumentToFile(document, QDir(work).filePath(QStringLiteral("Flyer.qvleaf"))));
    open({QDir(art).filePath(QStringLiteral("blue.png"))});
    EXPECT_EQ(prompter.panels.last().directory, work) << "beside the document";
    elementsBefore = page->puttyViews().size();
    open({});
    EXPECT_EQ(prompter.panels.last().directory, art) << "where the last picture came from";
}
