// An operation of the kit's core that talks to the service: it carries the
// API key and builds the request every such call starts from.
#pragma once

#include "sdk/network/RIGAsynchronousOperation.h"
#include "sdk/network/URLRequest.h"

#include <string>

namespace qlkit {

class RIGNetworkOperation : public RIGAsynchronousOperation {
public:
    explicit RIGNetworkOperation(std::string APIKey) : m_APIKey(std::move(APIKey)) {}

    const std::string& APIKey() const { return m_APIKey; }
    URLRequest mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL(const std::string& url) const;
    // GET, ignoring caches, with the common header fields in their fixed order.
    URLRequest mutableRequestWithDefaultHTTPHeadersForURL(const std::string& url, double timeout) const;
    static std::string userAgentString();
    // The user's locale as language_REGION, from the environment.
    static std::string localeIdentifier();

private:
    std::string m_APIKey;
};

} // namespace qlkit
