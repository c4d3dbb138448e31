// One GET performed with libcurl on the calling thread: http and https only
// (redirects too, at most five), certificates verified, a connect time-out,
// a stall time-out, a byte limit, and a status of 400 or more as an error.
// Any thread may cancel it while it runs.
#pragma once

#include "net/HTHTTPRequest.h"
#include "platform/Error.h"

#include <atomic>

namespace ql {

class HTHTTPTask {
public:
    // Errors of the transfer itself; an answer of 400 or more comes in the
    // domain kHTTPStatusErrorDomain with the status as its code.
    enum ErrorCode { InvalidURL = 1, NetworkFailure, TooLarge, ShortBody, FileFailure, Cancelled, TimedOut };
    static inline const QString kErrorDomain = QStringLiteral("HTHTTPClient");
    static inline const QString kHTTPStatusErrorDomain = QStringLiteral("HTHTTPStatus");
    static constexpr int kMaximumRedirects = 5;

    explicit HTHTTPTask(HTHTTPRequest request);

    const HTHTTPRequest& request() const { return m_request; }
    void cancel() { m_cancelled = true; }
    bool isCancelled() const { return m_cancelled; }

    // Blocks until the transfer ends.
    Result<HTHTTPResponse> perform();

private:
    HTHTTPRequest m_request;
    std::atomic<bool> m_cancelled {false};
};

} // namespace ql
