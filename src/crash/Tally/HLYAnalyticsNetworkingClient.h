// Sends the compressed logs of one session fragment to the analytics
// endpoint as one multipart request; retries and verdicts are the network
// client's.
#pragma once

#include "crash/Tally/HLYEventLog/HLYGzipFile.h"
#include "sdk/network/RIGNetworkClient.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYAnalyticsNetworkingClient {
public:
    using Completion = std::function<void(const std::optional<KitError>& error)>;

    static constexpr const char* kEventsContentType = "application/vnd.halyard.ios.events";
    static constexpr double kTimeout = 20.0;
    // The most a log of ours ever holds, and so the most a packaged log may
    // expand to on the service: one that expands further is left out.
    static constexpr std::uint64_t kMaximumLogLength = 64ull << 20;
    // The most a packaged log may hold: a larger one is dropped unread.
    static constexpr std::uint64_t kMaximumPackagedLogLength = HLYGzipMaximumLength(kMaximumLogLength);
    // The request body, hidden beside the logs while they are sent.
    static constexpr const char* kBodyFileName = ".upload.multipartmime";

    // No certificate pinning: the endpoint is whatever the settings name.
    HLYAnalyticsNetworkingClient();
    virtual ~HLYAnalyticsNetworkingClient() = default;

    // `allFilesRead` tells whether every log made it into the body, which is
    // written to `bodyFile` when one is given, else kept in memory. Each log
    // goes as it stands when it is opened, and only when it expands to no
    // more than kMaximumLogLength.
    URLRequest requestForLogFilesAtURLs(const std::vector<std::filesystem::path>& files, const std::string& url,
                                        const std::string& APIKey, bool* allFilesRead = nullptr,
                                        const std::optional<std::filesystem::path>& bodyFile = std::nullopt) const;
    // The completion runs once, after the last attempt, with nothing on
    // success. A log that cannot be read fails the upload before anything is
    // sent, so that the fragment is kept.
    virtual void transmitLogFilesAtURLs(const std::vector<std::filesystem::path>& files, const std::string& url,
                                        const std::string& APIKey, Completion completion);

    const std::shared_ptr<RIGNetworkClient>& networkClient() const { return m_networkClient; }

private:
    std::shared_ptr<RIGNetworkClient> m_networkClient;
};

} // namespace qlkit
