#include "crash/reports/HLYReportsController.h"

#include "crash/HalyardConstants.h"
#include "crash/kit/HLYApplication.h"
#include "crash/kit/HLYRequestHeaders.h"
#include "crash/processing/HLYProcessReportOperation.h"
#include "crash/processing/HLYSymbolResolver.h"
#include "crash/reports/HLYFileLock.h"
#include "crash/reports/HLYFileManager.h"
#include "crash/reports/HLYInternalReport.h"
#include "crash/reports/HLYNetworkClient.h"
#include "crash/reports/HLYPackageReportOperation.h"
#include "sdk/KitConstants.h"
#include "sdk/RIGURLBuilder.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/RIGMultipartMimeStreamEncoder.h"
#include "sdk/network/RIGNetworkOperation.h"

namespace qlkit {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kProcessingActivityOptions = kHLYActivitySuddenTerminationDisabled
                                                     | kHLYActivityAutomaticTerminationDisabled;

} // namespace

HLYReportsController::HLYReportsController(std::shared_ptr<DispatchQueue> queue,
                                           std::weak_ptr<HLYReportsControllerDelegate> delegate,
                                           std::shared_ptr<HLYNetworkClient> client,
                                           std::shared_ptr<HLYFileManager> fileManager)
    : m_operationQueue(std::move(queue)), m_delegate(std::move(delegate)), m_networkClient(std::move(client)),
      m_fileManager(std::move(fileManager))
{
}

HLYSettings HLYReportsController::settings()
{
    const auto delegate = m_delegate.lock();
    return delegate ? delegate->settingsForReportsController(*this) : HLYSettings(std::nullopt);
}

std::optional<std::string> HLYReportsController::appBundleIdentifier()
{
    const auto delegate = m_delegate.lock();
    return delegate ? delegate->bundleIdentifierForReportsController(*this) : std::nullopt;
}

std::optional<std::string> HLYReportsController::APIKey()
{
    const auto delegate = m_delegate.lock();
    return delegate ? delegate->APIKeyForReportsController(*this) : std::nullopt;
}

std::string HLYReportsController::localeIdentifier() { return RIGNetworkOperation::localeIdentifier(); }

std::string HLYReportsController::reportURL()
{
    auto builder = RIGURLBuilder::URLWithBase(reportEndpoint());
    builder.appendComponent("/sdk-api/v1/platforms/");
    builder.appendComponent(kPlatformName);
    builder.appendComponent("/apps/");
    builder.appendComponent(appBundleIdentifier().value_or(""));
    builder.appendComponent("/reports");
    return builder.URLString();
}

URLRequest HLYReportsController::mutableRequestWithURL(const std::string& url, double timeout) const
{
    URLRequest request;
    request.URL = url;
    // How long the connection may stay idle. The whole upload keeps the
    // session's own limit: a large report on a slow link takes what it takes.
    request.timeoutInterval = timeout;
    request.cachePolicy = CachePolicy::ReloadIgnoringLocalCacheData;
    request.HTTPMethod = "POST";
    return request;
}

bool HLYReportsController::fillInRequest(URLRequest& request, const fs::path& packagePath)
{
    HLYSetKitRequestHeaders(request, APIKey().value_or(""));
    request.setValue(RIGMultipartMimeStreamEncoder::contentTypeHTTPHeaderValueWithBoundary(packagePath.stem().string()),
                     "Content-Type");
    const auto size = m_fileManager->fileSizeAtPath(packagePath);
    if (!size) {
        log::always("[Halyard:Crash:Reports] Could not determine size of multipart mime file");
        return false;
    }
    request.setValue(std::to_string(*size), "Content-Length");
    request.HTTPBody.clear();
    request.HTTPBodyFile = packagePath;
    return true;
}

bool HLYReportsController::prepareAndSubmitReport(const std::shared_ptr<HLYInternalReport>& report, bool urgent,
                                                  bool processing)
{
    bool result = false;
    HLYApplicationActivity(kProcessingActivityOptions, "Halyard Crash Report Processing",
                           [&] { result = prepareLocked(report, urgent, processing); });
    return result;
}

