#include "sdk/settings/RIGOnboardingOperation.h"

#include "sdk/ApplicationInfo.h"
#include "sdk/KitConstants.h"
#include "sdk/RIGURLBuilder.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/RIGMultipartMimeStreamEncoder.h"

namespace qlkit {
namespace {

std::optional<Value> present(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    return Value(*text);
}

} // namespace

RIGOnboardingOperation::RIGOnboardingOperation(std::weak_ptr<RIGOnboardingOperationDelegate> delegate, bool shouldCreate,
                                               std::string APIKey, Map kitVersions,
                                               std::shared_ptr<RIGApplicationIdentiferModel> appIdentifierModel,
                                               std::string endpointString)
    : RIGNetworkOperation(std::move(APIKey))
    , m_delegate(std::move(delegate))
    , m_shouldCreate(shouldCreate)
    , m_kitVersions(std::move(kitVersions))
    , m_appIdentifierModel(std::move(appIdentifierModel))
    , m_appEndpoint(std::move(endpointString))
    , m_networkClient(RIGNetworkTaskUtility::create())
{
}

std::optional<std::string> RIGOnboardingOperation::appCreateURL() const
{
    auto builder = RIGURLBuilder::URLWithBase(m_appEndpoint);
    builder.appendComponent("/spi/v1/platforms/");
    builder.escapeAndAppendComponent(kPlatformName);
    builder.appendComponent("/apps");
    return builder.URL();
}

std::optional<std::string> RIGOnboardingOperation::appUpdateURL() const
{
    auto builder = RIGURLBuilder::URLWithBase(m_appEndpoint);
    builder.appendComponent("/spi/v1/platforms/");
    builder.escapeAndAppendComponent(kPlatformName);
    builder.appendComponent("/apps/");
    builder.escapeAndAppendComponent(RIGApplicationBundleIdentifier().value_or(""));
    return builder.URL();
}

URLRequest RIGOnboardingOperation::onboardingRequestForAppCreate(bool create) const
{
    URLRequest request = mutableRequestWithDefaultHTTPHeadersForURL(
        (create ? appCreateURL() : appUpdateURL()).value_or(m_appEndpoint), create ? 2.0 : 10.0);
    request.HTTPMethod = create ? "POST" : "PUT";
    // Only the status counts: the answer's body is never read, so none is taken.
    request.maximumResponseBodyLength = 0;
    return request;
}

KitError RIGOnboardingOperation::errorForCode(long code, Map userInfo)
{
    return KitError {"RIGSDKOnboardingErrorDomain", code, std::move(userInfo), {}};
}

void RIGOnboardingOperation::addFormFields(RIGMultipartMimeStreamEncoder& encoder) const
{
    const auto& model = m_appIdentifierModel;
    encoder.addValue(present(RIGApplicationBundleIdentifier()), std::string("app[identifier]"));
    encoder.addValue(model ? std::optional<Value>(model->instanceIdentifier()) : std::nullopt,
                     std::string("app[instance_identifier]"));
    encoder.addValue(present(RIGApplicationName()), std::string("app[name]"));
    encoder.addValue(present(RIGApplicationBuildVersion()), std::string("app[build_version]"));
    encoder.addValue(present(RIGApplicationDisplayVersion()), std::string("app[display_version]"));
    encoder.addValue(Value(RIGApplicationInstallSource()), std::string("app[source]"));
    encoder.addValue(model ? std::optional<Value>(model->minimumSDKString()) : std::nullopt,
                     std::string("app[minimum_sdk_version]"));
    encoder.addValue(model ? std::optional<Value>(model->builtSDKString()) : std::nullopt,
                     std::string("app[built_sdk_version]"));
    for (const auto& [kit, version] : m_kitVersions)
        encoder.addValue(version, "app[build][libraries][" + kit + "]");
    if (!model)
        return;
    for (const auto& [architecture, uuid] : model->architectureUUIDMap()) {
        encoder.addValue(Value(architecture), std::string("app[slices][][arch]"));
        encoder.addValue(uuid, std::string("app[slices][][uuid]"));
    }
    if (const auto& icon = model->icon()) {
        encoder.addValue(Value(icon->dataHash()), std::string("app[icon][hash]"));
        encoder.addValue(Value(icon->prerendered() ? "true" : "false"), std::string("app[icon][prerendered]"));
        encoder.addValue(Value(std::to_string((unsigned long)icon->size().width)), std::string("app[icon][width]"));
        encoder.addValue(Value(std::to_string((unsigned long)icon->size().height)), std::string("app[icon][height]"));
        encoder.addFileData(icon->data(), std::string("icon.png"), std::string("image/png"), std::string("app[icon][data]"));
    }
}

void RIGOnboardingOperation::beginAppConfigure()
{
    auto memory = std::make_shared<RIGMemoryOutputStream>();
    auto encoder = RIGMultipartMimeStreamEncoder::encoderWithStream(memory, RIGMultipartMimeStreamEncoder::generateBoundary());
    if (!encoder) {
        log::always("[Rigging] configure failed during onboarding");
        finish();
        return;
    }
    encoder->encode([this](RIGMultipartMimeStreamEncoder& e) { addFormFields(e); });
    URLRequest request = onboardingRequestForAppCreate(m_shouldCreate);
    request.setValue(encoder->contentTypeHTTPHeaderValue(), "Content-Type");
    request.setValue(encoder->contentLengthHTTPHeaderValue(), "Content-Length");
    request.HTTPBody = memory->data();

    auto self = std::static_pointer_cast<RIGOnboardingOperation>(shared_from_this());
    m_networkClient->beginDataTaskWithRequest(request, 1, [self](const auto&, const auto&, const auto& error) {
        self->m_error = error;
        if (auto delegate = self->m_delegate.lock()) {
            if (self->m_shouldCreate)
                delegate->onboardingOperationDidCompleteAppCreationWithError(*self, error);
            else
                delegate->onboardingOperationDidCompleteAppUpdateWithError(*self, error);
        }
        self->finish();
    });
}

} // namespace qlkit
