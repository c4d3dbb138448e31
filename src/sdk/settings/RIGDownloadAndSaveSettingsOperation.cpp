#include "sdk/settings/RIGDownloadAndSaveSettingsOperation.h"

#include "sdk/ApplicationInfo.h"
#include "sdk/HostInfo.h"
#include "sdk/KitConstants.h"
#include "sdk/foundation/FileOps.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/RIGNetworkResponseHandler.h"
#include "sdk/settings/RIGSettings.h"

namespace qlkit {

RIGDownloadAndSaveSettingsOperation::RIGDownloadAndSaveSettingsOperation(
    std::string APIKey, std::weak_ptr<RIGDownloadAndSaveSettingsOperationDelegate> delegate, std::string settingsURL,
    std::filesystem::path settingsDirectoryPath, std::filesystem::path settingsFilePath,
    std::optional<std::string> installIdentifier, std::optional<std::string> advertisingToken)
    : RIGNetworkOperation(std::move(APIKey))
    , m_delegate(std::move(delegate))
    , m_settingsURL(std::move(settingsURL))
    , m_settingsDirectoryPath(std::move(settingsDirectoryPath))
    , m_settingsFilePath(std::move(settingsFilePath))
    , m_installIdentifier(std::move(installIdentifier))
    , m_networkClient(RIGNetworkTaskUtility::create())
{
    if (RIGCanCollectDeviceIdentifiers())
        m_advertisingToken = std::move(advertisingToken);
    else
        log::debugOnly("[Rigging] Suppressing device identifier reporting");
}

URLRequest RIGDownloadAndSaveSettingsOperation::mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL(const std::string& url) const
{
    URLRequest request = RIGNetworkOperation::mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL(url);
    request.HTTPMethod = "GET";
    request.maximumResponseBodyLength = RIGSettings::kMaximumSettingsLength;
    request.setValue("application/json", "Accept");
    if (m_installIdentifier)
        request.setValue(*m_installIdentifier, "X-Halyard-Installation-ID");
    if (auto model = RIGHostModel())
        request.setValue(*model, "X-Halyard-Device-Model");
    if (auto build = RIGHostOSBuildVersion())
        request.setValue(*build, "X-Halyard-OS-Build-Version");
    request.setValue(RIGHostOSDisplayVersion(), "X-Halyard-OS-Display-Version");
    request.setValue(kKitDisplayVersion, "X-Halyard-API-Client-Version");
    if (m_advertisingToken && !m_advertisingToken->empty())
        request.setValue(*m_advertisingToken, "X-Halyard-Advertising-Token");
    return request;
}

void RIGDownloadAndSaveSettingsOperation::main()
{
    auto self = std::static_pointer_cast<RIGDownloadAndSaveSettingsOperation>(shared_from_this());
    const URLRequest request = mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL(m_settingsURL);
    m_networkClient->beginDownloadTaskWithRequest(request, 1, [self](const auto& location, const auto& response,
                                                                     const auto& error) {
        if (error)
            self->m_error = error;
        else if (location)
            self->m_error = self->install(*location, response ? &*response : nullptr);
        if (auto delegate = self->m_delegate.lock())
            delegate->operationDidDownloadAndSaveSettingsWithError(*self, self->m_error);
        self->finish();
    });
}

std::optional<KitError> RIGDownloadAndSaveSettingsOperation::install(const std::filesystem::path& downloaded,
                                                                      const HTTPURLResponse* response)
{
    // A body that is not JSON would only be deleted on first read; keep the
    // last good file instead and report the answer as failed.
    const auto contents = files::readFile(downloaded, RIGSettings::kMaximumSettingsLength);
    if (!contents || !json::parse(*contents).value) {
        log::always("[Rigging] Unable to complete settings download: the settings are not valid JSON");
        return RIGNetworkResponseHandler::errorForResponse(response, RIGNetworkResponseTypeFailure,
                                                           response ? response->statusCode : 0);
    }
    std::error_code ec;
    std::filesystem::create_directories(m_settingsDirectoryPath, ec);
    std::string failure;
    // The move replaces the old file in one step, so a failure leaves it whole.
    if (!files::moveItem(downloaded, m_settingsFilePath, &failure)) {
        log::always("[Rigging] Unable to complete settings download " + failure);
        return KitError {"RIGSettingsError", -1, {}, failure};
    }
    // Only now clear out whatever else lies in the folder.
    for (const auto& entry : std::filesystem::directory_iterator(m_settingsDirectoryPath, ec))
        if (entry.path() != m_settingsFilePath)
            files::removeItem(entry.path());
    return std::nullopt;
}

} // namespace qlkit
