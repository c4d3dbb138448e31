#include "sdk/HLYURLSession/Tasks/HLYURLSessionDataTask.h"

#include "sdk/HLYURLSession/HLYURLSession.h"
#include "sdk/network/CurlTransfer.h"

namespace qlkit {

void HLYURLSessionDataTask::resume()
{
    auto self = std::static_pointer_cast<HLYURLSessionDataTask>(shared_from_this());
    queue()->async([self] {
        if (self->m_started)
            return;
        self->m_started = true;
        self->run();
    });
}

void HLYURLSessionDataTask::run()
{
    auto session = delegate();
    TransferCallbacks callbacks;
    callbacks.response = [&](const HTTPURLResponse& response) {
        if (session)
            session->taskDidReceiveResponse(*this, response);
        setResponse(response);
    };
    callbacks.data = [&](std::string_view data) { return receiveData(data); };
    callbacks.trust = [&](const ServerTrust& trust) {
        return session ? session->dispositionForServerTrust(trust) : AuthChallengeDisposition::PerformDefaultHandling;
    };
    if (auto failure = performTransfer(originalRequest(), callbacks); failure && !error())
        setError(*failure);
    complete();
    // The session was kept for the transfer only.
    setDelegate(nullptr);
}

bool HLYURLSessionDataTask::receiveData(std::string_view data)
{
    if (!m_receivedData)
        m_receivedData.emplace();
    m_receivedData->append(data);
    if (auto session = delegate())
        session->taskDidReceiveData(*this, data);
    return true;
}

void HLYURLSessionDataTask::complete()
{
    if (m_completionHandler)
        m_completionHandler(m_receivedData, response(), error());
    if (auto session = delegate())
        session->taskDidCompleteWithError(*this, error());
}

std::string HLYURLSessionDataTask::taskDescription() const
{
    std::lock_guard lock(m_descriptionMutex);
    return m_taskDescription;
}

void HLYURLSessionDataTask::setTaskDescription(std::string description)
{
    std::lock_guard lock(m_descriptionMutex);
    m_taskDescription = std::move(description);
}

} // namespace qlkit
