// Start-up under test: a delegate with its own defaults, chooser, workspace,
// a recording crash-reporter seam and a fake movie player; the prompts made
// afresh for each test.
#pragma once

#include "../document/DocumentTestSupport.h"

#include "app/AppDelegate.h"
#include "design/ZVDesignHelper.h"
#include "app/video/VideoPlayer.h"
#include "panels/templates/ZVTemplateWindowController.h"
#include "platform/ui/ScriptedPrompter.h"
#include "prompts/Notifier.h"
#include "prompts/Rater.h"
#include "prompts/Versioner.h"
#include "util/ValueTransformer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace ql::testing {

inline const QString kCrashKey = QStringLiteral("0123456789abcdef0123456789abcdef01234567");

class FakePlayer : public VideoPlayer {
public:
    ~FakePlayer() override
    {
        if (m_view && !m_view->parent())
            delete m_view;
    }
    // Like the real one: the window it is put in owns it.
    QWidget* view() override { return m_view; }
    void play() override { playing = true; }
    void pause() override
    {
        playing = false;
        ++pauses;
    }
    bool isPlaying() const override { return playing; }
    qint64 position() const override { return at; }
    QString errorString() const override { return {}; }

    bool playing = false;
    int pauses = 0;
    qint64 at = 0;

private:
    QPointer<QWidget> m_view = new QWidget;
};

class StartUpFixture : public DocumentFixture {
protected:
    ~StartUpFixture() override
    {
        resetPrompts();
        // Documents closed in the test go now, with their windows' pending
        // calls, rather than under a later test's controller.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    AppDelegate::Services services(const QString& bundle, const QString& key = kCrashKey)
    {
        AppDelegate::Services made;
        made.settings.bundleIdentifier = bundle;
        made.settings.crashApiKey = key;
        made.workspace = &workspace;
        made.startCrashReporter = [this](const QString& given) {
            events << QStringLiteral("kit ") + given;
            return true;
        };
        made.playerFactory = [this](const QUrl&) {
            auto player = std::make_unique<FakePlayer>();
            players << player.get();
            return player;
        };
        made.chooser = std::make_unique<ZVTemplateWindowController>(controller);
        made.chooser->setSavedTemplatesFolder(path(QStringLiteral("Templates")));
        return made;
    }

    // The prompts live as long as the application; each test starts anew.
    static void resetPrompts()
    {
        delete &Rater::sharedInstance();
        delete &Versioner::sharedInstance();
        delete &Notifier::sharedInstance();
    }

    ValueTransformerRegistry registry;
    RecordingWorkspace workspace;
    QStringList events;
    QList<FakePlayer*> players;
};

} // namespace ql::testing
