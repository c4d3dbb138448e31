#include "sdk/HLYURLSession/HLYURLSession.h"

#include "sdk/KitConstants.h"

#include <cstdio>
#include <future>

namespace qlkit {

HLYURLSession::HLYURLSession() : m_privateQueue(SerialQueue::create(std::string(kKitIdentifier) + ".urlsession")) {}

std::shared_ptr<HLYURLSession> HLYURLSession::sessionWithConfiguration(std::shared_ptr<HLYURLSessionConfiguration> configuration)
{
    return sessionWithConfiguration(std::move(configuration), nullptr, nullptr);
}

std::shared_ptr<HLYURLSession> HLYURLSession::sessionWithConfiguration(std::shared_ptr<HLYURLSessionConfiguration> configuration,
                                                                       std::shared_ptr<HLYURLSessionDelegate> delegate,
                                                                       std::shared_ptr<DispatchQueue> delegateQueue)
{
    if (!configuration)
        return nullptr;
    auto session = std::make_shared<HLYURLSession>();
    if (delegate && !delegateQueue)
        delegateQueue = newDefaultDelegateQueue();
    session->m_delegate = std::move(delegate);
    session->m_delegateQueue = std::move(delegateQueue);
    session->m_configuration = configuration->copy();
    return session;
}

std::shared_ptr<SerialQueue> HLYURLSession::newDefaultDelegateQueue()
{
    static int anchor = 0;
    char label[64];
    std::snprintf(label, sizeof label, "HLYURLSession %p", static_cast<void*>(&anchor));
    return SerialQueue::create(label);
}

void HLYURLSession::configureTask(HLYURLSessionTask& task, const URLRequest& request,
                                  const std::function<void(URLRequest&)>& block)
{
    URLRequest prepared = request;
    m_privateQueue->sync([&] {
        for (const auto& [field, value] : m_configuration->HTTPAdditionalHeaders)
            prepared.addValue(value, field);
    });
    if (block)
        block(prepared);
    task.setOriginalRequest(std::move(prepared));
    task.setDelegate(shared_from_this());
}

std::shared_ptr<HLYURLSessionDataTask> HLYURLSession::dataTaskWithRequest(const URLRequest& request,
                                                                          DataTaskCompletion completion)
{
    auto task = std::make_shared<HLYURLSessionDataTask>();
    if (completion) {
        task->setCompletionHandler(std::move(completion));
        task->setInvokesDelegate(false);
    }
    configureTask(*task, request);
    return task;
}

std::shared_ptr<HLYURLSessionUploadTask> HLYURLSession::uploadTaskWithRequest(const URLRequest& request,
                                                                              const std::filesystem::path& file,
                                                                              DataTaskCompletion completion)
{
    auto task = std::make_shared<HLYURLSessionUploadTask>();
    if (completion) {
        task->setCompletionHandler(std::move(completion));
        task->setInvokesDelegate(false);
    }
    configureTask(*task, request, [&](URLRequest& prepared) {
        prepared.HTTPBody.clear();
        prepared.HTTPBodyFile = file;
    });
    return task;
}

std::shared_ptr<HLYURLSessionDownloadTask> HLYURLSession::downloadTaskWithRequest(const URLRequest& request,
                                                                                  DownloadTaskCompletion completion)
{
    auto task = std::make_shared<HLYURLSessionDownloadTask>();
    if (completion) {
        task->setDownloadCompletionHandler(std::move(completion));
        task->setInvokesDelegate(false);
    }
    configureTask(*task, request);
    return task;
}

std::shared_ptr<HLYURLSessionDownloadTask> HLYURLSession::downloadTaskWithURL(const std::string& url)
{
    URLRequest request;
    request.URL = url;
    return downloadTaskWithRequest(request);
}

void HLYURLSession::getTasksWithCompletionHandler(
    std::function<void(const std::vector<std::shared_ptr<HLYURLSessionTask>>&,
                       const std::vector<std::shared_ptr<HLYURLSessionTask>>&,
                       const std::vector<std::shared_ptr<HLYURLSessionTask>>&)> completion)
{
    auto queue = m_delegateQueue ? m_delegateQueue : std::shared_ptr<DispatchQueue>(ConcurrentQueue::global());
    queue->async([completion = std::move(completion)] { completion({}, {}, {}); });
}

bool HLYURLSession::forward(HLYURLSessionTask& task, std::function<void(HLYURLSessionDelegate&, HLYURLSessionTask&)> call)
{
    if (!task.invokesDelegate() || !m_delegate || !m_delegateQueue)
        return false;
    m_delegateQueue->async([delegate = m_delegate, keep = task.shared_from_this(), call = std::move(call)] {
        call(*delegate, *keep);
    });
    return true;
}

void HLYURLSession::taskDidReceiveResponse(HLYURLSessionTask& task, const HTTPURLResponse& response)
{
    forward(task, [self = shared_from_this(), response](HLYURLSessionDelegate& delegate, HLYURLSessionTask& t) {
        delegate.dataTaskDidReceiveResponse(*self, t, response, [](int) {});
    });
}

void HLYURLSession::taskDidReceiveData(HLYURLSessionTask& task, std::string_view data)
{
    forward(task, [self = shared_from_this(), data = std::string(data)](HLYURLSessionDelegate& delegate, HLYURLSessionTask& t) {
        delegate.dataTaskDidReceiveData(*self, t, data);
    });
}

void HLYURLSession::downloadTaskDidFinishDownloadingToURL(HLYURLSessionDownloadTask& task,
                                                          const std::filesystem::path& location)
{
    const bool forwarded = forward(task, [self = shared_from_this(), location](HLYURLSessionDelegate& delegate,
                                                                              HLYURLSessionTask& t) {
        delegate.downloadTaskDidFinishDownloadingToURL(*self, t, location);
        t.cleanup();
    });
    if (!forwarded)
        task.cleanup();
}

void HLYURLSession::taskDidCompleteWithError(HLYURLSessionTask& task, const std::optional<KitError>& error)
{
    forward(task, [self = shared_from_this(), error](HLYURLSessionDelegate& delegate, HLYURLSessionTask& t) {
        delegate.taskDidCompleteWithError(*self, t, error);
    });
}

AuthChallengeDisposition HLYURLSession::dispositionForServerTrust(const ServerTrust& trust)
{
    if (!m_delegate)
        return AuthChallengeDisposition::PerformDefaultHandling;
    // The handshake waits for the answer; a delegate that never answers refuses.
    auto disposition = AuthChallengeDisposition::CancelAuthenticationChallenge;
    const AuthenticationChallenge challenge {&trust};
    auto ask = [&] {
        m_delegate->didReceiveChallenge(*this, challenge,
                                        [&](AuthChallengeDisposition answer, std::optional<URLCredential>) {
                                            disposition = answer;
                                        });
    };
    if (m_delegateQueue)
        m_delegateQueue->sync(ask);
    else
        ask();
    return disposition;
}

} // namespace qlkit
