// One GET as the HTTP client performs it, and what came back.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>
#include <utility>

namespace ql {

struct HTHTTPRequest {
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers;
    // More body than this fails the request; every request names its own.
    qint64 byteLimit = 0;
    // Empty: the body is kept in memory. Otherwise it is written to this
    // file, which is removed again when the request fails.
    QString destinationPath;
    int connectTimeoutMs = 15000;
    // No byte moving for this long ends the request.
    int stallTimeoutMs = 30000;
};

struct HTHTTPResponse {
    int statusCode = 0;
    // Of the final response (after redirects); names in lower case.
    QHash<QByteArray, QByteArray> headers;
    QByteArray body; // empty when written to a file
    qint64 bytesReceived = 0;
    // Content-Length of the final response; -1 when it was not announced.
    qint64 announcedLength = -1;
    // MD5 of the body, lower-case hexadecimal.
    QByteArray md5;
    QUrl finalUrl;
};

} // namespace ql
