// The introduction video: shown after the first document's set-up unless
// turned off or closed before; closing pauses; its buttons lead to the
// chooser and to the open panel. The clip itself decodes in a real player.
#include "StartUpSupport.h"

#include "design/BuildIdentity.h"
#include "app/launch/LaunchSettings.h"
#include "app/video/MediaVideoPlayer.h"
#include "app/video/ZVVideoWindowController.h"
#include "app/window/DocumentWindow.h"
#include "platform/runtime/Deferred.h"

#include <QCheckBox>
#include <QLabel>
#include <QMediaMetaData>
#include <QMediaPlayer>
#include <QPushButton>
#include <QTest>
#include <QVideoFrame>
#include <QVideoSink>
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

using namespace ql;

namespace {

class VideoWindow : public ql::testing::StartUpFixture {
protected:
    void launch()
    {
        delegate = std::make_unique<AppDelegate>(controller, ZVDesignHelper::sharedInstance(),
                                                 services(identity::directSaleBundleIdentifier()));
        delegate->applicationDidFinishLaunching();
    }
    void openDocument()
    {
        Document* document = controller.newDocument();
        document->documentWindow()->show();
        DeferredCalls::instance().flush();
    }
    QWidget* videoWindow() { return delegate->videoWindowController()->window(); }
    bool videoShown() const
    {
        ZVVideoWindowController* video = delegate->videoWindowController();
        return video->isWindowLoaded() && video->window()->isVisible();
    }

    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

TEST_F(VideoWindow, FirstDocumentShowsItPausedUntilClosed)
{
    launch();
    EXPECT_FALSE(delegate->videoWindowController()->isWindowLoaded()) << "start-up makes no player";
    openDocument();
    ASSERT_TRUE(videoShown());
    ASSERT_EQ(players.size(), 1);
    EXPECT_FALSE(players.first()->isPlaying()) << "nothing plays by itself";
    EXPECT_FALSE(delegate->templateWindowController()->window()->isVisible());

    players.first()->play();
    players.first()->at = 1234;
    videoWindow()->close();
    EXPECT_FALSE(players.first()->isPlaying());
    EXPECT_TRUE(delegate->videoWindowController()->closedVideo());
    openDocument();
    EXPECT_FALSE(videoShown()) << "closed once, later documents leave it be";

    // The menu command still shows it, a second later, with the same player.
    delegate->openVideo();
    EXPECT_FALSE(videoShown());
    DeferredCalls::instance().flush();
    ASSERT_TRUE(videoShown());
    ASSERT_EQ(players.size(), 1);
    EXPECT_EQ(delegate->videoWindowController()->avPlayer()->position(), 1234);

    // Get Started: the chooser in front, the video gone.
    QTest::mouseClick(delegate->videoWindowController()->getStartedButton(), Qt::LeftButton);
    EXPECT_FALSE(videoShown());
    EXPECT_TRUE(delegate->templateWindowController()->window()->isVisible());

    // Open a Document…: the open panel.
    delegate->openVideo();
    DeferredCalls::instance().flush();
    const qsizetype panels = prompter.panels.size();
    QTest::mouseClick(delegate->videoWindowController()->openDocumentButton(), Qt::LeftButton);
    EXPECT_FALSE(videoShown());
    EXPECT_EQ(prompter.panels.size(), panels + 1);
}

TEST_F(VideoWindow, TurnedOffItComesOnlyFromTheMenu)
{
    launch();
    delegate->videoWindowController()->hideVideoBox()->setChecked(true);
    EXPECT_TRUE(defaults.boolForKey(QStringLiteral("hideVideo")));
    openDocument();
    EXPECT_FALSE(videoShown());
    delegate->openVideo();
    DeferredCalls::instance().flush();
    EXPECT_TRUE(videoShown());
}

TEST_F(VideoWindow, TheClipDecodesSilentlyAndABadMovieSaysSo)
{
    const QUrl clip = LaunchSettings {}.movie();
    ASSERT_TRUE(clip.isLocalFile()) << "the clip lies in the program's data folder";
    QMediaPlayer player;
    QVideoSink sink;
    player.setVideoSink(&sink);
    player.setSource(clip);
    player.play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sink.videoFrame().isValid(); }, 15000)) << qPrintable(player.errorString());
    EXPECT_EQ(sink.videoFrame().size(), QSize(320, 180));
    EXPECT_FALSE(player.hasAudio());
    player.stop();

#if defined(__SANITIZE_ADDRESS__)
    // The toolkit's video window never frees its backing store.
    const __lsan::ScopedDisabler toolkitLeaks;
#endif
    ZVVideoWindowController broken(QUrl::fromLocalFile(path(QStringLiteral("missing.webm"))), controller);
    broken.showWindow();
    EXPECT_TRUE(QTest::qWaitFor([&] { return broken.messageLabel()->isVisible(); }, 15000));
    EXPECT_TRUE(broken.getStartedButton()->isEnabled());
    EXPECT_TRUE(broken.openDocumentButton()->isEnabled());
    broken.close();
}
