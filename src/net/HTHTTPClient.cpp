#include "net/HTHTTPClient.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>

namespace ql {

HTHTTPClient::HTHTTPClient()
{
    // Transfers mostly wait on the network; a few at once keep thumbnails
    // coming without flooding a server.
    m_pool.setMaxThreadCount(6);
}

HTHTTPClient::~HTHTTPClient()
{
    {
        const std::lock_guard lock(m_mutex);
        for (const auto& running : m_running) {
            if (const auto task = running.lock())
                task->cancel();
        }
    }
    m_pool.waitForDone();
}

HTHTTPClient& HTHTTPClient::shared()
{
    static HTHTTPClient client;
    return client;
}

std::shared_ptr<HTHTTPTask> HTHTTPClient::get(HTHTTPRequest request, QObject* receiver, Completion completion)
{
    auto task = std::make_shared<HTHTTPTask>(std::move(request));
    {
        const std::lock_guard lock(m_mutex);
        std::erase_if(m_running, [](const std::weak_ptr<HTHTTPTask>& running) { return running.expired(); });
        m_running.push_back(task);
    }
    // The guard is made and read on the main thread only; the result is
    // posted to the application object, which outlives every receiver.
    const bool guarded = receiver != nullptr;
    QPointer<QObject> guard = receiver;
    m_pool.start([task, guarded, guard, completion = std::move(completion)]() mutable {
        Result<HTHTTPResponse> result = task->perform();
        QCoreApplication* app = QCoreApplication::instance();
        if (!app)
            return;
        QMetaObject::invokeMethod(
            app,
            [guarded, guard, completion = std::move(completion), result = std::move(result)] {
                if (!guarded || guard)
                    completion(result);
            },
            Qt::QueuedConnection);
    });
    return task;
}

} // namespace ql
