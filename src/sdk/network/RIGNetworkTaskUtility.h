// Sends a request, always pinned to the kit's roots, and retries retry-class
// answers as often as the caller allows, each after the plain "Retry-After".
#pragma once

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/network/RIGCertificatePinner.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class RIGNetworkTaskUtility : public std::enable_shared_from_this<RIGNetworkTaskUtility> {
public:
    // The pinned roots default to the kit's own list.
    static std::shared_ptr<RIGNetworkTaskUtility> create(std::shared_ptr<DispatchQueue> queue = nullptr,
                                                         std::optional<std::vector<std::string>> pinnedCertificates = std::nullopt);

    const std::shared_ptr<RIGCertificatePinner>& certPinner() const { return m_certPinner; }
    const std::shared_ptr<HLYURLSession>& session() const { return m_session; }
    std::function<void()> backgroundCompletionHandler;

    void beginDataTaskWithRequest(const URLRequest& request, unsigned maxNumberOfRetries, DataTaskCompletion completion);
    void beginDownloadTaskWithRequest(const URLRequest& request, unsigned maxNumberOfRetries,
                                      DownloadTaskCompletion completion);
    // Waits the response's "Retry-After" (at least a second), then runs the
    // block on a serial queue made for this one retry.
    static void runAfterRetryValueFromResponse(const HTTPURLResponse* response, Task block);

private:
    std::shared_ptr<RIGCertificatePinner> m_certPinner;
    std::shared_ptr<HLYURLSession> m_session;
};

} // namespace qlkit
