#include "crash/Tally/HLYAnalyticsNetworkingClient.h"

#include "crash/HalyardConstants.h"
#include "sdk/KitConstants.h"
#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

#include <cerrno>

namespace qlkit {

HLYAnalyticsNetworkingClient::HLYAnalyticsNetworkingClient() : m_networkClient(RIGNetworkClient::create()) {}

URLRequest HLYAnalyticsNetworkingClient::requestForLogFilesAtURLs(const std::vector<std::filesystem::path>& files,
                                                                  const std::string& url, const std::string& APIKey,
                                                                  bool* allFilesRead,
                                                                  const std::optional<std::filesystem::path>& bodyFile) const
{
    bool complete = true;
    URLRequest request;
    request.URL = url;
    request.HTTPMethod = "POST";
    request.cachePolicy = CachePolicy::ReloadIgnoringLocalCacheData;
    request.timeoutInterval = kTimeout;
    // Nobody reads the answer's body.
    request.maximumResponseBodyLength = 0;
    request.setValue(kHalyardGenerator, "User-Agent");
    request.setValue(kDeveloperToken, "X-HALYARD-DEVELOPER-TOKEN");
    request.setValue("Halyard Mac SDK", "X-HALYARD-API-CLIENT-TYPE");
    request.setValue(kHalyardBuildVersion, "X-HALYARD-API-CLIENT-VERSION");
    request.setValue(kHalyardDisplayVersion, "X-HALYARD-API-CLIENT-DISPLAY-VERSION");
    request.setValue(kHalyardBuildVersion, "X-HALYARD-API-CLIENT-BUILD-VERSION");
    request.setValue(APIKey, "X-HALYARD-API-KEY");
    const auto addLogs = [&](RIGMultipartMimeStreamEncoder& encoder) {
        for (const auto& file : files) {
            const std::string name = file.filename().string();
            complete = complete && encoder.addFile(file, name, std::string(kEventsContentType), name);
        }
    };
    if (bodyFile)
        complete = RIGMultipartMimeStreamEncoder::populateRequest(request, *bodyFile, addLogs) && complete;
    else
        RIGMultipartMimeStreamEncoder::populateRequest(request, addLogs);
    if (allFilesRead)
        *allFilesRead = complete;
    return request;
}

void HLYAnalyticsNetworkingClient::transmitLogFilesAtURLs(const std::vector<std::filesystem::path>& files,
                                                          const std::string& url, const std::string& APIKey,
                                                          Completion completion)
{
    // The body is streamed from a file beside the logs, in the fragment
    // folder the caller holds: logs are never held in memory whole.
    std::optional<std::filesystem::path> body;
    if (!files.empty())
        body = files.front().parent_path() / kBodyFileName;
    bool complete = false;
    const URLRequest request = requestForLogFilesAtURLs(files, url, APIKey, &complete, body);
    const auto removeBody = [body] {
        std::error_code ignored;
        if (body)
            std::filesystem::remove(*body, ignored);
    };
    if (!complete) {
        removeBody();
        completion(KitError {"NSPOSIXErrorDomain", EIO, {}, "a log of the fragment cannot be read"});
        return;
    }
    m_networkClient->startDataTaskWithRequest(request, [completion = std::move(completion), removeBody](
                                                           const auto&, const auto&, const auto& error) {
        removeBody();
        completion(error);
    });
}

} // namespace qlkit
