#include "sdk/network/RIGNetworkOperation.h"

#include "sdk/KitConstants.h"

#include <cstdlib>

namespace qlkit {

URLRequest RIGNetworkOperation::mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL(const std::string& url) const
{
    return mutableRequestWithDefaultHTTPHeadersForURL(url, 10.0);
}

URLRequest RIGNetworkOperation::mutableRequestWithDefaultHTTPHeadersForURL(const std::string& url, double timeout) const
{
    URLRequest request;
    request.URL = url;
    request.cachePolicy = CachePolicy::ReloadIgnoringLocalCacheData;
    request.timeoutInterval = timeout;
    request.timeoutIntervalForResource = kExchangeTimeLimit;
    const std::string locale = localeIdentifier();
    request.setValue(userAgentString(), "User-Agent");
    request.setValue("utf-8", "Accept-Charset");
    request.setValue(locale, "Accept-Language");
    request.setValue(locale, "Content-Language");
    request.setValue(kDeveloperToken, "X-Halyard-Developer-Token");
    request.setValue(kKitIdentifier, "X-Halyard-API-Client-Id");
    request.setValue(kKitDisplayVersion, "X-Halyard-API-Client-Display-Version");
    request.setValue(kKitBuildVersion, "X-Halyard-API-Client-Build-Version");
    request.setValue(m_APIKey, "X-Halyard-API-Key");
    return request;
}

std::string RIGNetworkOperation::userAgentString()
{
    return std::string(kKitIdentifier) + "/" + kKitDisplayVersion + " (" + kKitBuildVersion + ")";
}

std::string RIGNetworkOperation::localeIdentifier()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        std::string locale = value;
        // "de_DE.UTF-8@euro" -> "de_DE"
        locale = locale.substr(0, locale.find_first_of(".@"));
        if (locale == "C" || locale == "POSIX")
            break;
        return locale;
    }
    return "en_US";
}

} // namespace qlkit
