// What a session tells its delegate, on the session's delegate queue. Every
// operation is optional.
#pragma once

#include "sdk/network/KitError.h"
#include "sdk/network/ServerTrust.h"
#include "sdk/network/URLRequest.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace qlkit {

class HLYURLSession;
class HLYURLSessionTask;

class HLYURLSessionDelegate {
public:
    virtual ~HLYURLSessionDelegate() = default;

    // Server-trust challenges; the default lets the system's trust decide.
    virtual void didReceiveChallenge(HLYURLSession&, const AuthenticationChallenge&, const ChallengeCompletion& completion)
    {
        completion(AuthChallengeDisposition::PerformDefaultHandling, std::nullopt);
    }
    // The transfer goes on whatever the completion is given.
    virtual void dataTaskDidReceiveResponse(HLYURLSession&, HLYURLSessionTask&, const HTTPURLResponse&,
                                            const std::function<void(int)>&) {}
    virtual void dataTaskDidReceiveData(HLYURLSession&, HLYURLSessionTask&, std::string_view) {}
    // The file exists only during this call.
    virtual void downloadTaskDidFinishDownloadingToURL(HLYURLSession&, HLYURLSessionTask&, const std::filesystem::path&) {}
    virtual void taskDidCompleteWithError(HLYURLSession&, HLYURLSessionTask&, const std::optional<KitError>&) {}
};

} // namespace qlkit
