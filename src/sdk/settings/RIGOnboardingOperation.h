// Describes the application to the onboarding service in one multipart
// request: a POST that creates it or a PUT that updates it.
#pragma once

#include "sdk/RIGApplicationIdentiferModel.h"
#include "sdk/network/KitError.h"
#include "sdk/network/RIGNetworkOperation.h"
#include "sdk/network/RIGNetworkTaskUtility.h"

#include <memory>
#include <optional>

namespace qlkit {

class RIGOnboardingOperation;
class RIGMultipartMimeStreamEncoder;

class RIGOnboardingOperationDelegate {
public:
    virtual ~RIGOnboardingOperationDelegate() = default;
    virtual void onboardingOperationDidCompleteAppCreationWithError(RIGOnboardingOperation&, const std::optional<KitError>&) = 0;
    virtual void onboardingOperationDidCompleteAppUpdateWithError(RIGOnboardingOperation&, const std::optional<KitError>&) = 0;
};

class RIGOnboardingOperation : public RIGNetworkOperation {
public:
    RIGOnboardingOperation(std::weak_ptr<RIGOnboardingOperationDelegate> delegate, bool shouldCreate, std::string APIKey,
                           Map kitVersions, std::shared_ptr<RIGApplicationIdentiferModel> appIdentifierModel,
                           std::string endpointString);

    void main() override { beginAppConfigure(); }
    void beginAppConfigure();

    std::optional<std::string> appCreateURL() const;
    std::optional<std::string> appUpdateURL() const;
    URLRequest onboardingRequestForAppCreate(bool create) const;

    bool shouldCreate() const { return m_shouldCreate; }
    void setShouldCreate(bool create) { m_shouldCreate = create; }
    const std::optional<KitError>& error() const { return m_error; }
    static KitError errorForCode(long code, Map userInfo);

private:
    void addFormFields(RIGMultipartMimeStreamEncoder& encoder) const;

    std::weak_ptr<RIGOnboardingOperationDelegate> m_delegate;
    bool m_shouldCreate;
    Map m_kitVersions;
    std::shared_ptr<RIGApplicationIdentiferModel> m_appIdentifierModel;
    std::string m_appEndpoint;
    std::shared_ptr<RIGNetworkTaskUtility> m_networkClient;
    std::optional<KitError> m_error;
};

} // namespace qlkit