bool HLYReportsController::prepareLocked(const std::shared_ptr<HLYInternalReport>& report, bool urgent, bool processing)
{
    // A folder another running instance holds is its live run, not an old report.
    const auto lock = HLYFileLock::tryLock(report->path());
    if (!lock && HLYFileLock::isLockedElsewhere(report->path())) {
        log::debugOnly("[Halyard:Crash:Reports] Report in use by another process: " + report->path().string());
        return false;
    }
    if (processing) {
        if (!m_fileManager->moveItemAtPath(report->path(), m_fileManager->processingPath())) {
            log::always("[Halyard:Crash:Reports] Unable to move report for processing");
            return false;
        }
        report->setPath(m_fileManager->processingPath() / report->directoryName());
        HLYProcessReportOperation(report, std::make_shared<HLYSymbolResolver>()).main();
    }
    if (!packagingEnabled()) {
        log::always("[Halyard:Crash:Reports] Report packaging disabled");
        return false;
    }
    HLYPackageReportOperation package(report, m_fileManager);
    package.main();
    if (!package.finalPath()) {
        log::always("[Halyard:Crash:Reports] Unable to package report");
        return false;
    }
    if (!m_fileManager->removeItemAtPath(report->path()))
        log::always("[Halyard:Crash:Reports] Unable to remove a processing item");
    log::debugOnly("[Halyard:Crash:Reports] Packaged id " + report->identifier().value_or("(null)") + " for submission");
    return uploadPackagedReportAtPath(*package.finalPath(), urgent);
}

bool HLYReportsController::uploadPackagedReportAtPath(const fs::path& path, bool urgent)
{
    if (!submissionEnabled()) {
        log::always("[Halyard:Crash:Reports] Submission disabled");
        return false;
    }
    log::debugOnly(std::string("[Halyard:Crash:Reports] Submitting report") + (urgent ? " as urgent" : ""));
    return submitPackageMultipartMimeAtPath(path, urgent);
}

bool HLYReportsController::submitPackageMultipartMimeAtPath(const fs::path& path, bool synchronously)
{
    log::always(std::string("[Halyard:Crash:Reports] Submitting ") + (synchronously ? "sync" : "async") + " "
                + path.string());
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (error || size == 0) {
        log::debugOnly("[Halyard:Crash:Reports] Already-submitted report being ignored");
        return false;
    }
    if (size > kHLYPackageMaximumLength) {
        // Not a package of ours: kept, it would be refused at every start.
        log::always("[Halyard:Crash:Reports] Removing " + path.string() + ", too large to be a report");
        m_fileManager->removeItemAtPath(path);
        return false;
    }
    // A blocking upload holds up the caller (the start of the application).
    const bool blocking = synchronously && !m_networkClient->supportsBackgroundRequests();
    URLRequest request = mutableRequestWithURL(reportURL(), blocking ? kBlockingUploadTimeout : kUploadTimeout);
    if (blocking)
        request.timeoutIntervalForResource = kBlockingUploadTimeLimit;
    if (!fillInRequest(request, path))
        return false;
    if (!synchronously) {
        std::lock_guard lock(m_mutex);
        ++m_uploadsRunning;
    }
    const bool started = m_networkClient->startUploadRequest(request, path, synchronously);
    if (!synchronously && !started) {
        std::lock_guard lock(m_mutex);
        --m_uploadsRunning;
    }
    return started;
}

void HLYReportsController::reportUploadAtPath(const fs::path& path, const std::optional<KitError>& error)
{
    log::debugOnly("[Halyard:Crash:Reports] completed submission of " + path.string());
    if (!error)
        cleanUpSubmittedReportAtPath(path);
    const auto delegate = m_delegate.lock();
    if (delegate)
        delegate->reportsControllerDidCompletePackageSubmission(*this, path, error);
    bool last = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_uploadsRunning > 0) {
            --m_uploadsRunning;
            last = m_uploadsRunning == 0;
        }
    }
    if (last && delegate)
        delegate->reportsControllerDidCompleteAllSubmissions(*this);
}

bool HLYReportsController::cleanUpSubmittedReportAtPath(const fs::path& path)
{
    if (!m_fileManager->removeItemAtPath(path)) {
        log::always("[Halyard:Crash:Reports] Unable to remove packaged submission");
        return false;
    }
    return true;
}

} // namespace qlkit
