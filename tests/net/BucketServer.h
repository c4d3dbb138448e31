// bucket_server.py started for one test: objects and listing behaviour set
// through its configuration file, requests read back from its log.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <optional>

namespace ql::test {

class BucketServer {
public:
    struct Object {
        QString key;
        QByteArray body;
        // "normal", "status", "short", "oversize", "silent" or "redirect".
        QString mode = QStringLiteral("normal");
        int status = 0;
        QString location;
        std::optional<QString> etag; // the body's MD5 when not given
        std::optional<qint64> size;  // the body's length when not given
    };

    BucketServer();
    ~BucketServer();

    QString bucket() const { return QStringLiteral("templates"); }
    QUrl baseUrl() const;
    QUrl bucketURL() const;
    // `listing`: {"mode": "normal" | "status" | "oversize" | "silent" | "raw", ...}.
    void configure(const QList<Object>& objects, const QJsonObject& listing = {}, const QString& accessKey = {},
                   const QString& secret = {});
    // Every request so far, oldest first.
    QJsonArray log() const;
    QStringList requestedPaths() const;

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    int m_port = 0;
};

} // namespace ql::test
