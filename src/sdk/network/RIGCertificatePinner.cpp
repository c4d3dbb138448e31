#include "sdk/network/RIGCertificatePinner.h"

#include "sdk/foundation/CryptoInit.h"

namespace qlkit {

RIGCertificatePinner::RIGCertificatePinner(std::vector<std::string> certificates)
    : m_certificates(std::move(certificates))
{
    initialiseCrypto();
    if (m_certificates.empty())
        return;
    m_anchors = X509_STORE_new();
    for (const auto& der : m_certificates) {
        X509* certificate = createCertificationWithData(reinterpret_cast<const unsigned char*>(der.data()), der.size());
        const bool added = certificate && X509_STORE_add_cert(m_anchors, certificate) == 1;
        X509_free(certificate);
        if (!added) {
            X509_STORE_free(m_anchors);
            m_anchors = nullptr;
            return;
        }
    }
}

RIGCertificatePinner::~RIGCertificatePinner() { X509_STORE_free(m_anchors); }

X509* RIGCertificatePinner::createCertificationWithData(const unsigned char* bytes, std::size_t length)
{
    if (!bytes)
        return nullptr;
    return d2i_X509(nullptr, &bytes, long(length));
}

std::int16_t RIGCertificatePinner::evaluateTrust(const ServerTrust& trust, SecTrustResultType* result) const
{
    if (m_certificates.empty()) {
        *result = SecTrustResultType::Invalid;
        return 0;
    }
    if (!m_anchors) {
        *result = SecTrustResultType::FatalTrustFailure;
        return -1;
    }
    // The store holds the pinned roots only, so nothing else can anchor a chain.
    *result = trust.evaluate(m_anchors) ? SecTrustResultType::Unspecified : SecTrustResultType::RecoverableTrustFailure;
    return 0;
}

bool RIGCertificatePinner::handleChallenge(const AuthenticationChallenge& challenge, HLYURLSession&,
                                           const ChallengeCompletion& completion) const
{
    if (!challenge.serverTrust) {
        completion(AuthChallengeDisposition::CancelAuthenticationChallenge, std::nullopt);
        return false;
    }
    SecTrustResultType result = SecTrustResultType::Invalid;
    const std::int16_t status = evaluateTrust(*challenge.serverTrust, &result);
    if (status == 0 && (result == SecTrustResultType::Proceed || result == SecTrustResultType::Unspecified)) {
        completion(AuthChallengeDisposition::UseCredential, URLCredential {challenge.serverTrust});
        return true;
    }
    completion(AuthChallengeDisposition::CancelAuthenticationChallenge, std::nullopt);
    return false;
}

} // namespace qlkit
