// The one place that decides, for every finished exchange, whether to hand
// the result on or try again later.
#pragma once

#include "sdk/network/KitError.h"
#include "sdk/network/URLRequest.h"

#include <functional>
#include <optional>

namespace qlkit {

enum RIGNetworkResponseType : unsigned {
    RIGNetworkResponseTypeSuccess = 0,
    RIGNetworkResponseTypeFailure = 1,
    RIGNetworkResponseTypeClientError = 2,
    RIGNetworkResponseTypeRetry = 3,
    RIGNetworkResponseTypeRateLimited = 4,
};

inline constexpr const char* kRIGNetworkErrorDomain = "RIGNetworkError";

class RIGNetworkResponseHandler {
public:
    // A missing response is not an HTTP response: failure with status 0.
    static void clientResponseType(const HTTPURLResponse* response,
                                   const std::function<void(RIGNetworkResponseType, long)>& handler);
    static void handleCompletedResponse(const HTTPURLResponse* response, const URLRequest& originalRequest,
                                        const std::optional<KitError>& error,
                                        const std::function<void(bool retry, const std::optional<KitError>&)>& block);
    // Media types compare without regard to case or blanks around ";"; a
    // charset parameter must match "Accept-Charset" when both are present.
    static bool contentTypeForResponse(const HTTPURLResponse* response, const URLRequest& request);
    static std::optional<KitError> errorForResponse(const HTTPURLResponse* response, RIGNetworkResponseType type, long status);
    static KitError errorForCode(long code, Map userInfo = {});
    static std::optional<std::string> headerForResponse(const HTTPURLResponse* response, const std::string& key);
    static std::optional<std::string> requestIdForResponse(const HTTPURLResponse* response);
    // "Retry-After" in seconds: a number, or an HTTP date taken as a delay from
    // now (kit clock). Missing or negative: 300.
    static double retryValueForResponse(const HTTPURLResponse* response);
    // The shortest wait before any restart, so that no answer can make a
    // zero-delay loop.
    static constexpr double kMinimumRetryDelay = 1.0;
};

} // namespace qlkit
