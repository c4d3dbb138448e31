#include "PromptTestSupport.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>
#include <QTest>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace ql::test {

PromptEnvironment::Schedule FakeScheduler::function()
{
    return [this](int milliseconds, QObject* context, std::function<void()> call) {
        m_pending.push_back({milliseconds, context, std::move(call)});
    };
}

int FakeScheduler::runPending()
{
    std::vector<Call> calls = std::move(m_pending);
    m_pending.clear();
    int ran = 0;
    for (Call& call : calls) {
        if (!call.context)
            continue;
        call.run();
        ++ran;
    }
    return ran;
}

std::vector<int> FakeScheduler::delays() const
{
    std::vector<int> result;
    for (const Call& call : m_pending)
        result.push_back(call.milliseconds);
    return result;
}

PromptWorld::PromptWorld() : defaults(std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("defaults.store"))))
{
}

PromptEnvironment PromptWorld::environment()
{
    PromptEnvironment env;
    env.defaults = defaults.get();
    env.clock = [this] { return now; };
    env.lookupBaseUrl = lookupBaseUrl;
    env.storePageHost = QStringLiteral("store.test");
    env.resourcesFolder = resourcesFolder();
    env.languages = languages;
    env.countryCode = country;
    env.systemVersion = systemVersion;
    env.application = application;
    env.prompter = &prompter;
    env.workspace = &workspace;
    env.storeRunning = storeRunning;
    env.schedule = scheduler.function();
    env.log = [this](const QString& line) { logLines << line; };
    return env;
}

PostedNotifications::PostedNotifications(const QStringList& watched) : names(watched)
{
    for (const QString& name : watched)
        NotificationCenter::defaultCenter().addObserver(&m_context, name, nullptr,
                                                        [this](const Notification& n) { posted << n; });
}

bool PostedNotifications::contains(const QString& name) const
{
    return std::any_of(posted.begin(), posted.end(), [&](const Notification& n) { return n.name == name; });
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    return QTest::qWaitFor(done, timeoutMs);
}

namespace {

// One control request to the service, waited for on a local loop.
QByteArray control(const QUrl& url, const std::optional<QByteArray>& post)
{
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setTransferTimeout(20000);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply* reply = post ? network.post(request, *post) : network.get(request);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray body = reply->readAll();
    if (reply->error() != QNetworkReply::NoError)
        ADD_FAILURE() << "service control failed: " << reply->errorString().toStdString();
    reply->deleteLater();
    return body;
}

} // namespace

PromptService::PromptService()
{
    const QString portFile = m_dir.filePath(QStringLiteral("port"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("python3"),
                    {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/sdk/service/service.py"), QStringLiteral("serve"),
                     QStringLiteral("--port-file"), portFile});
    const bool started = QTest::qWaitFor([&] { return QFile::exists(portFile); }, 20000);
    EXPECT_TRUE(started) << "the test service did not start";
    QFile file(portFile);
    if (file.open(QIODevice::ReadOnly))
        m_port = file.readAll().trimmed().toInt();
}

PromptService::~PromptService()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QUrl PromptService::baseUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port)); }

void PromptService::script(const QJsonArray& rules) const
{
    control(baseUrl().resolved(QUrl(QStringLiteral("/__script"))),
            QJsonDocument(QJsonObject {{QStringLiteral("rules"), rules}}).toJson(QJsonDocument::Compact));
}

QJsonObject PromptService::rule(const QString& path, const QJsonArray& responses)
{
    return {{QStringLiteral("path"), path}, {QStringLiteral("responses"), responses}};
}

QJsonObject PromptService::response(int status, const QByteArray& body, const QString& mode)
{
    return {{QStringLiteral("status"), status},
            {QStringLiteral("body_b64"), QString::fromLatin1(body.toBase64())},
            {QStringLiteral("mode"), mode}};
}

QJsonArray PromptService::log() const
{
    return QJsonDocument::fromJson(control(baseUrl().resolved(QUrl(QStringLiteral("/__log"))), std::nullopt)).array();
}

QStringList PromptService::requests() const
{
    QStringList result;
    for (const QJsonValue& entry : log()) {
        const QString query = entry[QStringLiteral("query")].toString();
        result << entry[QStringLiteral("path")].toString() + (query.isEmpty() ? QString() : u'?' + query);
    }
    return result;
}

int refusedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort(); // closed again when the server goes
}

QByteArray storeAnswer(const QJsonObject& entry)
{
    return QJsonDocument(QJsonObject {{QStringLiteral("resultCount"), 1},
                                      {QStringLiteral("results"), QJsonArray {entry}}})
        .toJson(QJsonDocument::Compact);
}

} // namespace ql::test
