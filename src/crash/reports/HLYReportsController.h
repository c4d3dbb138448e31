// Takes one old report to the service: moves it into processing, names its
// frames, packages it into prepared, removes the processing copy and starts
// the upload; removes the package once the service accepted it.
#pragma once

#include "crash/kit/HLYSettings.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/network/KitError.h"
#include "sdk/network/URLRequest.h"

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace qlkit {

class HLYFileManager;
class HLYInternalReport;
class HLYNetworkClient;
class HLYReportsController;

class HLYReportsControllerDelegate {
public:
    virtual ~HLYReportsControllerDelegate() = default;
    virtual HLYSettings settingsForReportsController(HLYReportsController& controller) = 0;
    virtual std::optional<std::string> bundleIdentifierForReportsController(HLYReportsController& controller) = 0;
    virtual std::optional<std::string> APIKeyForReportsController(HLYReportsController& controller) = 0;
    virtual void reportsControllerDidCompletePackageSubmission(HLYReportsController& controller,
                                                               const std::filesystem::path& path,
                                                               const std::optional<KitError>& error) = 0;
    // Sent when the last upload this controller started has ended.
    virtual void reportsControllerDidCompleteAllSubmissions(HLYReportsController& controller) = 0;
};

class HLYReportsController {
public:
    static constexpr double kUploadTimeout = 10.0;
    static constexpr double kBlockingUploadTimeout = 2.0;
    // The most a blocking upload may take in all, however steadily bytes
    // move: it holds up the application's start. One that runs out leaves
    // its package for the sending that follows.
    static constexpr double kBlockingUploadTimeLimit = 4.0;

    HLYReportsController(std::shared_ptr<DispatchQueue> queue, std::weak_ptr<HLYReportsControllerDelegate> delegate,
                         std::shared_ptr<HLYNetworkClient> client, std::shared_ptr<HLYFileManager> fileManager);

    HLYSettings settings();
    std::optional<std::string> appBundleIdentifier();
    std::optional<std::string> APIKey();
    std::string reportEndpoint() { return settings().reportsEndpoint(); }
    bool submissionEnabled() { return settings().shouldSubmitReports(); }
    bool packagingEnabled() { return settings().shouldPackageReports(); }
    static std::string localeIdentifier();

    std::string reportURL();
    URLRequest mutableRequestWithURL(const std::string& url, double timeout) const;
    bool fillInRequest(URLRequest& request, const std::filesystem::path& packagePath);

    bool prepareAndSubmitReport(const std::shared_ptr<HLYInternalReport>& report, bool urgent, bool processing);
    bool uploadPackagedReportAtPath(const std::filesystem::path& path, bool urgent);
    bool submitPackageMultipartMimeAtPath(const std::filesystem::path& path, bool synchronously);
    void reportUploadAtPath(const std::filesystem::path& path, const std::optional<KitError>& error);
    bool cleanUpSubmittedReportAtPath(const std::filesystem::path& path);

    const std::shared_ptr<HLYNetworkClient>& networkClient() const { return m_networkClient; }
    const std::shared_ptr<HLYFileManager>& fileManager() const { return m_fileManager; }

private:
    bool prepareLocked(const std::shared_ptr<HLYInternalReport>& report, bool urgent, bool processing);

    std::shared_ptr<DispatchQueue> m_operationQueue;
    std::weak_ptr<HLYReportsControllerDelegate> m_delegate;
    std::shared_ptr<HLYNetworkClient> m_networkClient;
    std::shared_ptr<HLYFileManager> m_fileManager;
    std::mutex m_mutex;
    std::size_t m_uploadsRunning = 0;
};

} // namespace qlkit
