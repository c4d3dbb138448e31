// What the prompt tests share: a fake clock and scheduler, a scripted
// prompter and workspace, a private defaults store, recorded log lines and
// notifications, the scriptable HTTP service on 127.0.0.1, and plistlib.
#pragma once

#include "platform/runtime/NotificationCenter.h"
#include "platform/runtime/UserDefaults.h"
#include "platform/ui/ScriptedPrompter.h"
#include "prompts/PromptEnvironment.h"
#include "support/Plistlib.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QPointer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <functional>
#include <memory>
#include <vector>

namespace ql::test {

// Deferred calls kept until the test runs them, with the delay each asked for.
class FakeScheduler {
public:
    struct Call {
        int milliseconds;
        QPointer<QObject> context;
        std::function<void()> run;
    };

    PromptEnvironment::Schedule function();
    // Runs the calls pending now (not those they schedule); returns how many ran.
    int runPending();
    std::vector<int> delays() const;
    std::size_t pendingCount() const { return m_pending.size(); }
    void clear() { m_pending.clear(); }

private:
    std::vector<Call> m_pending;
};

// One prompt's world: everything injectable, owned by the test.
class PromptWorld {
public:
    PromptWorld();

    PromptEnvironment environment();

    QTemporaryDir folder;
    std::unique_ptr<UserDefaults> defaults;
    QDateTime now = QDateTime(QDate(2024, 3, 1), QTime(12, 0), QTimeZone::utc());
    FakeScheduler scheduler;
    ScriptedPrompter prompter;
    RecordingWorkspace workspace;
    QStringList logLines;
    QUrl lookupBaseUrl;
    QString systemVersion;
    QString country = QStringLiteral("DE");
    QStringList languages {QStringLiteral("en-US")};
    ApplicationIdentity application {QStringLiteral("Quiverleaf"), QStringLiteral("1.0"),
                                     QStringLiteral("com.quiverleaf.Quiverleaf")};
    std::function<bool()> storeRunning;

    void advanceDays(double days) { now = now.addMSecs(qint64(days * 86400'000.0)); }
    bool logged(const QString& line) const { return logLines.contains(line); }
    QString resourcesFolder() const { return folder.filePath(QStringLiteral("resources")); }
};

// Names posted on the default centre while it lives, in order.
class PostedNotifications {
public:
    explicit PostedNotifications(const QStringList& names);
    QStringList names;
    QList<Notification> posted;
    bool contains(const QString& name) const;

private:
    QObject m_context;
};

// Spins the event loop until `done` or the time-out (in milliseconds).
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 20000);

// service.py from the kit's tests, started for one test.
class PromptService {
public:
    PromptService();
    ~PromptService();
    QUrl baseUrl() const;
    // Rules: path → responses, each {"status", "body", "mode"}.
    void script(const QJsonArray& rules) const;
    static QJsonObject rule(const QString& path, const QJsonArray& responses);
    static QJsonObject response(int status, const QByteArray& body, const QString& mode = QStringLiteral("normal"));
    QJsonArray log() const;
    // "path?query" of every logged request, oldest first.
    QStringList requests() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// A port on 127.0.0.1 that refuses connections.
int refusedPort();

// A store answer with one entry.
QByteArray storeAnswer(const QJsonObject& entry);

} // namespace ql::test
