#include "sdk/network/RIGPinningSessionDelegate.h"

#include "sdk/foundation/Log.h"

namespace qlkit {

void RIGPinningSessionDelegate::didReceiveChallenge(HLYURLSession& session, const AuthenticationChallenge& challenge,
                                                    const ChallengeCompletion& completion)
{
    if (log::debug() || !m_pinner) {
        completion(AuthChallengeDisposition::PerformDefaultHandling, std::nullopt);
        return;
    }
    m_pinner->handleChallenge(challenge, session, completion);
}

} // namespace qlkit
