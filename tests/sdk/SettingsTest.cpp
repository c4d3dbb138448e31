#include "TestService.h"

#include "sdk/TextForms.h"
#include "sdk/foundation/Base64.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/NotificationCenter.h"
#include "sdk/settings/RIGSettingsOnboardingManager.h"
#include "support/EnvironmentChange.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <gtest/gtest.h>

using namespace qlkit;
using test::ServiceResponse;

namespace {


const std::string kJson = "application/json; charset=utf-8";

// One application, one service, one manager, with every folder in a temporary home.
class SettingsFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SettingsEndpoint", service.baseURL().c_str(), 1);
        setenv("ConfigureEndpoint", (service.baseURL() + "/configure").c_str(), 1);
        info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org.quiverleaf.app"},
                                         {"CFBundleVersion", "42"},
                                         {"CFBundleShortVersionString", "1.0"},
                                         {"CFBundleName", "Quiverleaf"}});
        RIGAppIconUtility::setApplicationIconPNG(test::pngHeader(512, 256));
        model = RIGApplicationIdentiferModel::initWithInstallID("INSTALL-ID");
        manager = std::make_shared<RIGSettingsOnboardingManager>(model);
        manager->setAdvertisingTokenProvider([] { return std::optional<std::string>("ad-token"); });
        token = NotificationCenter::defaultCenter().addObserver(kRIGSettingsAvailableNotification,
                                                                [this](const std::string&) { ++notifications; });
    }
    void TearDown() override
    {
        NotificationCenter::defaultCenter().removeObserver(token);
        unsetenv("SettingsEndpoint");
        unsetenv("ConfigureEndpoint");
        RIGAppIconUtility::setApplicationIconPNG(std::nullopt);
    }
    void runOnce(const Map& kitVersions = Map {{"org.quiverleaf.rigging", "1.2.8"}})
    {
        manager->beginSettingsAndOnboardingOperationsWithAPIKey("the-key", kitVersions);
        ASSERT_TRUE(manager->activity()->wait(60.0));
    }
    void serveSettings(std::vector<ServiceResponse> responses)
    {
        service.script({{"GET", "/spi/v2/platforms/linux/apps/org.quiverleaf.app/settings", std::move(responses)},
                        {"POST", "/configure/spi/v1/platforms/linux/apps", {{201, {}, ""}}},
                        {"PUT", "/configure/spi/v1/platforms/linux/apps/org.quiverleaf.app", {{200, {}, ""}}}});
    }
    std::filesystem::path settingsFile() const { return manager->settingsPath().value(); }
    std::vector<std::string> requests()
    {
        std::vector<std::string> seen;
        for (const auto& entry : service.log())
            seen.push_back(test::logString(entry, "method") + " " + test::logString(entry, "path"));
        return seen;
    }

    test::KitHome home;
    test::TestService service;
    std::shared_ptr<RIGApplicationIdentiferModel> model;
    std::shared_ptr<RIGSettingsOnboardingManager> manager;
    std::atomic<int> notifications {0};
    int token = 0;
    const std::string settingsPath = "/spi/v2/platforms/linux/apps/org.quiverleaf.app/settings";
};

} // namespace

TEST_F(SettingsFixture, DownloadSendsTheQueryAndHeadersInOrderAndCachesTheDocument)
{
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"activated"},"features":{"x":1}})"}});
    runOnce();
    const auto log = service.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(test::logString(log[0], "path"), settingsPath);
    EXPECT_EQ(test::logString(log[0], "query"), "build_version=42&display_version=1.0&instance=" + model->instanceIdentifier()
                                                    + "&icon_hash=" + RIGSHA1HexStringFromData(test::pngHeader(512, 256)) + "&source=1");
    EXPECT_EQ(test::logHeaderNames(log[0]),
              (std::vector<std::string> {"Host", "User-Agent", "Accept-Charset", "Accept-Language", "Content-Language",
                                         "X-Halyard-Developer-Token", "X-Halyard-API-Client-Id",
                                         "X-Halyard-API-Client-Display-Version", "X-Halyard-API-Client-Build-Version",
                                         "X-Halyard-API-Key", "Accept", "X-Halyard-Installation-ID", "X-Halyard-Device-Model",
                                         "X-Halyard-OS-Build-Version", "X-Halyard-OS-Display-Version",
                                         "X-Halyard-API-Client-Version", "X-Halyard-Advertising-Token"}));
    EXPECT_EQ(test::logHeader(log[0], "User-Agent"), "org.quiverleaf.rigging/1.2.8 (20)");
    EXPECT_EQ(test::logHeader(log[0], "X-Halyard-API-Key"), "the-key");
    EXPECT_EQ(test::logHeader(log[0], "X-Halyard-Developer-Token"), "f0e1d2c3b4a5968778695a4b3c2d1e0ff0e1d2c3");
    EXPECT_EQ(test::logHeader(log[0], "X-Halyard-Installation-ID"), "INSTALL-ID");
    EXPECT_EQ(test::logHeader(log[0], "X-Halyard-Advertising-Token"), "ad-token");
    EXPECT_EQ(test::logHeader(log[0], "Accept"), "application/json");

    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(manager->settingsPath(), home.path() / "cache" / "org.quiverleaf.rigging.data" / "org.quiverleaf.app" / "settings.json");
    EXPECT_EQ(manager->settingsModel().appStatus(), "activated");
    EXPECT_FALSE(manager->settingsModel().appNeedsOnboarding());
}

