// Asks the service whether a newer test build of the application exists and
// keeps the answer as the active update. It runs only with a beta token,
// which no source on this platform gives, so in practice it never starts.
#pragma once

#include "crash/kit/HLYSettings.h"
#include "sdk/foundation/Dispatch.h"
#include "sdk/network/KitError.h"
#include "sdk/network/URLRequest.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

namespace qlkit {

class RIGNetworkClient;

class HLYBetaControllerDelegate {
public:
    virtual ~HLYBetaControllerDelegate() = default;
    virtual std::optional<std::string> APIKeyForBetaController() = 0;
    virtual HLYSettings settingsForBetaController() = 0;
};

struct HLYBetaUpdate {
    std::optional<std::string> url;
    std::optional<std::string> version;

    // A dictionary with a "url" that parses; else -1017 of the URL domain.
    static std::optional<HLYBetaUpdate> betaUpdateWithDictionary(const Value& value, KitError* error);
};

class HLYBetaController : public std::enable_shared_from_this<HLYBetaController> {
public:
    // Where beta tokens come from; nothing unless one is set (tests set one).
    static void setBetaTokenSource(std::function<std::optional<std::string>()> source);
    static bool isBetaSupported();

    static std::shared_ptr<HLYBetaController> create(std::weak_ptr<HLYBetaControllerDelegate> delegate);
    ~HLYBetaController();

    bool start();
    std::optional<std::string> betaToken();
    void checkForUpdate();
    void maybeGetUpdate(std::function<void(const std::optional<HLYBetaUpdate>&)> completion);
    std::optional<std::string> betaUpdateURL();
    URLRequest betaUpdateRequest();
    bool shouldGetUpdates() const;
    bool checksSuspended() const { return m_checksSuspended.load(); }
    bool retrying() const { return m_retrying.load(); }
    std::optional<HLYBetaUpdate> activeUpdate() const;
    const std::shared_ptr<SerialQueue>& queue() const { return m_queue; }

    static std::string promptTitle();
    static std::string promptMessage();
    static std::string cancelLabel();
    static std::string installLabel();

private:
    explicit HLYBetaController(std::weak_ptr<HLYBetaControllerDelegate> delegate);
    void loadUpdateWithCompletionBlock(std::function<void(const std::optional<HLYBetaUpdate>&)> completion);
    void handleCompletedBetaRequest(const std::optional<std::string>& data, const std::optional<KitError>& error,
                                    const std::function<void(const std::optional<HLYBetaUpdate>&)>& completion);
    std::optional<HLYBetaUpdate> updateWithData(const std::string& data);
    void temporarilySuspendChecks();
    void allowChecks();
    void didGetUpdate(const std::optional<HLYBetaUpdate>& update);
    HLYSettings settings();

    std::weak_ptr<HLYBetaControllerDelegate> m_delegate;
    std::shared_ptr<SerialQueue> m_queue;
    std::shared_ptr<RIGNetworkClient> m_networkClient;
    std::once_flag m_tokenOnce;
    std::optional<std::string> m_betaToken;
    mutable std::mutex m_mutex;
    std::optional<HLYBetaUpdate> m_activeUpdate;
    std::unique_ptr<DispatchTimer> m_checkSuspensionTimer;
    std::atomic<bool> m_checksSuspended {false};
    std::atomic<bool> m_retrying {false};
    int m_observerToken = 0;
};

} // namespace qlkit
