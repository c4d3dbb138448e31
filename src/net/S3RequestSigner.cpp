#include "net/S3RequestSigner.h"

#include <QLocale>
#include <QTimeZone>
#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace ql {

S3RequestSigner::S3RequestSigner(QString accessKey, QString secret)
    : m_accessKey(std::move(accessKey))
    , m_secret(std::move(secret))
{
}

QByteArray S3RequestSigner::stringToSign(const QByteArray& method, const QByteArray& date, const QByteArray& resource)
{
    return method + "\n\n\n" + date + "\n" + resource;
}

QByteArray S3RequestSigner::canonicalResource(const QUrl& url)
{
    QByteArray path = url.path(QUrl::FullyEncoded).toUtf8();
    if (!path.startsWith('/'))
        path.prepend('/');
    if (!path.endsWith('/'))
        path.append('/');
    return path;
}

QByteArray S3RequestSigner::httpDate(const QDateTime& time)
{
    // English names whatever the user's language.
    return QLocale::c().toString(time.toTimeZone(QTimeZone::utc()), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")).toLatin1()
        + " GMT";
}

QByteArray S3RequestSigner::authorization(const QByteArray& method, const QByteArray& date,
                                          const QByteArray& resource) const
{
    const QByteArray key = m_secret.toUtf8();
    const QByteArray message = stringToSign(method, date, resource);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    HMAC(EVP_sha1(), key.constData(), int(key.size()), reinterpret_cast<const unsigned char*>(message.constData()),
         size_t(message.size()), digest, &length);
    const QByteArray signature = QByteArray(reinterpret_cast<const char*>(digest), int(length)).toBase64();
    return "AWS " + m_accessKey.toUtf8() + ":" + signature;
}

} // namespace ql
