#include "ProbeSetUp.h"

#include "crash/HalyardConstants.h"
#include "crash/capture/HLYContext.h"
#include "crash/kit/Halyard.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <sys/resource.h>

namespace probe {
namespace {

namespace fs = std::filesystem;

bool makeFolder(const fs::path& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    return fs::is_directory(path, error);
}

bool pointUserFoldersInto(const fs::path& root)
{
    const struct {
        const char* variable;
        const char* leaf;
    } folders[] = {{"HOME", "home"},
                   {"XDG_CACHE_HOME", "cache"},
                   {"XDG_DATA_HOME", "data"},
                   {"XDG_CONFIG_HOME", "config"},
                   {"XDG_DOCUMENTS_DIR", "documents"}};
    for (const auto& folder : folders) {
        const fs::path path = root / folder.leaf;
        if (!makeFolder(path) || setenv(folder.variable, path.c_str(), 1) != 0)
            return false;
    }
    return true;
}

void registerInfoDictionary(const std::string& url)
{
    using qlkit::Map;
    qlkit::info::setMainInfoDictionary(Map {
        {"CFBundleIdentifier", kBundleIdentifier},
        {"CFBundleVersion", "1"},
        {"CFBundleShortVersionString", "1.0"},
        {"Rigging", Map {{"APIKey", kAPIKey}, {"Kits", qlkit::Array {}}}},
        {"Halyard", Map {{"SettingsEndpoint", url}, {"ConfigureEndpoint", url}, {"ReportsEndpoint", url},
                         {"BetaEndpoint", url}}},
    });
}

// The report folder layout: <caches>/<kit data folder>/<bundle id>/v3/active/<execution id>.
std::optional<fs::path> makeRunFolder(const std::string& executionIdentifier)
{
    const fs::path folder = qlkit::paths::cachesDirectory() / qlkit::kHalyardDataFolder / kBundleIdentifier / "v3"
                            / "active" / executionIdentifier;
    if (!makeFolder(folder))
        return std::nullopt;
    return folder;
}

// A stack that can grow without bound would take a long time to overflow.
void boundStack()
{
    constexpr rlim_t kStackLimit = 8 * 1024 * 1024;
    rlimit limit {};
    if (getrlimit(RLIMIT_STACK, &limit) == 0 && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > kStackLimit)) {
        limit.rlim_cur = kStackLimit;
        setrlimit(RLIMIT_STACK, &limit);
    }
}

} // namespace

bool prepareProcess(const std::string& folder, const std::string& url)
{
    const fs::path root = fs::absolute(folder);
    if (!pointUserFoldersInto(root))
        return false;
    boundStack();
    registerInfoDictionary(url);
    return true;
}

std::optional<std::string> startCrashReporter(const std::string& folder, const std::string& url,
                                              qlkit::HLYCrashCallbackTarget* callback)
{
    if (!prepareProcess(folder, url))
        return std::nullopt;

    auto& core = qlkit::Rigging::with({});
    const auto runFolder = makeRunFolder(core.executionIdentifier());
    if (!runFolder)
        return std::nullopt;
    const std::string runFolderText = runFolder->string();
    const std::string sessionIdentifier = core.executionIdentifier();
    const std::string installIdentifier = core.installID();

    // The crash reporter's defaults when no server settings were downloaded.
    qlkit::HLYContextInitData init;
    init.apiKey = kAPIKey;
    init.firstInstall = core.isFirstInstall();
    init.crashCallbackTarget = callback;
    init.reportFolder = runFolderText.c_str();
    init.sessionIdentifier = sessionIdentifier.c_str();
    init.installIdentifier = installIdentifier.c_str();
    qlkit::HLYContextInitialize(&init);
    if (!qlkit::HLYContextIsInitialized())
        return std::nullopt;
    return runFolderText;
}

std::shared_ptr<qlkit::Halyard> startHalyard(const std::string& folder, const std::string& url)
{
    if (!prepareProcess(folder, url))
        return nullptr;
    auto kit = qlkit::Halyard::startWithAPIKey(kAPIKey);
    const auto& controller = kit->crashReportingController();
    if (!controller)
        return nullptr;
    return kit;
}

} // namespace probe
