// One transfer of a session. Created suspended; resume() starts it once.
// Every event of a task runs on the task's own serial queue.
#pragma once

#include "sdk/foundation/Dispatch.h"
#include "sdk/network/KitError.h"
#include "sdk/network/URLRequest.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

namespace qlkit {

class HLYURLSession;

class HLYURLSessionTask : public std::enable_shared_from_this<HLYURLSessionTask> {
public:
    HLYURLSessionTask();
    virtual ~HLYURLSessionTask() = default;

    virtual void resume() {}
    virtual void cleanup() {}

    const URLRequest& originalRequest() const { return m_originalRequest; }
    void setOriginalRequest(URLRequest request) { m_originalRequest = std::move(request); }
    std::optional<URLRequest> currentRequest() const;
    void setCurrentRequest(std::optional<URLRequest> request);
    std::optional<HTTPURLResponse> response() const;
    std::optional<KitError> error() const;
    const std::shared_ptr<SerialQueue>& queue() const { return m_queue; }
    bool invokesDelegate() const { return m_invokesDelegate; }
    void setInvokesDelegate(bool invokes) { m_invokesDelegate = invokes; }
    // The session the task reports to; it is kept while the task runs.
    void setDelegate(std::shared_ptr<HLYURLSession> session) { m_session = std::move(session); }
    const std::shared_ptr<HLYURLSession>& delegate() const { return m_session; }

protected:
    void setResponse(HTTPURLResponse response);
    void setError(KitError error);

private:
    URLRequest m_originalRequest;
    mutable std::mutex m_mutex;
    std::optional<URLRequest> m_currentRequest;
    std::optional<HTTPURLResponse> m_response;
    std::optional<KitError> m_error;
    std::shared_ptr<SerialQueue> m_queue;
    std::atomic<bool> m_invokesDelegate {true};
    std::shared_ptr<HLYURLSession> m_session;
};

} // namespace qlkit