TEST_F(SettingsFixture, NewApplicationIsCreatedThenSettingsAreFetchedAgain)
{
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"new"}})"}});
    runOnce(Map {{"org.quiverleaf.crash", "3.1"}, {"org.quiverleaf.rigging", "1.2.8"}});
    EXPECT_EQ(requests(), (std::vector<std::string> {"GET " + settingsPath, "POST /configure/spi/v1/platforms/linux/apps",
                                                     "GET " + settingsPath}));
    EXPECT_EQ(notifications, 1); // after the second download, not before

    const auto create = service.log()[1];
    EXPECT_EQ(test::logHeader(create, "Content-Length"), test::logString(create, "body_length"));
    const std::string body = test::logString(create, "body_b64");
    EXPECT_EQ(body.rfind("MIME-Version: 1.0\r\n--", 0), 0u);
    std::vector<std::string> names;
    std::map<std::string, std::string> values;
    for (const auto& part : *create.asMap()->find("parts")->asArray()) {
        const std::string name = test::logString(part, "name");
        names.push_back(name);
        values[name] = test::logString(part, "body_b64");
    }
    EXPECT_EQ(names, (std::vector<std::string> {"app[identifier]", "app[instance_identifier]", "app[name]",
                                                "app[build_version]", "app[display_version]", "app[source]",
                                                "app[minimum_sdk_version]", "app[built_sdk_version]",
                                                "app[build][libraries][org.quiverleaf.crash]",
                                                "app[build][libraries][org.quiverleaf.rigging]", "app[slices][][arch]",
                                                "app[slices][][uuid]", "app[icon][hash]", "app[icon][prerendered]",
                                                "app[icon][width]", "app[icon][height]", "app[icon][data]"}));
    EXPECT_EQ(values["app[identifier]"], "org.quiverleaf.app");
    EXPECT_EQ(values["app[slices][][arch]"], "x86_64");
    EXPECT_EQ(values["app[slices][][uuid]"], model->architectureUUIDMap().find("x86_64")->description());
    EXPECT_EQ(values["app[icon][width]"], "512");
    EXPECT_EQ(values["app[icon][data]"], test::pngHeader(512, 256));
    EXPECT_EQ(values["app[minimum_sdk_version]"], "0.0.0");
    // The parts written out by the service hold the icon bytes too.
    EXPECT_EQ(test::readTextFile(service.partsDir() / "1-16-app[icon][data]"), test::pngHeader(512, 256));
}

TEST_F(SettingsFixture, UpdateRequiredSendsAPutAndNotifiesAtOnce)
{
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":null,"update_required":true}})"}});
    runOnce();
    EXPECT_EQ(requests(), (std::vector<std::string> {"GET " + settingsPath,
                                                     "PUT /configure/spi/v1/platforms/linux/apps/org.quiverleaf.app"}));
    EXPECT_EQ(notifications, 1);
}

