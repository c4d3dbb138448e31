// The clip-art browser against a local service (clip_art_server.py) that
// logs every request: the question's exact form, "More", the grid, the
// download of a double-clicked result, failures said in the status line,
// no question without a service, and an overtaken answer dropped.
#include "app/window/WindowTestSupport.h"

#include "design/ZVDesignHelper.h"
#include "canvas/ZVPuttyView.h"
#include "panels/browsers/ZVClipArtContentViewController.h"
#include "panels/grid/GVGridViewItem.h"
#include "../PanelTestSupport.h"
#include "platform/runtime/UserDefaults.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QTcpServer>
#include <QTest>

using namespace ql;

namespace {

const QString kHostKey = QStringLiteral("clipArtHost");

class ClipArtBrowser : public ql::testing::WindowFixture {
protected:
    void SetUp() override
    {
        WindowFixture::SetUp();
        QImage apple(64, 32, QImage::Format_ARGB32);
        apple.fill(Qt::green);
        ASSERT_TRUE(apple.save(path(QStringLiteral("apple.png"))));
        ql::testing::writeFile(path(QStringLiteral("broken.png")), QByteArrayLiteral("not a picture"));
        server.start(QStringLiteral("python3"),
                     {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/panels/browsers/clip_art_server.py"), folder.path()});
        ASSERT_TRUE(server.waitForReadyRead(10000));
        port = server.readLine().trimmed().toInt();
        setHost(QStringLiteral("http://127.0.0.1:%1").arg(port));
        browser = window->controllers().clipArtContentVC;
        window->changeContentView(3);
        browser->scrollView()->resize(216, 600);
    }
    void TearDown() override
    {
        ZVDesignHelper::sharedInstance().defaults().removeObjectForKey(kHostKey);
        server.kill();
        server.waitForFinished();
    }
    static void setHost(const QString& host) { ZVDesignHelper::sharedInstance().defaults().setObject(kHostKey, host); }

    // Types the words and presses Return, then waits for the answer.
    void search(const QString& words)
    {
        startSearch(words);
        waitForAnswer();
    }
    void startSearch(const QString& words)
    {
        QLineEdit* field = browser->searchField();
        field->clear();
        QTest::keyClicks(field, words);
        QTest::keyClick(field, Qt::Key_Return);
    }
    void waitForAnswer() { EXPECT_TRUE(QTest::qWaitFor([&] { return !browser->isSearching(); }, 10000)); }
    // The search requests the service has logged so far.
    QStringList questions()
    {
        QCoreApplication::processEvents();
        server.waitForReadyRead(100);
        while (server.canReadLine()) {
            const QString line = QString::fromUtf8(server.readLine()).trimmed();
            if (line.startsWith(QLatin1String("/search/")))
                logged.append(line);
        }
        return logged;
    }
    QStringList titles() const
    {
        QStringList result;
        for (const ClipArtItem& item : browser->items())
            result.append(item.title);
        return result;
    }
    QString status() const { return browser->statusField()->text(); }

    QProcess server;
    int port = 0;
    QStringList logged;
    ZVClipArtContentViewController* browser = nullptr;
};

} // namespace

TEST_F(ClipArtBrowser, AsksExactlyFillsTheGridAsksForMoreAndDownloadsWhatIsDoubleClicked)
{
    search(QStringLiteral("a b&c"));
    EXPECT_EQ(questions(), QStringList({"/search/json/?query=a%20b%26c&page=1"}));
    EXPECT_EQ(titles(), QStringList({"a b&c apple", "a b&c broken"})) << "a result that is no web link is left out";
    EXPECT_TRUE(status().isEmpty());
    GVGridView* grid = browser->gridView();
    ASSERT_EQ(grid->numberOfItems(), 2);
    GVGridViewItem* first = grid->itemAtIndex(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->itemTitle(), QStringLiteral("a b&c apple"));
    EXPECT_EQ(first->itemURL(), QUrl(QStringLiteral("http://127.0.0.1:%1/apple.png").arg(port)));
    EXPECT_EQ(first->itemImageURL(), first->itemURL());
    EXPECT_TRUE(grid->itemAtIndex(1)->itemImageURL().isEmpty()) << "a thumbnail that is no web link is not fetched";

    ASSERT_TRUE(browser->moreButton()->isEnabled());
    QTest::mouseClick(browser->moreButton(), Qt::LeftButton);
    waitForAnswer();
    EXPECT_EQ(questions().last(), QStringLiteral("/search/json/?query=a%20b%26c&page=2"));
    EXPECT_EQ(titles().last(), QStringLiteral("a b&c pear"));
    QTest::mouseClick(browser->moreButton(), Qt::LeftButton);
    waitForAnswer();
    EXPECT_EQ(questions().last(), QStringLiteral("/search/json/?query=a%20b%26c&page=3"));
    EXPECT_EQ(grid->numberOfItems(), 3);
    EXPECT_FALSE(browser->moreButton()->isEnabled()) << "an empty page ends the results";

    QTest::mouseDClick(grid, Qt::LeftButton, Qt::NoModifier, grid->rectForItemAtIndex(0).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->puttyViews().size() == 1; }, 10000));
    ZVPuttyView* element = page->puttyViews().first();
    EXPECT_EQ(element->contentViewType(), ZVPuttyView::ImageContent);
    EXPECT_EQ(element->contentFrame().size(), QSizeF(64, 32));
    EXPECT_TRUE(element->isActive());

    // A download that is no picture adds nothing and says so.
    browser->insertItem(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompter.alerts.isEmpty(); }, 10000));
    EXPECT_TRUE(prompter.alerts.first().informativeText.contains(QStringLiteral("a b&c broken")));
    EXPECT_EQ(page->puttyViews().size(), 1);
}

TEST_F(ClipArtBrowser, FailuresAreSaidAndWithoutAServiceNothingIsAsked)
{
    const auto failsWith = [&](const QString& words, const QString& said) {
        search(words);
        EXPECT_TRUE(status().contains(said)) << qPrintable(words) << ": " << qPrintable(status());
        EXPECT_TRUE(browser->items().isEmpty());
        EXPECT_FALSE(browser->moreButton()->isEnabled());
    };
    failsWith(QStringLiteral("missing"), QStringLiteral("404"));
    failsWith(QStringLiteral("garbage"), QStringLiteral("not a list of results"));
    failsWith(QStringLiteral("huge"), QStringLiteral("larger than 4 MB"));
    EXPECT_EQ(questions().size(), 3);

    setHost(QString());
    failsWith(QStringLiteral("cat"), QStringLiteral("off"));
    setHost(QStringLiteral("ftp://127.0.0.1:%1").arg(port));
    failsWith(QStringLiteral("cat"), QStringLiteral("not an http or https address"));
    QTest::qWait(200);
    EXPECT_EQ(questions().size(), 3) << "no service, no question";

    // A port nobody listens on.
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 refused = closed.serverPort();
    closed.close();
    setHost(QStringLiteral("http://127.0.0.1:%1").arg(refused));
    failsWith(QStringLiteral("cat"), QStringLiteral("could not be reached"));
}

TEST_F(ClipArtBrowser, AnAnswerOvertakenByANewerQuestionIsDropped)
{
    startSearch(QStringLiteral("slow"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !questions().isEmpty(); }, 10000)) << "the slow question arrived";
    search(QStringLiteral("fast"));
    QTest::qWait(1500);
    EXPECT_EQ(titles(), QStringList({"fast apple", "fast broken"}));
    EXPECT_TRUE(status().isEmpty());
}
