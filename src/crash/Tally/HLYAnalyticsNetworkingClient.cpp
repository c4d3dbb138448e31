#include "crash/Tally/HLYAnalyticsNetworkingClient.h"

#include "crash/HalyardConstants.h"
#include "sdk/KitConstants.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qlkit {

HLYAnalyticsNetworkingClient::HLYAnalyticsNetworkingClient() : m_networkClient(RIGNetworkClient::create()) {}

namespace {

// The log as it stands now, checked and sent from one open file, so that
// nothing written to it meanwhile goes along: true when it went or was left
// out, false when it could not be read.
bool addLog(RIGMultipartMimeStreamEncoder& encoder, const std::filesystem::path& file)
{
    const std::string name = file.filename().string();
    const int fd = files::openOwnFile(file);
    if (fd < 0)
        return false;
    struct stat status {};
    bool added = ::fstat(fd, &status) == 0;
    const std::uint64_t length = added ? std::uint64_t(status.st_size) : 0;
    if (added && length <= HLYAnalyticsNetworkingClient::kMaximumPackagedLogLength
        && HLYGzipExpandedLength(fd, length, HLYAnalyticsNetworkingClient::kMaximumLogLength))
        added = encoder.addFileContents(fd, length, name, std::string(HLYAnalyticsNetworkingClient::kEventsContentType), name);
    else if (added)
        log::always("[Halyard:Tally] Leaving out " + file.string() + ": it expands past "
                    + std::to_string(HLYAnalyticsNetworkingClient::kMaximumLogLength) + " bytes, more than any log of ours");
    ::close(fd);
    return added;
}

} // namespace

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
        for (const auto& file : files)
            complete = complete && addLog(encoder, file);
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
