#include "crash/kit/HLYBetaController.h"

#include "crash/HalyardConstants.h"
#include "crash/kit/HLYApplication.h"
#include "crash/kit/HLYRequestHeaders.h"
#include "sdk/ApplicationInfo.h"
#include "sdk/KitConstants.h"
#include "sdk/RIGURLBuilder.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/Json.h"
#include "sdk/foundation/Log.h"
#include "sdk/foundation/NotificationCenter.h"
#include "sdk/network/RIGNetworkClient.h"
#include "sdk/network/RIGNetworkOperation.h"
#include "sdk/network/RIGPinnedCertificates.h"
#include "sdk/settings/RIGSettingsOnboardingManager.h"

namespace qlkit {
namespace {

constexpr double kBetaTimeout = 10.0;

std::mutex g_tokenMutex;
std::function<std::optional<std::string>()> g_tokenSource;

} // namespace

std::optional<HLYBetaUpdate> HLYBetaUpdate::betaUpdateWithDictionary(const Value& value, KitError* error)
{
    const Map* map = value.asMap();
    const Value* url = map ? map->find("url") : nullptr;
    std::optional<std::string> parsed;
    if (url && url->asString())
        parsed = RIGURLBuilder::URLWithBase(*url->asString()).URL();
    if (!parsed) {
        if (error)
            *error = KitError {kURLErrorDomain, kURLErrorCannotParseResponse, {}, "beta update without a URL"};
        return std::nullopt;
    }
    HLYBetaUpdate update;
    update.url = parsed;
    const Value* version = map->find("version_string");
    if (version && version->asString())
        update.version = *version->asString();
    return update;
}

void HLYBetaController::setBetaTokenSource(std::function<std::optional<std::string>()> source)
{
    std::lock_guard lock(g_tokenMutex);
    g_tokenSource = std::move(source);
}

bool HLYBetaController::isBetaSupported()
{
    return !HLYApplicationIsExtension() && RIGApplicationInstallSource() == 3;
}

std::shared_ptr<HLYBetaController> HLYBetaController::create(std::weak_ptr<HLYBetaControllerDelegate> delegate)
{
    return std::shared_ptr<HLYBetaController>(new HLYBetaController(std::move(delegate)));
}

HLYBetaController::HLYBetaController(std::weak_ptr<HLYBetaControllerDelegate> delegate)
    : m_delegate(std::move(delegate)), m_queue(SerialQueue::create(kHalyardBetaQueueLabel)),
      m_networkClient(RIGNetworkClient::create(nullptr, RIGPinnedCertificates()))
{
    if (!m_networkClient)
        log::debugOnly("[Crahlytics:Beta] Failed to configure networking");
}

HLYBetaController::~HLYBetaController()
{
    if (m_observerToken)
        NotificationCenter::defaultCenter().removeObserver(m_observerToken);
}

std::optional<std::string> HLYBetaController::betaToken()
{
    std::call_once(m_tokenOnce, [this] {
        std::lock_guard lock(g_tokenMutex);
        m_betaToken = g_tokenSource ? g_tokenSource() : std::nullopt;
    });
    return m_betaToken;
}

bool HLYBetaController::start()
{
    if (!betaToken())
        return false;
    std::weak_ptr<HLYBetaController> weak = weak_from_this();
    m_observerToken = NotificationCenter::defaultCenter().addObserver(kRIGSettingsAvailableNotification,
                                                                      [weak](const std::string&) {
                                                                          if (const auto self = weak.lock())
                                                                              self->checkForUpdate();
                                                                      });
    return true;
}

HLYSettings HLYBetaController::settings()
{
    const auto delegate = m_delegate.lock();
    return delegate ? delegate->settingsForBetaController() : HLYSettings(std::nullopt);
}

bool HLYBetaController::shouldGetUpdates() const { return isBetaSupported() && !m_checksSuspended.load(); }

std::optional<HLYBetaUpdate> HLYBetaController::activeUpdate() const
{
    std::lock_guard lock(m_mutex);
    return m_activeUpdate;
}

void HLYBetaController::checkForUpdate()
{
    std::weak_ptr<HLYBetaController> weak = weak_from_this();
    maybeGetUpdate([weak](const std::optional<HLYBetaUpdate>& update) {
        if (const auto self = weak.lock())
            self->didGetUpdate(update);
    });
}

void HLYBetaController::maybeGetUpdate(std::function<void(const std::optional<HLYBetaUpdate>&)> completion)
{
    m_queue->async([self = shared_from_this(), completion = std::move(completion)] {
        if (!self->shouldGetUpdates() || self->m_retrying.load())
            return;
        log::debugOnly("[Halyard:Beta] Loading beta update");
        self->loadUpdateWithCompletionBlock(completion);
    });
}

std::optional<std::string> HLYBetaController::betaUpdateURL()
{
    auto builder = RIGURLBuilder::URLWithBase(settings().betaEndpoint());
    builder.appendComponent("/spi/v2/platforms/");
    builder.appendComponent(kPlatformName);
    builder.appendComponent("/apps/");
    builder.appendComponent(RIGApplicationBundleIdentifier().value_or(""));
    builder.appendComponent("/beta_update_check");
    builder.appendValue(RIGApplicationBuildVersion() ? Value(*RIGApplicationBuildVersion()) : Value(), "build_version");
    builder.appendValue(RIGApplicationDisplayVersion() ? Value(*RIGApplicationDisplayVersion()) : Value(), "display_version");
    const auto instance = Rigging::sharedSDK().instanceIdentifier();
    builder.appendValue(instance ? Value(*instance) : Value(), "instance");
    builder.appendValue(Value(RIGApplicationInstallSource()), "source");
    return builder.URL();
}

URLRequest HLYBetaController::betaUpdateRequest()
{
    URLRequest request;
    request.URL = betaUpdateURL().value_or("");
    request.HTTPMethod = "GET";
    request.cachePolicy = CachePolicy::ReloadIgnoringLocalCacheData;
    request.timeoutInterval = kBetaTimeout;
    request.timeoutIntervalForResource = RIGNetworkOperation::kExchangeTimeLimit;
    const auto delegate = m_delegate.lock();
    HLYSetKitRequestHeaders(request, delegate ? delegate->APIKeyForBetaController().value_or("") : "");
    request.setValue(betaToken().value_or(""), "X-Halyard-Beta-Token");
    return request;
}

void HLYBetaController::loadUpdateWithCompletionBlock(std::function<void(const std::optional<HLYBetaUpdate>&)> completion)
{
    const URLRequest request = betaUpdateRequest();
    log::debugOnly("[Halyard:Beta] Beta Update-Check url string: '" + request.URL + "'");
    if (m_retrying.exchange(true) || !m_networkClient)
        return;
    std::weak_ptr<HLYBetaController> weak = weak_from_this();
    m_networkClient->startDataTaskWithRequest(
        request, [weak, completion](const std::optional<std::string>& data, const std::optional<HTTPURLResponse>&,
                                    const std::optional<KitError>& error) {
            if (const auto self = weak.lock())
                self->handleCompletedBetaRequest(data, error, completion);
        });
}

void HLYBetaController::handleCompletedBetaRequest(const std::optional<std::string>& data,
                                                   const std::optional<KitError>& error,
                                                   const std::function<void(const std::optional<HLYBetaUpdate>&)>& completion)
{
    if (error || !data || data->empty()) {
        // The controller stays in loading: no further check runs in this process.
        log::debugOnly("[Halyard:Beta] Failed to load update '" + (error ? error->describe() : std::string("(null)")) + "'");
        return;
    }
    m_queue->async([self = shared_from_this(), data = *data, completion] {
        log::debugOnly("[Halyard:Beta] Beta update loaded");
        self->temporarilySuspendChecks();
        self->m_retrying = false;
        completion(self->updateWithData(data));
    });
}

std::optional<HLYBetaUpdate> HLYBetaController::updateWithData(const std::string& data)
{
    const auto parsed = json::parse(data);
    if (!parsed.value) {
        log::debugOnly("[Halyard:Beta] Unable to deserialize beta update data: " + data);
        return std::nullopt;
    }
    KitError error;
    auto update = HLYBetaUpdate::betaUpdateWithDictionary(*parsed.value, &error);
    if (!update)
        log::debugOnly("[Halyard:Beta] Unable to read beta update data: " + error.describe());
    return update;
}

void HLYBetaController::temporarilySuspendChecks()
{
    const double duration = settings().betaSuspendDuration();
    if (duration <= 0)
        return;
    m_checksSuspended = true;
    std::weak_ptr<HLYBetaController> weak = weak_from_this();
    auto timer = std::make_unique<DispatchTimer>(mainQueue(), duration, false, [weak] {
        if (const auto self = weak.lock())
            self->allowChecks();
    });
    std::lock_guard lock(m_mutex);
    m_checkSuspensionTimer = std::move(timer);
}

void HLYBetaController::allowChecks()
{
    m_checksSuspended = false;
    std::unique_ptr<DispatchTimer> timer;
    std::lock_guard lock(m_mutex);
    timer = std::move(m_checkSuspensionTimer);
    if (timer)
        timer->cancel();
}

void HLYBetaController::didGetUpdate(const std::optional<HLYBetaUpdate>& update)
{
    if (!update || !update->url) {
        log::debugOnly("[Halyard:Beta] Beta update url is invalid");
        return;
    }
    mainQueue()->async([self = shared_from_this(), update] {
        std::lock_guard lock(self->m_mutex);
        self->m_activeUpdate = update;
    });
}

std::string HLYBetaController::promptTitle() { return HLYLocalizedString("HalyardDistributionPromptTitle", "New Build Available"); }

std::string HLYBetaController::promptMessage()
{
    std::string text = HLYLocalizedString("HalyardDistributionPromptMessage", "A new version of %@ is available for testing.");
    const auto at = text.find("%@");
    if (at != std::string::npos)
        text.replace(at, 2, RIGApplicationName().value_or(""));
    return text;
}

std::string HLYBetaController::cancelLabel() { return HLYLocalizedString("HalyardDistributionPromptCancelTitle", "Cancel"); }

std::string HLYBetaController::installLabel() { return HLYLocalizedString("HalyardDistributionPromptInstallTitle", "Install"); }

} // namespace qlkit
