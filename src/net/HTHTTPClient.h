// Runs HTTP requests on worker threads and hands each result to the main
// thread, while the receiver that asked for it still lives.
#pragma once

#include "net/HTHTTPTask.h"

#include <QObject>
#include <QThreadPool>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ql {

class HTHTTPClient {
public:
    using Completion = std::function<void(const Result<HTHTTPResponse>&)>;

    HTHTTPClient();
    // Cancels what still runs and waits for it to end.
    ~HTHTTPClient();
    HTHTTPClient(const HTHTTPClient&) = delete;
    HTHTTPClient& operator=(const HTHTTPClient&) = delete;

    // The program's client.
    static HTHTTPClient& shared();

    // Starts the request; `completion` runs once on the main thread unless
    // `receiver` (when given) is gone by then. The task may be cancelled.
    std::shared_ptr<HTHTTPTask> get(HTHTTPRequest request, QObject* receiver, Completion completion);

private:
    QThreadPool m_pool;
    std::mutex m_mutex;
    std::vector<std::weak_ptr<HTHTTPTask>> m_running;
};

} // namespace ql
