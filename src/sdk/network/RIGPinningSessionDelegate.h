// The session delegate of the kit's network clients: server-trust challenges
// go to the pinner, unless the kit runs in debug mode or has no pinner, when
// the system's trust decides.
#pragma once

#include "sdk/HLYURLSession/HLYURLSessionDelegate.h"
#include "sdk/network/RIGCertificatePinner.h"

#include <memory>

namespace qlkit {

class RIGPinningSessionDelegate final : public HLYURLSessionDelegate {
public:
    explicit RIGPinningSessionDelegate(std::shared_ptr<RIGCertificatePinner> pinner) : m_pinner(std::move(pinner)) {}
    void didReceiveChallenge(HLYURLSession& session, const AuthenticationChallenge& challenge,
                             const ChallengeCompletion& completion) override;

private:
    std::shared_ptr<RIGCertificatePinner> m_pinner;
};

} // namespace qlkit
