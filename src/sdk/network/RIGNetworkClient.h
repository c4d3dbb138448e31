// Sends a request and retries it after retry-class answers: up to 10 times,
// each wait the server's "Retry-After" (300 s without one) times the attempt
// number, with random jitter. Pins certificates only when given some.
#pragma once

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/network/RIGCertificatePinner.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class RIGNetworkClient {
public:
    static std::shared_ptr<RIGNetworkClient> create(std::shared_ptr<DispatchQueue> queue = nullptr,
                                                    std::optional<std::vector<std::string>> pinnedCertificates = std::nullopt);
    static std::shared_ptr<RIGNetworkClient> create(std::shared_ptr<HLYURLSessionConfiguration> configuration,
                                                    std::shared_ptr<DispatchQueue> queue,
                                                    std::optional<std::vector<std::string>> pinnedCertificates);

    const std::shared_ptr<RIGCertificatePinner>& certPinner() const { return m_certPinner; }
    const std::shared_ptr<HLYURLSession>& session() const { return m_session; }

    void startDataTaskWithRequest(const URLRequest& request, DataTaskCompletion completion) const;
    void startDownloadTaskWithRequest(const URLRequest& request, DownloadTaskCompletion completion) const;

    static void startDataTaskForSession(std::shared_ptr<HLYURLSession> session, const URLRequest& request,
                                        unsigned retryCount, DataTaskCompletion completion);
    static void startDownloadTaskForSession(std::shared_ptr<HLYURLSession> session, const URLRequest& request,
                                            unsigned retryCount, DownloadTaskCompletion completion);
    static double computeDelayForResponse(const HTTPURLResponse* response, unsigned retryCount);
    static void runAfterRetryValueFromResponse(const HTTPURLResponse* response, unsigned attempts,
                                               std::shared_ptr<DispatchQueue> queue, Task block);
    static void runAfterRetryValueFromResponse(const HTTPURLResponse* response, unsigned attempts, Task block);
    static double generateRandomJitter();
    static double randomDoubleWithMin(double min, double max);

    static constexpr unsigned kMaximumRetries = 10;

private:
    std::shared_ptr<RIGCertificatePinner> m_certPinner;
    std::shared_ptr<HLYURLSession> m_session;
};

} // namespace qlkit
