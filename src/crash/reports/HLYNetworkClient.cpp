#include "crash/reports/HLYNetworkClient.h"

#include "crash/capture/HLYSDKLog.h"
#include "crash/reports/HLYFileLock.h"
#include "crash/reports/HLYFileManager.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/CurlTransfer.h"
#include "sdk/network/RIGNetworkResponseHandler.h"
#include "sdk/network/RIGPinnedCertificates.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <unistd.h>

namespace qlkit {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNetworkErrorDomain = "HLYNetworkError";

bool readable(const fs::path& path) { return ::access(path.c_str(), R_OK) == 0; }

// The session's delegate: hands task ends and trust questions to the client,
// which it does not keep alive.
class SessionDelegate final : public HLYURLSessionDelegate {
public:
    SessionDelegate(std::weak_ptr<HLYNetworkClient> client, std::shared_ptr<RIGCertificatePinner> pinner)
        : m_client(std::move(client)), m_pinner(std::move(pinner))
    {
    }
    void didReceiveChallenge(HLYURLSession& session, const AuthenticationChallenge& challenge,
                             const ChallengeCompletion& completion) override
    {
        if (log::debug()) {
            completion(AuthChallengeDisposition::PerformDefaultHandling, std::nullopt);
            return;
        }
        m_pinner->handleChallenge(challenge, session, completion);
    }
    void taskDidCompleteWithError(HLYURLSession&, HLYURLSessionTask& task, const std::optional<KitError>& error) override
    {
        if (const auto client = m_client.lock())
            client->taskDidComplete(task, error);
    }

private:
    std::weak_ptr<HLYNetworkClient> m_client;
    std::shared_ptr<RIGCertificatePinner> m_pinner;
};

} // namespace

std::shared_ptr<HLYNetworkClient> HLYNetworkClient::create(std::shared_ptr<DispatchQueue> queue,
                                                           std::shared_ptr<HLYFileManager> fileManager,
                                                           std::weak_ptr<HLYNetworkClientDelegate> delegate)
{
    std::shared_ptr<HLYNetworkClient> client(new HLYNetworkClient(std::move(queue), std::move(fileManager), delegate));
    if (const auto owner = delegate.lock())
        client->m_canUseBackgroundSession = owner->networkClientCanUseBackgroundSessions(*client);
    log::debugOnly(client->supportsBackgroundRequests()
                       ? "[Halyard:Crash:Client] Background session uploading supported"
                       : "[Halyard:Crash:Client] Background session uploading not supported, asynchronous uploading will be used");
    return client;
}

HLYNetworkClient::HLYNetworkClient(std::shared_ptr<DispatchQueue> queue, std::shared_ptr<HLYFileManager> fileManager,
                                   std::weak_ptr<HLYNetworkClientDelegate> delegate)
    : m_operationQueue(std::move(queue)), m_fileManager(std::move(fileManager)), m_delegate(std::move(delegate)),
      m_certPinner(pinner())
{
}

std::shared_ptr<RIGCertificatePinner> HLYNetworkClient::pinner()
{
    return std::make_shared<RIGCertificatePinner>(RIGPinnedCertificates());
}

std::shared_ptr<HLYURLSession> HLYNetworkClient::session()
{
    std::lock_guard lock(m_mutex);
    if (!m_session) {
        auto delegate = std::make_shared<SessionDelegate>(weak_from_this(), m_certPinner);
        m_session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration(),
                                                            delegate, m_operationQueue);
        if (!m_session)
            log::always("[Halyard:Crash:Client] Failed to initialize");
    }
    return m_session;
}

fs::path HLYNetworkClient::rootPath() const { return m_fileManager->rootPath(); }

fs::path HLYNetworkClient::absolutePathForRelativeTaskPath(const std::string& relative) const
{
    return rootPath() / relative;
}

std::optional<std::string> HLYNetworkClient::relativeTaskPathForAbsolutePath(const fs::path& path) const
{
    const std::string prefix = rootPath().string() + "/";
    const std::string text = path.string();
    if (text.rfind(prefix, 0) != 0) {
        HLYSDKLog("%s: Error: path '%s' is not at the root '%s'", "relativeTaskPathForAbsolutePath", text.c_str(),
                  prefix.c_str());
        return std::nullopt;
    }
    return text.substr(prefix.size());
}

bool HLYNetworkClient::hasTaskMatchingDescription(const std::string& description) const
{
    std::lock_guard lock(m_mutex);
    return m_uploads.count(description) != 0;
}

bool HLYNetworkClient::startUploadRequest(const URLRequest& request, const fs::path& path, bool immediately)
{
    if (immediately)
        return startImmediateUploadRequest(request, path);
    const auto description = relativeTaskPathForAbsolutePath(path);
    if (description && hasTaskMatchingDescription(*description)) {
        log::debugOnly("[Halyard:Crash:Client] A task currently exists for this upload, skipping");
        return false;
    }
    return startNewUploadRequest(request, path);
}

AuthChallengeDisposition HLYNetworkClient::trustDisposition(const ServerTrust& trust) const
{
    if (log::debug())
        return AuthChallengeDisposition::PerformDefaultHandling;
    SecTrustResultType result = SecTrustResultType::Invalid;
    const bool trusted = m_certPinner->evaluateTrust(trust, &result) == 0
                         && (result == SecTrustResultType::Proceed || result == SecTrustResultType::Unspecified);
    return trusted ? AuthChallengeDisposition::UseCredential : AuthChallengeDisposition::CancelAuthenticationChallenge;
}

