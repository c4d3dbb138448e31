#include "sdk/network/RIGNetworkTaskUtility.h"

#include "sdk/KitConstants.h"
#include "sdk/network/RIGNetworkResponseHandler.h"
#include "sdk/network/RIGPinnedCertificates.h"
#include "sdk/network/RIGPinningSessionDelegate.h"

#include <algorithm>

namespace qlkit {
namespace {

template <class Payload, class Completion, class Restart>
void settle(const URLRequest& request, unsigned retriesLeft, const Payload& payload,
            const std::optional<HTTPURLResponse>& response, const std::optional<KitError>& error,
            const Completion& completion, Restart restart)
{
    const HTTPURLResponse* answer = response ? &*response : nullptr;
    RIGNetworkResponseHandler::handleCompletedResponse(answer, request, error, [&](bool retry, const std::optional<KitError>& verdict) {
        if (retry && retriesLeft > 0)
            RIGNetworkTaskUtility::runAfterRetryValueFromResponse(answer, restart);
        else if (completion)
            completion(payload, response, verdict);
    });
}

} // namespace

std::shared_ptr<RIGNetworkTaskUtility> RIGNetworkTaskUtility::create(std::shared_ptr<DispatchQueue> queue,
                                                                     std::optional<std::vector<std::string>> pinnedCertificates)
{
    auto utility = std::make_shared<RIGNetworkTaskUtility>();
    utility->m_certPinner = std::make_shared<RIGCertificatePinner>(pinnedCertificates.value_or(RIGPinnedCertificates()));
    utility->m_session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration(),
                                                                 std::make_shared<RIGPinningSessionDelegate>(utility->m_certPinner),
                                                                 std::move(queue));
    return utility;
}

namespace {

// Starts the task, or, when none could be made, answers at once with the
// "no task" error: never leave the caller waiting for an answer that cannot come.
template <class TaskPointer, class Completion>
void resumeOrRefuse(const TaskPointer& task, const Completion& completion)
{
    if (task) {
        task->resume();
        return;
    }
    if (completion)
        completion(std::nullopt, std::nullopt, RIGNetworkResponseHandler::errorForCode(-3));
}

} // namespace

void RIGNetworkTaskUtility::beginDataTaskWithRequest(const URLRequest& request, unsigned maxNumberOfRetries,
                                                     DataTaskCompletion completion)
{
    auto self = shared_from_this();
    auto task = m_session ? m_session->dataTaskWithRequest(request, [self, request, maxNumberOfRetries, completion](
                                                                        const auto& data, const auto& response, const auto& error) {
        settle(request, maxNumberOfRetries, data, response, error, completion, [self, request, maxNumberOfRetries, completion] {
            self->beginDataTaskWithRequest(request, maxNumberOfRetries - 1, completion);
        });
    })
                          : nullptr;
    resumeOrRefuse(task, completion);
}

void RIGNetworkTaskUtility::beginDownloadTaskWithRequest(const URLRequest& request, unsigned maxNumberOfRetries,
                                                         DownloadTaskCompletion completion)
{
    auto self = shared_from_this();
    auto task = m_session ? m_session->downloadTaskWithRequest(request, [self, request, maxNumberOfRetries, completion](
                                                                            const auto& location, const auto& response,
                                                                            const auto& error) {
        settle(request, maxNumberOfRetries, location, response, error, completion, [self, request, maxNumberOfRetries, completion] {
            self->beginDownloadTaskWithRequest(request, maxNumberOfRetries - 1, completion);
        });
    })
                          : nullptr;
    resumeOrRefuse(task, completion);
}

void RIGNetworkTaskUtility::runAfterRetryValueFromResponse(const HTTPURLResponse* response, Task block)
{
    const double delay = std::max(RIGNetworkResponseHandler::kMinimumRetryDelay,
                                  RIGNetworkResponseHandler::retryValueForResponse(response));
    SerialQueue::create(std::string(kKitIdentifier) + ".retry-work-queue")->after(delay, std::move(block));
}

} // namespace qlkit
