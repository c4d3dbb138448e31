// Accepts a TLS server only when its chain ends at one of the given root
// certificates; the system's own roots do not count. Host names are still
// checked. An empty list refuses every server.
#pragma once

#include "sdk/network/ServerTrust.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qlkit {

class HLYURLSession;

enum class SecTrustResultType { Invalid, Proceed, Deny, Unspecified, RecoverableTrustFailure, FatalTrustFailure };

class RIGCertificatePinner {
public:
    // DER-encoded root certificates.
    explicit RIGCertificatePinner(std::vector<std::string> certificates);
    ~RIGCertificatePinner();
    RIGCertificatePinner(const RIGCertificatePinner&) = delete;
    RIGCertificatePinner& operator=(const RIGCertificatePinner&) = delete;

    const std::vector<std::string>& certificates() const { return m_certificates; }
    // 0 with the evaluation's result, or a failure status.
    std::int16_t evaluateTrust(const ServerTrust& trust, SecTrustResultType* result) const;
    // True when the challenge was answered with a credential.
    bool handleChallenge(const AuthenticationChallenge& challenge, HLYURLSession& session,
                         const ChallengeCompletion& completion) const;
    // A certificate from DER bytes, owned by the caller; null when unreadable.
    static X509* createCertificationWithData(const unsigned char* bytes, std::size_t length);

private:
    std::vector<std::string> m_certificates;
    X509_STORE* m_anchors = nullptr; // null when a certificate could not be read
};

} // namespace qlkit
