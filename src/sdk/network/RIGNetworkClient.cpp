#include "sdk/network/RIGNetworkClient.h"

#include "sdk/network/RIGNetworkResponseHandler.h"
#include "sdk/network/RIGPinningSessionDelegate.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <random>

namespace qlkit {
namespace {

// The verdict on one finished attempt, shared by the data and download paths.
template <class Payload, class Completion, class Restart>
void settle(const URLRequest& request, unsigned retryCount, const Payload& payload,
            const std::optional<HTTPURLResponse>& response, const std::optional<KitError>& error,
            const Completion& completion, Restart restart)
{
    const HTTPURLResponse* answer = response ? &*response : nullptr;
    RIGNetworkResponseHandler::handleCompletedResponse(answer, request, error, [&](bool retry, const std::optional<KitError>& verdict) {
        if (!retry) {
            completion(payload, response, verdict);
        } else if (retryCount < RIGNetworkClient::kMaximumRetries) {
            RIGNetworkClient::runAfterRetryValueFromResponse(answer, retryCount + 1, restart);
        } else {
            completion(Payload(), std::nullopt, RIGNetworkResponseHandler::errorForCode(-6));
        }
    });
}

} // namespace

std::shared_ptr<RIGNetworkClient> RIGNetworkClient::create(std::shared_ptr<DispatchQueue> queue,
                                                           std::optional<std::vector<std::string>> pinnedCertificates)
{
    return create(HLYURLSessionConfiguration::defaultSessionConfiguration(), std::move(queue), std::move(pinnedCertificates));
}

std::shared_ptr<RIGNetworkClient> RIGNetworkClient::create(std::shared_ptr<HLYURLSessionConfiguration> configuration,
                                                           std::shared_ptr<DispatchQueue> queue,
                                                           std::optional<std::vector<std::string>> pinnedCertificates)
{
    auto client = std::make_shared<RIGNetworkClient>();
    if (pinnedCertificates)
        client->m_certPinner = std::make_shared<RIGCertificatePinner>(std::move(*pinnedCertificates));
    client->m_session = HLYURLSession::sessionWithConfiguration(
        std::move(configuration), std::make_shared<RIGPinningSessionDelegate>(client->m_certPinner), std::move(queue));
    if (!client->m_session)
        return nullptr;
    return client;
}

void RIGNetworkClient::startDataTaskWithRequest(const URLRequest& request, DataTaskCompletion completion) const
{
    startDataTaskForSession(m_session, request, 0, std::move(completion));
}

void RIGNetworkClient::startDownloadTaskWithRequest(const URLRequest& request, DownloadTaskCompletion completion) const
{
    startDownloadTaskForSession(m_session, request, 0, std::move(completion));
}

void RIGNetworkClient::startDataTaskForSession(std::shared_ptr<HLYURLSession> session, const URLRequest& request,
                                               unsigned retryCount, DataTaskCompletion completion)
{
    auto task = session ? session->dataTaskWithRequest(request, [session, request, retryCount, completion](
                                                                    const auto& data, const auto& response, const auto& error) {
        settle(request, retryCount, data, response, error, completion, [session, request, retryCount, completion] {
            startDataTaskForSession(session, request, retryCount + 1, completion);
        });
    })
                        : nullptr;
    if (!task) {
        completion(std::nullopt, std::nullopt, RIGNetworkResponseHandler::errorForCode(-3));
        return;
    }
    task->resume();
}

void RIGNetworkClient::startDownloadTaskForSession(std::shared_ptr<HLYURLSession> session, const URLRequest& request,
                                                   unsigned retryCount, DownloadTaskCompletion completion)
{
    auto task = session ? session->downloadTaskWithRequest(request, [session, request, retryCount, completion](
                                                                        const auto& location, const auto& response,
                                                                        const auto& error) {
        settle(request, retryCount, location, response, error, completion, [session, request, retryCount, completion] {
            startDownloadTaskForSession(session, request, retryCount + 1, completion);
        });
    })
                        : nullptr;
    if (!task) {
        completion(std::nullopt, std::nullopt, RIGNetworkResponseHandler::errorForCode(-3));
        return;
    }
    task->resume();
}

double RIGNetworkClient::computeDelayForResponse(const HTTPURLResponse* response, unsigned retryCount)
{
    const double base = RIGNetworkResponseHandler::retryValueForResponse(response);
    const double factor = retryCount == 0 ? 1.0 : double(retryCount);
    return std::max(RIGNetworkResponseHandler::kMinimumRetryDelay, base * factor * generateRandomJitter());
}

void RIGNetworkClient::runAfterRetryValueFromResponse(const HTTPURLResponse* response, unsigned attempts,
                                                      std::shared_ptr<DispatchQueue> queue, Task block)
{
    queue->after(computeDelayForResponse(response, attempts), std::move(block));
}

void RIGNetworkClient::runAfterRetryValueFromResponse(const HTTPURLResponse* response, unsigned attempts, Task block)
{
    runAfterRetryValueFromResponse(response, attempts, ConcurrentQueue::global(), std::move(block));
}

double RIGNetworkClient::generateRandomJitter()
{
    return randomDoubleWithMin(double(0.9f), double(1.1f));
}

double RIGNetworkClient::randomDoubleWithMin(double min, double max)
{
    // Seeded once per process: an unseeded sequence would give every
    // installation the same waits and defeat the jitter.
    static std::once_flag seeded;
    std::call_once(seeded, [] { srand48(long(std::random_device {}())); });
    return min + (max - min) * drand48();
}

} // namespace qlkit
