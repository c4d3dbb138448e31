#include "BucketServer.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QSaveFile>
#include <QTest>
#include <gtest/gtest.h>

namespace ql::test {

BucketServer::BucketServer()
{
    const QString portFile = m_folder.filePath(QStringLiteral("port"));
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("python3"), {QStringLiteral(QUIVERLEAF_SOURCE_DIR "/tests/net/bucket_server.py"),
                                                QStringLiteral("--folder"), m_folder.path()});
    const bool started = QTest::qWaitFor([&] { return QFile::exists(portFile); }, 20000);
    EXPECT_TRUE(started) << "the bucket server did not start";
    QFile file(portFile);
    if (file.open(QIODevice::ReadOnly))
        m_port = file.readAll().trimmed().toInt();
}

BucketServer::~BucketServer()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

QUrl BucketServer::baseUrl() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

QUrl BucketServer::bucketURL() const
{
    return QUrl(baseUrl().toString() + QLatin1Char('/') + bucket());
}

void BucketServer::configure(const QList<Object>& objects, const QJsonObject& listing, const QString& accessKey,
                             const QString& secret)
{
    QJsonArray records;
    for (const Object& object : objects) {
        QJsonObject record {{QStringLiteral("key"), object.key},
                            {QStringLiteral("body_b64"), QString::fromLatin1(object.body.toBase64())},
                            {QStringLiteral("mode"), object.mode},
                            {QStringLiteral("status"), object.status},
                            {QStringLiteral("location"), object.location}};
        if (object.etag)
            record.insert(QStringLiteral("etag"), *object.etag);
        if (object.size)
            record.insert(QStringLiteral("size"), double(*object.size));
        records.append(record);
    }
    const QJsonObject config {{QStringLiteral("bucket"), bucket()},
                              {QStringLiteral("access_key"), accessKey},
                              {QStringLiteral("secret"), secret},
                              {QStringLiteral("listing"), listing},
                              {QStringLiteral("objects"), records}};
    QSaveFile file(m_folder.filePath(QStringLiteral("config.json")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(config).toJson());
    ASSERT_TRUE(file.commit());
}

QJsonArray BucketServer::log() const
{
    QJsonArray entries;
    QFile file(m_folder.filePath(QStringLiteral("log.jsonl")));
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.trimmed().isEmpty())
            entries.append(QJsonDocument::fromJson(line).object());
    }
    return entries;
}

QStringList BucketServer::requestedPaths() const
{
    QStringList paths;
    for (const QJsonValue& entry : log())
        paths.append(entry[QStringLiteral("path")].toString());
    return paths;
}

} // namespace ql::test
