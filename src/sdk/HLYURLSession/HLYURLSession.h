// The kit's HTTP session: makes data, upload and download tasks over libcurl,
// adds the configuration's headers, and forwards task events to its delegate
// on the delegate queue. Completion blocks run on the task's own queue.
#pragma once

#include "sdk/HLYURLSession/HLYURLSessionConfiguration.h"
#include "sdk/HLYURLSession/HLYURLSessionDelegate.h"
#include "sdk/HLYURLSession/Tasks/HLYURLSessionDataTask.h"
#include "sdk/HLYURLSession/Tasks/HLYURLSessionDownloadTask.h"
#include "sdk/foundation/Dispatch.h"

#include <memory>
#include <vector>

namespace qlkit {

class HLYURLSession : public std::enable_shared_from_this<HLYURLSession> {
public:
    static std::shared_ptr<HLYURLSession> sessionWithConfiguration(std::shared_ptr<HLYURLSessionConfiguration> configuration);
    // Nothing without a configuration. A delegate without a queue gets a new
    // serial queue of the session's own.
    static std::shared_ptr<HLYURLSession> sessionWithConfiguration(std::shared_ptr<HLYURLSessionConfiguration> configuration,
                                                                   std::shared_ptr<HLYURLSessionDelegate> delegate,
                                                                   std::shared_ptr<DispatchQueue> delegateQueue);
    static std::shared_ptr<SerialQueue> newDefaultDelegateQueue();

    std::shared_ptr<HLYURLSessionDataTask> dataTaskWithRequest(const URLRequest& request,
                                                               DataTaskCompletion completion = nullptr);
    std::shared_ptr<HLYURLSessionUploadTask> uploadTaskWithRequest(const URLRequest& request,
                                                                   const std::filesystem::path& file,
                                                                   DataTaskCompletion completion = nullptr);
    std::shared_ptr<HLYURLSessionDownloadTask> downloadTaskWithRequest(const URLRequest& request,
                                                                       DownloadTaskCompletion completion = nullptr);
    std::shared_ptr<HLYURLSessionDownloadTask> downloadTaskWithURL(const std::string& url);
    // Running tasks are not tracked: the lists are always empty.
    void getTasksWithCompletionHandler(
        std::function<void(const std::vector<std::shared_ptr<HLYURLSessionTask>>&,
                           const std::vector<std::shared_ptr<HLYURLSessionTask>>&,
                           const std::vector<std::shared_ptr<HLYURLSessionTask>>&)> completion);

    const std::shared_ptr<HLYURLSessionDelegate>& delegate() const { return m_delegate; }
    const std::shared_ptr<DispatchQueue>& delegateQueue() const { return m_delegateQueue; }
    const std::shared_ptr<HLYURLSessionConfiguration>& configuration() const { return m_configuration; }
    std::string sessionDescription;

    // Called by the tasks, on their queues.
    void taskDidReceiveResponse(HLYURLSessionTask& task, const HTTPURLResponse& response);
    void taskDidReceiveData(HLYURLSessionTask& task, std::string_view data);
    void downloadTaskDidFinishDownloadingToURL(HLYURLSessionDownloadTask& task, const std::filesystem::path& location);
    void taskDidCompleteWithError(HLYURLSessionTask& task, const std::optional<KitError>& error);
    AuthChallengeDisposition dispositionForServerTrust(const ServerTrust& trust);

    HLYURLSession();

private:
    void configureTask(HLYURLSessionTask& task, const URLRequest& request,
                       const std::function<void(URLRequest&)>& block = nullptr);
    // Runs the call on the delegate queue when the task reports to the delegate.
    bool forward(HLYURLSessionTask& task, std::function<void(HLYURLSessionDelegate&, HLYURLSessionTask&)> call);

    std::shared_ptr<HLYURLSessionDelegate> m_delegate;
    std::shared_ptr<DispatchQueue> m_delegateQueue;
    std::shared_ptr<HLYURLSessionConfiguration> m_configuration;
    std::shared_ptr<SerialQueue> m_privateQueue;
};

} // namespace qlkit
