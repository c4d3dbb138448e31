#include "app/launch/CrashKitStarter.h"

#include "platform/ui/Prompter.h"

// The kit is plain C++ and names a member "slots", which Qt defines away.
#pragma push_macro("slots")
#undef slots
#include "crash/kit/HLYApplication.h"
#include "crash/kit/HLYPromptPresenter.h"
#include "crash/kit/Halyard.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/NotificationCenter.h"
#pragma pop_macro("slots")

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QRegularExpression>
#include <exception>

namespace ql {

namespace {

// The kit's send question as one of the program's alerts, asked on the main
// thread when the kit's queue gets there.
class AlertPromptPresenter final : public qlkit::HLYPromptPresenter {
public:
    explicit AlertPromptPresenter(Prompter* prompter) : m_prompter(prompter) {}

    void presentCrashReportPrompt(const qlkit::HLYPromptTexts& texts,
                                  std::function<void(qlkit::HLYPromptChoice)> answer) override
    {
        if (!m_prompter) {
            answer(qlkit::HLYPromptChoice::DontSend);
            return;
        }
        AlertRequest request;
        request.messageText = QString::fromStdString(texts.title);
        request.informativeText = QString::fromStdString(texts.message);
        // Send, then Always Send when there is one, then the cancel button.
        request.buttons = {QString::fromStdString(texts.sendTitle)};
        if (texts.alwaysSendTitle)
            request.buttons.append(QString::fromStdString(*texts.alwaysSendTitle));
        request.buttons.append(QString::fromStdString(texts.cancelTitle));
        const int chosen = m_prompter->runAlert(request);
        if (chosen == request.buttons.size() - 1)
            answer(qlkit::HLYPromptChoice::DontSend);
        else if (chosen == 1 && texts.alwaysSendTitle)
            answer(qlkit::HLYPromptChoice::AlwaysSend);
        else
            answer(qlkit::HLYPromptChoice::Send);
    }

private:
    Prompter* m_prompter;
};

} // namespace

CrashKitStarter::CrashKitStarter(const LaunchSettings& settings, Prompter* prompter, QObject* parent)
    : QObject(parent), m_settings(settings), m_prompter(prompter)
{
}

bool CrashKitStarter::isValidKey(const QString& key)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-f]{40}$"));
    return pattern.match(key).hasMatch();
}

bool CrashKitStarter::startWithAPIKey(const QString& key)
{
    if (m_started)
        return true;
    if (!isValidKey(key)) {
        qInfo("Crash reporting is off: this build has no valid crash reporter key.");
        return false;
    }
    registerInfoDictionary(key);
    // The kit's main-queue work runs as a queued call on Qt's main thread.
    qlkit::setMainQueueExecutor([](qlkit::Task task) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(task), Qt::QueuedConnection);
    });
    try {
        auto kit = qlkit::Halyard::sharedInstance();
        kit->setPromptPresenter(std::make_shared<AlertPromptPresenter>(m_prompter));
        qlkit::Halyard::startWithAPIKey(key.toStdString());
    } catch (const std::exception& error) {
        qWarning("Crash reporting is off: the kit failed to start (%s).", error.what());
        return false;
    } catch (...) {
        qWarning("Crash reporting is off: the kit failed to start.");
        return false;
    }
    connectLifecycle();
    m_started = true;
    return true;
}

void CrashKitStarter::registerInfoDictionary(const QString& key) const
{
    using qlkit::Map;
    const std::string version = QCoreApplication::applicationVersion().toStdString();
    Map dictionary {
        {"CFBundleIdentifier", m_settings.bundleIdentifier.toStdString()},
        {"CFBundleShortVersionString", version.empty() ? std::string("1.0") : version},
        {"CFBundleVersion", version.empty() ? std::string("1") : version},
        {"Rigging", Map {{"APIKey", key.toStdString()}, {"Kits", qlkit::Array {}}}},
    };
    if (!m_settings.crashServiceUrl.isEmpty()) {
        const std::string url = m_settings.crashServiceUrl.toStdString();
        dictionary.set("Halyard", Map {{"SettingsEndpoint", url}, {"ConfigureEndpoint", url},
                                      {"ReportsEndpoint", url}, {"BetaEndpoint", url}});
    }
    qlkit::info::setMainInfoDictionary(dictionary);
}

void CrashKitStarter::connectLifecycle()
{
    auto& center = qlkit::NotificationCenter::defaultCenter();
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::applicationStateChanged, this, [&center](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) {
                center.post(qlkit::kHLYApplicationWillBecomeActiveNotification);
                center.post(qlkit::kHLYApplicationDidBecomeActiveNotification);
            } else {
                center.post(qlkit::kHLYApplicationWillResignActiveNotification);
                center.post(qlkit::kHLYApplicationDidResignActiveNotification);
            }
        });
    }
    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this,
                [&center] { center.post(qlkit::kHLYApplicationWillTerminateNotification); });
    }
}

} // namespace ql
