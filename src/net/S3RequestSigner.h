// Signs storage requests in the S3 style: an HMAC-SHA1 of the method, the
// content digest and type (empty for a GET), the date and the resource,
// keyed with the secret, sent as "Authorization: AWS <key>:<base64>".
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

namespace ql {

class S3RequestSigner {
public:
    S3RequestSigner(QString accessKey, QString secret);

    bool hasCredentials() const { return !m_accessKey.isEmpty() && !m_secret.isEmpty(); }

    // "GET\n\n\n<date>\n<resource>".
    static QByteArray stringToSign(const QByteArray& method, const QByteArray& date, const QByteArray& resource);
    // The resource signed for a bucket address: its path, ending in "/".
    static QByteArray canonicalResource(const QUrl& url);
    // The date as the Date header writes it ("Tue, 27 Mar 2007 19:36:42 GMT").
    static QByteArray httpDate(const QDateTime& time);

    // The Authorization header's value.
    QByteArray authorization(const QByteArray& method, const QByteArray& date, const QByteArray& resource) const;

private:
    QString m_accessKey;
    QString m_secret;
};

} // namespace ql
