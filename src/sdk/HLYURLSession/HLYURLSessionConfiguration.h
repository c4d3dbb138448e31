// Settings shared by every task of a session. Only the additional headers
// change requests; the rest is kept for callers that set it.
#pragma once

#include "sdk/network/URLRequest.h"

#include <memory>
#include <string>

namespace qlkit {

class HLYURLSessionConfiguration {
public:
    static std::shared_ptr<HLYURLSessionConfiguration> defaultSessionConfiguration();
    static std::shared_ptr<HLYURLSessionConfiguration> ephemeralSessionConfiguration();
    // Transfers that outlive the process do not exist here: always nothing.
    static std::shared_ptr<HLYURLSessionConfiguration> backgroundSessionConfigurationWithIdentifier(const std::string& identifier);
    static std::shared_ptr<HLYURLSessionConfiguration> backgroundSessionConfiguration(const std::string& identifier);

    // A copy carries only the additional headers.
    std::shared_ptr<HLYURLSessionConfiguration> copy() const;

    HeaderFields HTTPAdditionalHeaders;
    unsigned HTTPCookieAcceptPolicy = 0;
    bool sessionSendsLaunchEvents() const { return false; }
    void setSessionSendsLaunchEvents(bool) {}
};

} // namespace qlkit
