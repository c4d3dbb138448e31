// One GET for the prompts, on the main loop: the answer (status, body and a
// transport error, if the exchange itself failed) comes back to `done`.
#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QUrl>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QObject;

namespace ql {

struct HttpAnswer {
    int status = 0; // 0 when no response came
    QByteArray body;
    std::optional<Error> error; // the exchange failed; HTTP statuses are no errors here
};

inline const QString networkErrorDomain = QStringLiteral("NetworkErrorDomain");

enum class CachePolicy { Default, IgnoreLocalData };

// A 60-second transfer time-out; bodies above a few megabytes are refused.
// `done` is not called once `context` is gone.
void httpGet(QNetworkAccessManager& network, QObject* context, const QUrl& url, CachePolicy cache,
             std::function<void(HttpAnswer)> done);

} // namespace ql
