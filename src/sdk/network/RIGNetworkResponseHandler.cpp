#include "sdk/network/RIGNetworkResponseHandler.h"

#include "sdk/foundation/Clock.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <curl/curl.h>
#include <strings.h>

namespace qlkit {
namespace {

constexpr double kDefaultRetryDelay = 300.0;

std::string trim(const std::string& text)
{
    const auto start = text.find_first_not_of(" \t");
    const auto end = text.find_last_not_of(" \t");
    return start == std::string::npos ? std::string() : text.substr(start, end - start + 1);
}

bool equalsIgnoringCase(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) == 0;
}

// "type/subtype; name=value; ..." into the media type and its charset.
void parseContentType(const std::string& text, std::string& mediaType, std::optional<std::string>& charset)
{
    std::size_t start = 0;
    bool first = true;
    while (start <= text.size()) {
        const auto end = std::min(text.find(';', start), text.size());
        const std::string piece = trim(text.substr(start, end - start));
        if (first) {
            mediaType = piece;
            first = false;
        } else if (const auto eq = piece.find('='); eq != std::string::npos) {
            if (equalsIgnoringCase(trim(piece.substr(0, eq)), "charset")) {
                std::string value = trim(piece.substr(eq + 1));
                if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                    value = value.substr(1, value.size() - 2);
                charset = value;
            }
        }
        start = end + 1;
    }
}

} // namespace

void RIGNetworkResponseHandler::clientResponseType(const HTTPURLResponse* response,
                                                   const std::function<void(RIGNetworkResponseType, long)>& handler)
{
    if (!response) {
        handler(RIGNetworkResponseTypeFailure, 0);
        return;
    }
    const long s = response->statusCode;
    switch (s) {
    case 200: case 201: case 202: case 204: case 304:
        handler(RIGNetworkResponseTypeSuccess, s);
        return;
    case 400: case 401: case 403: case 404: case 406: case 410: case 411: case 413: case 419: case 422: case 431:
        handler(RIGNetworkResponseTypeClientError, s);
        return;
    case 420: case 429:
        handler(RIGNetworkResponseTypeRateLimited, s);
        return;
    case 408:
        handler(RIGNetworkResponseTypeRetry, s);
        return;
    default:
        handler(s >= 500 && s <= 599 ? RIGNetworkResponseTypeRetry : RIGNetworkResponseTypeFailure, s);
    }
}

void RIGNetworkResponseHandler::handleCompletedResponse(const HTTPURLResponse* response, const URLRequest& originalRequest,
                                                        const std::optional<KitError>& error,
                                                        const std::function<void(bool, const std::optional<KitError>&)>& block)
{
    if (error) {
        block(false, error);
        return;
    }
    clientResponseType(response, [&](RIGNetworkResponseType type, long status) {
        switch (type) {
        case RIGNetworkResponseTypeSuccess:
            if (contentTypeForResponse(response, originalRequest))
                block(false, std::nullopt);
            else
                block(false, errorForResponse(response, RIGNetworkResponseTypeFailure, status));
            return;
        case RIGNetworkResponseTypeFailure:
        case RIGNetworkResponseTypeClientError:
            block(false, errorForResponse(response, type, status));
            return;
        case RIGNetworkResponseTypeRetry:
        case RIGNetworkResponseTypeRateLimited:
            block(true, errorForResponse(response, type, status));
            return;
        }
    });
}

bool RIGNetworkResponseHandler::contentTypeForResponse(const HTTPURLResponse* response, const URLRequest& request)
{
    const auto accept = request.valueForHTTPHeaderField("Accept");
    if (!accept)
        return true;
    const auto contentType = headerForResponse(response, "Content-Type");
    if (!contentType)
        return false;
    std::string mediaType;
    std::optional<std::string> charset;
    parseContentType(*contentType, mediaType, charset);
    if (!equalsIgnoringCase(mediaType, trim(*accept)))
        return false;
    const auto acceptCharset = request.valueForHTTPHeaderField("Accept-Charset");
    if (acceptCharset && charset)
        return equalsIgnoringCase(*charset, trim(*acceptCharset));
    return true;
}

std::optional<KitError> RIGNetworkResponseHandler::errorForResponse(const HTTPURLResponse* response,
                                                                     RIGNetworkResponseType type, long status)
{
    if (type == RIGNetworkResponseTypeSuccess)
        return std::nullopt;
    Map userInfo {{"type", Value(unsigned(type))},
                  {"status_code", Value(status)},
                  {"request_id", Value(requestIdForResponse(response).value_or(""))},
                  {"content_type", Value(headerForResponse(response, "Content-Type").value_or(""))}};
    const long code = type == RIGNetworkResponseTypeFailure ? -4 : type == RIGNetworkResponseTypeClientError ? -5 : -1;
    return errorForCode(code, std::move(userInfo));
}

KitError RIGNetworkResponseHandler::errorForCode(long code, Map userInfo)
{
    return KitError {kRIGNetworkErrorDomain, code, std::move(userInfo), {}};
}

std::optional<std::string> RIGNetworkResponseHandler::headerForResponse(const HTTPURLResponse* response, const std::string& key)
{
    if (!response)
        return std::nullopt;
    return response->valueForHTTPHeaderField(key);
}

std::optional<std::string> RIGNetworkResponseHandler::requestIdForResponse(const HTTPURLResponse* response)
{
    return headerForResponse(response, "X-Request-Id");
}

double RIGNetworkResponseHandler::retryValueForResponse(const HTTPURLResponse* response)
{
    const auto header = headerForResponse(response, "Retry-After");
    if (!header)
        return kDefaultRetryDelay;
    const std::string text = trim(*header);
    const bool numeric = !text.empty()
                         && (std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-' || text[0] == '+'
                             || text[0] == '.');
    if (!numeric) {
        // The date form: wait until then; a date in the past means now.
        const time_t when = curl_getdate(text.c_str(), nullptr);
        if (when == -1)
            return 0.0;
        return std::max(0.0, double(when) - Clock::shared()->wallNow());
    }
    const double value = std::strtod(text.c_str(), nullptr);
    return value < 0 || !std::isfinite(value) ? kDefaultRetryDelay : value;
}

} // namespace qlkit
