// An operation of the kit's core that talks to the service: it carries the
// API key and builds the request every such call starts from.
#pragma once

#include "sdk/network/RIGAsynchronousOperation.h"
#include "sdk/network/URLRequest.h"

#include <string>

namespace qlkit {

class RIGNetworkOperation : public RIGAsynchronousOperation {
public:
    // The most a whole exchange of the core (settings, onboarding, the beta
    // check) may take: each moves a few kilobytes (an icon at most), which
    // half a minute carries over a slow link, and a server that trickles
    // cannot hold the kit for longer.
    static constexpr double kExchangeTimeLimit = 30.0;

    explicit RIGNetworkOperation(std::string APIKey) : m_APIKey(std::move(APIKey)) {}

    const std::string& APIKey() const { return m_APIKey; }
    URLRequest mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL(const std::string& url) const;
    // GET, ignoring caches, with the common header fields in their fixed
    // order; `timeout` is how long the connection may stay idle.
    URLRequest mutableRequestWithDefaultHTTPHeadersForURL(const std::string& url, double timeout) const;
    static std::string userAgentString();
    // The user's locale as language_REGION, from the environment.
    static std::string localeIdentifier();

private:
    std::string m_APIKey;
};

} // namespace qlkit
