// A TLS server's certificate chain as presented during the handshake, and the
// trust challenge a session hands to its delegate for it.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include <openssl/x509.h>

namespace qlkit {

struct ServerTrust {
    X509* leaf = nullptr;            // valid during the challenge only
    STACK_OF(X509)* chain = nullptr; // what the server sent, untrusted
    std::string host;

    // Verifies the chain up to a certificate of `store`, with validity periods
    // and the host name (or IP address) checked.
    bool evaluate(X509_STORE* store, std::string* failure = nullptr) const;
    // The same against the system's default trust store.
    bool evaluateWithSystemTrust(std::string* failure = nullptr) const;
};

enum class AuthChallengeDisposition { UseCredential, PerformDefaultHandling, CancelAuthenticationChallenge };

struct AuthenticationChallenge {
    const ServerTrust* serverTrust = nullptr; // none for challenges other than server trust
};

struct URLCredential {
    const ServerTrust* trust = nullptr;
};

using ChallengeCompletion = std::function<void(AuthChallengeDisposition, std::optional<URLCredential>)>;

} // namespace qlkit
