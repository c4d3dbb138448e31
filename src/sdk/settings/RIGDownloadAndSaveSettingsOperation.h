// Downloads the settings document and puts it in place of the cached file.
#pragma once

#include "sdk/network/KitError.h"
#include "sdk/network/RIGNetworkOperation.h"
#include "sdk/network/RIGNetworkTaskUtility.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace qlkit {

class RIGDownloadAndSaveSettingsOperation;

class RIGDownloadAndSaveSettingsOperationDelegate {
public:
    virtual ~RIGDownloadAndSaveSettingsOperationDelegate() = default;
    virtual void operationDidDownloadAndSaveSettingsWithError(RIGDownloadAndSaveSettingsOperation& operation,
                                                              const std::optional<KitError>& error) = 0;
};

class RIGDownloadAndSaveSettingsOperation : public RIGNetworkOperation {
public:
    RIGDownloadAndSaveSettingsOperation(std::string APIKey, std::weak_ptr<RIGDownloadAndSaveSettingsOperationDelegate> delegate,
                                        std::string settingsURL, std::filesystem::path settingsDirectoryPath,
                                        std::filesystem::path settingsFilePath, std::optional<std::string> installIdentifier,
                                        std::optional<std::string> advertisingToken);

    // The common request plus the settings headers, in their fixed order.
    URLRequest mutableRequestWithDefaultHTTPHeaderFieldsAndTimeoutForURL(const std::string& url) const;
    void main() override;

    const std::optional<KitError>& error() const { return m_error; }
    const std::string& settingsURL() const { return m_settingsURL; }
    const std::optional<std::string>& advertisingToken() const { return m_advertisingToken; }

private:
    // Moves the downloaded file into place; the old file stays until then.
    std::optional<KitError> install(const std::filesystem::path& downloaded, const HTTPURLResponse* response);

    std::weak_ptr<RIGDownloadAndSaveSettingsOperationDelegate> m_delegate;
    std::string m_settingsURL;
    std::filesystem::path m_settingsDirectoryPath;
    std::filesystem::path m_settingsFilePath;
    std::optional<std::string> m_installIdentifier;
    std::optional<std::string> m_advertisingToken;
    std::shared_ptr<RIGNetworkTaskUtility> m_networkClient;
    std::optional<KitError> m_error;
};

} // namespace qlkit
