// What both store-backed prompts share: the store region, the look-up of the
// application in the store and the reading of its answer, the store page and
// re-opening that page once the store application has started.
#pragma once

#include "platform/Error.h"
#include "prompts/PromptHttp.h"

#include <QUrl>
#include <QVariant>
#include <functional>
#include <optional>

class QNetworkAccessManager;
class QObject;

namespace ql {

struct PromptEnvironment;

// "150" is Europe ("eu"); a code of exactly two letters is used as is;
// anything else is the United States ("us").
QString storeCountryForCode(const QString& countryCode);

// "<base>/<country>/lookup?id=<id>", or "?bundleId=<bundle>" without an id.
QUrl storeLookupUrl(const QUrl& base, const QString& country, quint64 appStoreID, const QString& bundleID);

struct StoreAnswer {
    bool read = false; // a body with status 200 came and was read
    QVariant entry;    // the last of "results" (or the whole text); invalid when none
    std::optional<Error> error;
};

inline const QString httpResponseErrorDomain = QStringLiteral("HTTPResponseErrorDomain");
inline const QString jsonErrorDomain = QStringLiteral("JSONErrorDomain");

// Only a body with status 200 is read. `statusErrors` turns statuses of 400
// and above into "HTTPResponseErrorDomain" errors (the rating prompt's rule);
// otherwise only the transport error counts. Without `parseJson` the entry
// is the body as text, for the scanner.
StoreAnswer readStoreAnswer(const HttpAnswer& answer, bool statusErrors, bool parseJson = true);

// Sends the look-up, or, with no look-up service configured, answers on
// the next turn that the store has no entry.
void lookUpInStore(QNetworkAccessManager& network, const PromptEnvironment& env, QObject* context, const QUrl& url,
                   CachePolicy cache, std::function<void(HttpAnswer)> done);

// The store application's page for an identifier (0 when none is known).
QUrl storePageUrl(const QString& host, quint64 appStoreID);

// Once the page has been handed to the desktop: asks every half second, for
// at most a minute, whether the store application runs; when it does, opens
// `url()` again five seconds later, for a store that missed the first one.
void openAppPageWhenAppStoreLaunched(const PromptEnvironment& env, QObject* context, std::function<QUrl()> url);

// The integer of a number read from a store entry (a number or its text).
quint64 storeNumber(const QVariant& value);

} // namespace ql
