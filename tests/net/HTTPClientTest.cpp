#include "net/HTHTTPClient.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using namespace ql;

TEST(HTTPClient, ServersWhoseCertificatesAreNotTrustedAreRefused)
{
    // The kit's test service, with a certificate of a root nobody trusts.
    const QString service = QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/sdk/service/service.py");
    QTemporaryDir folder;
    ASSERT_EQ(QProcess::execute(QStringLiteral("python3"), {service, QStringLiteral("make-certs"), folder.path()}), 0);
    QProcess server;
    const QString portFile = folder.filePath(QStringLiteral("port"));
    server.start(QStringLiteral("python3"), {service, QStringLiteral("serve"), QStringLiteral("--port-file"), portFile,
                                             QStringLiteral("--cert"), folder.filePath(QStringLiteral("good.pem")),
                                             QStringLiteral("--key"), folder.filePath(QStringLiteral("good.key"))});
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile(portFile).size() > 0; }, 20000));
    QFile port(portFile);
    ASSERT_TRUE(port.open(QIODevice::ReadOnly));

    HTHTTPRequest request;
    request.url = QUrl(QStringLiteral("https://127.0.0.1:%1/x").arg(port.readAll().trimmed().toInt()));
    request.byteLimit = 1000;
    std::optional<Result<HTHTTPResponse>> outcome;
    HTHTTPClient::shared().get(request, nullptr, [&](const Result<HTHTTPResponse>& result) { outcome = result; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 20000));
    ASSERT_FALSE(outcome->ok());
    EXPECT_EQ(outcome->error().code, HTHTTPTask::NetworkFailure);
    EXPECT_TRUE(outcome->error().message.contains("certificate", Qt::CaseInsensitive)
                || outcome->error().message.contains("SSL"))
        << outcome->error().message.toStdString();
    server.kill();
    server.waitForFinished();
}