bool HLYNetworkClient::startImmediateUploadRequest(const URLRequest& request, const fs::path& path)
{
    if (!readable(path)) {
        HLYSDKLog("%s: Error: file unreadable\n", "startImmediateUploadRequest");
        return false;
    }
    const auto lock = HLYFileLock::tryLock(path);
    if (!lock) {
        log::debugOnly("[Halyard:Crash:Client] Another process is sending " + path.string() + ", skipping");
        return false;
    }
    URLRequest copy = request;
    copy.HTTPBody.clear();
    copy.HTTPBodyFile = path;
    std::optional<HTTPURLResponse> response;
    TransferCallbacks callbacks;
    callbacks.response = [&](const HTTPURLResponse& answer) { response = answer; };
    callbacks.data = [](std::string_view) { return true; };
    callbacks.trust = [this](const ServerTrust& trust) { return trustDisposition(trust); };
    const auto transportError = performTransfer(copy, callbacks);
    std::optional<KitError> error = transportError;
    if (!error) {
        RIGNetworkResponseHandler::handleCompletedResponse(response ? &*response : nullptr, copy, std::nullopt,
                                                           [&](bool, const std::optional<KitError>& verdict) { error = verdict; });
    }
    record(path, error);
    // Only an accepted package is reported: anything else stays in prepared
    // for a later launch.
    if (!error)
        if (const auto delegate = m_delegate.lock())
            delegate->networkClientDidFinishUpload(*this, path, std::nullopt);
    return true;
}

bool HLYNetworkClient::startNewUploadRequest(const URLRequest& request, const fs::path& path)
{
    const auto description = relativeTaskPathForAbsolutePath(path);
    if (!description)
        return false;
    if (!readable(path)) {
        const std::string absolute = path.string();
        m_operationQueue->async([self = shared_from_this(), description = *description, absolute] {
            const KitError error {kNetworkErrorDomain, -2, Map {{"path", absolute}}, "package unreadable"};
            if (const auto delegate = self->m_delegate.lock())
                delegate->networkClientDidFinishUpload(*self, absolute, error);
        });
        return true; // it ends, with that error
    }
    auto lock = HLYFileLock::tryLock(path);
    if (!lock) {
        log::debugOnly("[Halyard:Crash:Client] Another process is sending " + path.string() + ", skipping");
        return false;
    }
    {
        std::lock_guard guard(m_mutex);
        m_uploads[*description] = Upload {std::move(lock), 0};
    }
    startTask(request, path, *description);
    return true;
}

void HLYNetworkClient::startTask(const URLRequest& request, const fs::path& path, const std::string& description)
{
    const auto current = session();
    if (!current) {
        handleTaskDescriptionCompleted(description, KitError {kNetworkErrorDomain, -1, {}, "no session"});
        return;
    }
    auto task = current->uploadTaskWithRequest(request, path);
    task->setTaskDescription(description);
    task->resume();
}

void HLYNetworkClient::taskDidComplete(HLYURLSessionTask& task, const std::optional<KitError>& error)
{
    auto* upload = dynamic_cast<HLYURLSessionDataTask*>(&task);
    if (!upload)
        return;
    const std::string description = upload->taskDescription();
    const auto response = task.response();
    RIGNetworkResponseHandler::handleCompletedResponse(
        response ? &*response : nullptr, task.originalRequest(), error,
        [&](bool retry, const std::optional<KitError>& verdict) {
            bool restart = false;
            if (retry) {
                std::lock_guard lock(m_mutex);
                const auto it = m_uploads.find(description);
                if (it != m_uploads.end() && it->second.restarts < kMaximumRestarts) {
                    ++it->second.restarts;
                    restart = true;
                }
            }
            if (restart)
                restartTask(task.originalRequest(), response, description);
            else
                handleTaskDescriptionCompleted(description, verdict);
        });
}

void HLYNetworkClient::restartTask(const URLRequest& request, const std::optional<HTTPURLResponse>& response,
                                   const std::string& description)
{
    const double delay = std::max(RIGNetworkResponseHandler::retryValueForResponse(response ? &*response : nullptr),
                                  RIGNetworkResponseHandler::kMinimumRetryDelay);
    std::weak_ptr<HLYNetworkClient> weak = weak_from_this();
    m_operationQueue->after(delay, [weak, request, description] {
        if (const auto self = weak.lock())
            self->startTask(request, self->absolutePathForRelativeTaskPath(description), description);
    });
}

void HLYNetworkClient::handleTaskDescriptionCompleted(const std::string& description, const std::optional<KitError>& error)
{
    const fs::path path = absolutePathForRelativeTaskPath(description);
    record(path, error);
    if (const auto delegate = m_delegate.lock())
        delegate->networkClientDidFinishUpload(*this, path, error);
    std::unique_ptr<HLYFileLock> lock;
    {
        std::lock_guard guard(m_mutex);
        const auto it = m_uploads.find(description);
        if (it != m_uploads.end()) {
            lock = std::move(it->second.lock);
            m_uploads.erase(it);
        }
    }
    m_changed.notify_all();
}

void HLYNetworkClient::record(const fs::path& path, const std::optional<KitError>& error)
{
    std::lock_guard lock(m_mutex);
    m_outcomes.push_back({path, error});
}

std::size_t HLYNetworkClient::uploadsInFlight() const
{
    std::lock_guard lock(m_mutex);
    return m_uploads.size();
}

bool HLYNetworkClient::waitForUploads(double seconds) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::duration<double>(seconds), [this] { return m_uploads.empty(); });
}

std::vector<HLYUploadOutcome> HLYNetworkClient::outcomes() const
{
    std::lock_guard lock(m_mutex);
    return m_outcomes;
}

} // namespace qlkit
