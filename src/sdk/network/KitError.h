// Failures of the kit's network layer: a domain, a code and details.
#pragma once

#include "sdk/foundation/Value.h"

#include <string>

namespace qlkit {

struct KitError {
    std::string domain;
    long code = 0;
    Map userInfo;
    std::string message; // for logs

    std::string describe() const;
};

// Transport failures of the session, numbered as URL-loading errors usually are.
inline constexpr const char* kURLErrorDomain = "HLYURLErrorDomain";
enum URLErrorCode : long {
    kURLErrorUnknown = -1,
    kURLErrorCancelled = -999,
    kURLErrorBadURL = -1000,
    kURLErrorTimedOut = -1001,
    kURLErrorUnsupportedURL = -1002,
    kURLErrorCannotConnectToHost = -1004,
    kURLErrorNetworkConnectionLost = -1005,
    kURLErrorHTTPTooManyRedirects = -1007,
    kURLErrorBadServerResponse = -1011,
    kURLErrorCannotParseResponse = -1017,
    kURLErrorRequiresSecureConnection = -1022,
    kURLErrorDataLengthExceedsMaximum = -1103,
    kURLErrorSecureConnectionFailed = -1200,
    kURLErrorServerCertificateUntrusted = -1202,
    kURLErrorCannotOpenFile = -3000,
};

} // namespace qlkit