TEST_F(SettingsFixture, GarbageFromTheServerKeepsTheLastGoodSettings)
{
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"ok"},"kept":true})"},
                   {200, {{"Content-Type", kJson}}, "{not json"},
                   {200, {{"Content-Type", "text/html"}}, "<html>"},
                   {200, {{"Content-Type", kJson}}, R"({"app":{"status":"cut"}})", "truncate"},
                   {503, {{"Retry-After", "1"}}, ""},
                   {404, {}, ""},
                   {200, {}, "", "close"}});
    runOnce();
    ASSERT_EQ(notifications, 1);
    // A stray file beside the settings goes once a download succeeds.
    test::writeTextFile(settingsFile().parent_path() / "stale.tmp", "x");
    const std::string good = test::readTextFile(settingsFile());
    for (int attempt = 0; attempt < 5; ++attempt)
        runOnce(); // bad JSON, wrong type, cut body, 503 then 404 on its retry, closed connection
    EXPECT_EQ(service.log().size(), 7u);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(test::readTextFile(settingsFile()), good);
    manager->settingsModel().clearSettingsDictionary();
    EXPECT_EQ(manager->settingsModel().appStatus(), "ok");
    EXPECT_TRUE(std::filesystem::exists(settingsFile().parent_path() / "stale.tmp"));

    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"fresh"}})"}});
    runOnce();
    EXPECT_EQ(manager->settingsModel().appStatus(), "fresh");
    EXPECT_FALSE(std::filesystem::exists(settingsFile().parent_path() / "stale.tmp"));
}

TEST_F(SettingsFixture, CorruptCacheIsDroppedAndIdentifiersCanBeWithheld)
{
    test::writeTextFile(settingsFile(), "{broken");
    EXPECT_FALSE(manager->settingsModel().settingsDictionary());
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
    EXPECT_FALSE(manager->settingsModel().settingsDictionary());

    info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org.quiverleaf.app"},
                                     {"Rigging", Map {{"ReportIdentifiers", false}}}});
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"new"}})"}});
    service.script({{"GET", settingsPath, {{200, {{"Content-Type", kJson}}, R"({"app":{"status":"new"}})"}}},
                    {"POST", "/configure/spi/v1/platforms/linux/apps", {{422, {}, ""}}}});
    runOnce();
    const auto log = service.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(test::logHeader(log[0], "X-Halyard-Advertising-Token"), "(absent)");
    EXPECT_EQ(test::logString(log[0], "query").rfind("instance=", 0), 0u); // no versions registered
    EXPECT_EQ(notifications, 0); // the create failed
}

TEST_F(SettingsFixture, HostileSettingsAnswersKeepTheLastGoodFileAndBoundedMemory)
{
    const std::string nested = std::string(30000, '[') + std::string(30000, ']');
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"ok"}})"},
                   {200, {{"Content-Type", kJson}}, nested},
                   {200, {{"Content-Type", kJson}}, "", "endless"}});
    test::TempDir temporary;
    // Where the download goes.
    std::optional<ql::testing::EnvironmentChange> downloads(std::in_place, "TMPDIR", temporary.path().string());
    runOnce();
    const std::string good = test::readTextFile(settingsFile());
    {
        test::ResidentGrowthWatch memory(768u << 20, [&] { service.stop(); });
        test::Watchdog disk([&] { return test::folderBytes(temporary.path()) > (256u << 20); }, [&] { service.stop(); });
        runOnce(); // nested past the bound: a failed download, logged, never raised
        runOnce(); // endless: cut off at the settings' size limit
        EXPECT_LT(memory.peakGrowth(), 128u << 20) << memory.peakGrowth();
        RecordProperty("peak_resident_growth_bytes", std::to_string(memory.peakGrowth()));
    }
    downloads.reset();
    EXPECT_EQ(service.log().size(), 3u); // neither is retried
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(test::readTextFile(settingsFile()), good);
    EXPECT_TRUE(test::becomesEmpty(temporary.path())); // nothing of the download is left

    // A cached file that is too deep or too long to be settings is dropped like unparseable text.
    for (const std::string& damaged : {nested, "{\"pad\":\"" + std::string(5u << 20, 'x') + "\"}"}) {
        test::writeTextFile(settingsFile(), damaged);
        manager->settingsModel().clearSettingsDictionary();
        EXPECT_FALSE(manager->settingsModel().settingsDictionary());
        EXPECT_FALSE(std::filesystem::exists(settingsFile()));
    }
}

