#include "crash/Tally/HLYAnalyticsNetworkingClient.h"

#include "crash/HalyardConstants.h"
#include "sdk/KitConstants.h"
#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

#include <cerrno>

namespace qlkit {

HLYAnalyticsNetworkingClient::HLYAnalyticsNetworkingClient() : m_networkClient(RIGNetworkClient::create()) {}

URLRequest HLYAnalyticsNetworkingClient::requestForLogFilesAtURLs(const std::vector<std::filesystem::path>& files,
                                                                  const std::string& url,
                                                                  const std::string& APIKey, bool* allFilesRead) const
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
    RIGMultipartMimeStreamEncoder::populateRequest(request, [&](RIGMultipartMimeStreamEncoder& encoder) {
        for (const auto& file : files) {
            const std::string name = file.filename().string();
            complete = encoder.addFile(file, name, std::string(kEventsContentType), name) && complete;
        }
    });
    if (allFilesRead)
        *allFilesRead = complete;
    return request;
}

void HLYAnalyticsNetworkingClient::transmitLogFilesAtURLs(const std::vector<std::filesystem::path>& files,
                                                          const std::string& url, const std::string& APIKey,
                                                          Completion completion)
{
    bool complete = false;
    const URLRequest request = requestForLogFilesAtURLs(files, url, APIKey, &complete);
    if (!complete) {
        completion(KitError {"NSPOSIXErrorDomain", EIO, {}, "a log of the fragment cannot be read"});
        return;
    }
    m_networkClient->startDataTaskWithRequest(request, [completion = std::move(completion)](const auto&, const auto&,
                                                                                   const auto& error) {
                                                  completion(error);
                                              });
}

} // namespace qlkit
