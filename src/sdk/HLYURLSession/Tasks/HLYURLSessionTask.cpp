#include "sdk/HLYURLSession/Tasks/HLYURLSessionTask.h"

#include "sdk/KitConstants.h"

namespace qlkit {

HLYURLSessionTask::HLYURLSessionTask()
    : m_queue(SerialQueue::create(std::string(kKitIdentifier) + ".urlsession.task"))
{
}

std::optional<URLRequest> HLYURLSessionTask::currentRequest() const
{
    std::lock_guard lock(m_mutex);
    return m_currentRequest;
}

void HLYURLSessionTask::setCurrentRequest(std::optional<URLRequest> request)
{
    std::lock_guard lock(m_mutex);
    m_currentRequest = std::move(request);
}

std::optional<HTTPURLResponse> HLYURLSessionTask::response() const
{
    std::lock_guard lock(m_mutex);
    return m_response;
}

std::optional<KitError> HLYURLSessionTask::error() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}

void HLYURLSessionTask::setResponse(HTTPURLResponse response)
{
    std::lock_guard lock(m_mutex);
    m_response = std::move(response);
}

void HLYURLSessionTask::setError(KitError error)
{
    std::lock_guard lock(m_mutex);
    m_error = std::move(error);
}

} // namespace qlkit