TEST_F(SettingsFixture, ASettingsServerThatTricklesIsCutOffAtTheDownloadsTimeLimit)
{
    // One byte every 0.8 s keeps the connection from ever being idle; the
    // whole answer would take a day.
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"ok"}})"},
                   {200, {{"Content-Type", kJson}}, std::string(100000, ' ') + "{}", "trickle"}});
    runOnce();
    const std::string good = test::readTextFile(settingsFile());
    const auto started = std::chrono::steady_clock::now();
    runOnce();
    RecordProperty("trickled_download_ms", std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                               std::chrono::steady_clock::now() - started)
                                                               .count()));
    EXPECT_EQ(service.log().size(), 2u); // a time-out is not retried
    EXPECT_EQ(test::readTextFile(settingsFile()), good);
    EXPECT_EQ(notifications, 1);
}

TEST_F(SettingsFixture, HeaderValuesWithLineBreaksSendNothing)
{
    serveSettings({{200, {{"Content-Type", kJson}}, R"({"app":{"status":"ok"}})"}});
    manager->beginSettingsAndOnboardingOperationsWithAPIKey("the-key\r\nX-Injected: yes", Map {});
    ASSERT_TRUE(manager->activity()->wait(60.0));
    manager->setAdvertisingTokenProvider([] { return std::optional<std::string>("token\nX-Injected: yes"); });
    runOnce();
    EXPECT_TRUE(service.log().empty());
    EXPECT_EQ(notifications, 0);
    EXPECT_FALSE(std::filesystem::exists(settingsFile()));
}

TEST_F(SettingsFixture, OnboardingAnswersAreNotReadAndItsRedirectsAreWellFormed)
{
    const std::string create = "/configure/spi/v1/platforms/linux/apps";
    service.script({{"GET", settingsPath, {{200, {{"Content-Type", kJson}}, R"({"app":{"status":"new"}})"}}},
                    {"POST", create, {{201, {}, "", "endless"}}}});
    {
        test::ResidentGrowthWatch memory(768u << 20, [&] { service.stop(); });
        runOnce();
        EXPECT_LT(memory.peakGrowth(), 64u << 20) << memory.peakGrowth();
        RecordProperty("peak_resident_growth_bytes", std::to_string(memory.peakGrowth()));
    }
    EXPECT_EQ(requests(), (std::vector<std::string> {"GET " + settingsPath, "POST " + create, "GET " + settingsPath}));
    EXPECT_EQ(notifications, 1);

    // A create redirected with 302 goes on as a plain GET, at once.
    service.script({{"GET", settingsPath, {{200, {{"Content-Type", kJson}}, R"({"app":{"status":"new"}})"}}},
                    {"POST", create, {{302, {{"Location", "/configure/created"}}, ""}}},
                    {"GET", "/configure/created", {{200, {}, "ok"}}}});
    manager = std::make_shared<RIGSettingsOnboardingManager>(model);
    runOnce();
    const auto log = service.log();
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(test::logString(log[5], "method") + " " + test::logString(log[5], "path"), "GET /configure/created");
    EXPECT_EQ(test::logHeader(log[5], "Content-Length"), "(absent)");
    EXPECT_EQ(test::logHeader(log[5], "Content-Type"), "(absent)");
    EXPECT_EQ(test::logString(log[6], "path"), settingsPath); // the create counted: settings again
    EXPECT_EQ(notifications, 2);
}

TEST_F(SettingsFixture, WithoutAUsableBundleIdentifierNothingIsDownloadedOrDeleted)
{
    service.script({{"GET", "/spi/v2/platforms/linux/*", {{200, {{"Content-Type", kJson}}, R"({"app":{"status":"ok"}})"}}}});
    const auto kitFolder = home.path() / "cache" / "org.quiverleaf.rigging.data";
    test::writeTextFile(kitFolder / "org.other.app" / "settings.json", R"({"app":{"status":"theirs"}})");
    test::writeTextFile(home.path() / "cache" / "unrelated.txt", "keep");
    for (const std::string& identifier : std::vector<std::string> {"", ".", "..", "org/other", "../..", std::string("org\0x", 5)}) {
        info::setMainInfoDictionary(Map {{"CFBundleIdentifier", identifier}});
        EXPECT_FALSE(manager->settingsPath()) << identifier;
        runOnce();
    }
    info::setMainInfoDictionary(Map {{"CFBundleIdentifier", 42}});
    runOnce();
    EXPECT_TRUE(service.log().empty());
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(test::readTextFile(kitFolder / "org.other.app" / "settings.json"), R"({"app":{"status":"theirs"}})");
    EXPECT_EQ(test::readTextFile(home.path() / "cache" / "unrelated.txt"), "keep");
    EXPECT_FALSE(manager->settingsModel().settingsDictionary());
}
