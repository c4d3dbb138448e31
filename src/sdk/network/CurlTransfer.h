// One HTTP exchange over libcurl, run on the calling thread. Request headers go
// out in the request's order; libcurl adds only what HTTP/1.1 needs (Host,
// and Content-Length for a body the request did not measure itself).
#pragma once

#include "sdk/network/KitError.h"
#include "sdk/network/ServerTrust.h"
#include "sdk/network/URLRequest.h"

#include <functional>
#include <optional>
#include <string_view>

namespace qlkit {

struct TransferCallbacks {
    // The final response's status and headers, before any of its body.
    std::function<void(const HTTPURLResponse&)> response;
    // Body bytes as they arrive; false aborts the transfer.
    std::function<bool(std::string_view)> data;
    // Decides whether a TLS server is trusted.
    std::function<AuthChallengeDisposition(const ServerTrust&)> trust;
};

// Nothing on success; a transport error otherwise (HTTP error statuses are
// not transport errors).
std::optional<KitError> performTransfer(const URLRequest& request, const TransferCallbacks& callbacks);

} // namespace qlkit
