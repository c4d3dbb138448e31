// Uploads report packages: an upload task of the kit's session for ordinary
// submissions, or the transfer run on the calling thread for an urgent one.
// A retry-class answer restarts the same upload after the server's delay,
// at most ten times; each package is locked while it is being sent, so that
// a second running instance does not send it too.
#pragma once

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/network/RIGCertificatePinner.h"

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace qlkit {

class HLYFileLock;
class HLYFileManager;
class HLYNetworkClient;

class HLYNetworkClientDelegate {
public:
    virtual ~HLYNetworkClientDelegate() = default;
    virtual bool networkClientCanUseBackgroundSessions(HLYNetworkClient& client) = 0;
    virtual void networkClientDidFinishUpload(HLYNetworkClient& client, const std::filesystem::path& path,
                                              const std::optional<KitError>& error) = 0;
};

// How one upload of a package ended.
struct HLYUploadOutcome {
    std::filesystem::path path;
    std::optional<KitError> error; // nothing: the service accepted it
};

class HLYNetworkClient : public std::enable_shared_from_this<HLYNetworkClient> {
public:
    // Restarts of one upload after retry-class answers.
    static constexpr int kMaximumRestarts = 10;

    static std::shared_ptr<HLYNetworkClient> create(std::shared_ptr<DispatchQueue> queue,
                                                    std::shared_ptr<HLYFileManager> fileManager,
                                                    std::weak_ptr<HLYNetworkClientDelegate> delegate);
    static std::shared_ptr<RIGCertificatePinner> pinner();

    // Transfers never outlive the process on this platform.
    bool supportsBackgroundRequests() const { return false; }
    std::shared_ptr<HLYURLSession> session();
    const std::shared_ptr<DispatchQueue>& operationQueue() const { return m_operationQueue; }
    void attemptToReconnectBackgroundSessionWithCompletionBlock(const std::function<void()>& block) { block(); }

    // False when the upload was not started (unreadable, or another
    // process is sending the package).
    bool startUploadRequest(const URLRequest& request, const std::filesystem::path& path, bool immediately);
    bool startImmediateUploadRequest(const URLRequest& request, const std::filesystem::path& path);
    bool startNewUploadRequest(const URLRequest& request, const std::filesystem::path& path);

    std::filesystem::path rootPath() const;
    std::filesystem::path absolutePathForRelativeTaskPath(const std::string& relative) const;
    std::optional<std::string> relativeTaskPathForAbsolutePath(const std::filesystem::path& path) const;
    bool hasTaskMatchingDescription(const std::string& description) const;

    // Called on the operation queue when a task of the session ends.
    void taskDidComplete(HLYURLSessionTask& task, const std::optional<KitError>& error);

    // Uploads begun and not yet ended (a restart pending counts as running).
    std::size_t uploadsInFlight() const;
    // Waits (real time) until no upload is in flight; false on time-out.
    bool waitForUploads(double seconds) const;
    std::vector<HLYUploadOutcome> outcomes() const;

private:
    HLYNetworkClient(std::shared_ptr<DispatchQueue> queue, std::shared_ptr<HLYFileManager> fileManager,
                     std::weak_ptr<HLYNetworkClientDelegate> delegate);
    void startTask(const URLRequest& request, const std::filesystem::path& path, const std::string& description);
    void restartTask(const URLRequest& request, const std::optional<HTTPURLResponse>& response,
                     const std::string& description);
    void handleTaskDescriptionCompleted(const std::string& description, const std::optional<KitError>& error);
    void record(const std::filesystem::path& path, const std::optional<KitError>& error);
    AuthChallengeDisposition trustDisposition(const ServerTrust& trust) const;

    std::shared_ptr<DispatchQueue> m_operationQueue;
    std::shared_ptr<HLYFileManager> m_fileManager;
    std::weak_ptr<HLYNetworkClientDelegate> m_delegate;
    std::shared_ptr<RIGCertificatePinner> m_certPinner;
    bool m_canUseBackgroundSession = false;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::shared_ptr<HLYURLSession> m_session;
    struct Upload {
        std::unique_ptr<HLYFileLock> lock;
        int restarts = 0;
    };
    std::map<std::string, Upload> m_uploads; // by task description
    std::vector<HLYUploadOutcome> m_outcomes;
};

} // namespace qlkit
