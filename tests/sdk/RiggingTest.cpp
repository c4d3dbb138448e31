#include "SdkTestSupport.h"

#include "sdk/KitException.h"
#include "sdk/Rigging.h"

#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

using namespace qlkit;

namespace {

std::map<std::string, std::string> probeIdentity()
{
    const auto result = test::run({test::probePath(), "identity"});
    EXPECT_EQ(result.exitCode, 0);
    std::map<std::string, std::string> fields;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            fields[line.substr(0, eq)] = line.substr(eq + 1);
    return fields;
}

std::string configError(const std::optional<Map>& info)
{
    try {
        Rigging::validSDKConfigFromInfoPlist(info);
    } catch (const KitException& e) {
        return e.name() + ": " + e.reason();
    }
    return "valid";
}

} // namespace

TEST(Rigging, InstallIdentifierPersistsAndExecutionIdentifiersDiffer)
{
    test::KitHome home;
    const auto first = probeIdentity();
    const auto second = probeIdentity();
    EXPECT_TRUE(std::regex_match(first.at("install"), std::regex("[0-9A-F-]{36}")));
    EXPECT_EQ(first.at("first"), "1");
    EXPECT_EQ(second.at("first"), "0");
    EXPECT_EQ(second.at("install"), first.at("install"));
    EXPECT_TRUE(std::regex_match(first.at("execution"), std::regex("[0-9a-f]{32}")));
    EXPECT_NE(first.at("execution"), second.at("execution"));
    EXPECT_TRUE(std::regex_match(first.at("instance"), std::regex("[0-9a-f]{40}")));
    EXPECT_EQ(first.at("instance"), second.at("instance"));
    // Started once, whatever the second call passed; the core lists itself.
    EXPECT_EQ(first.at("starts"), "1");
    EXPECT_EQ(first.at("versions"), R"({"ProbeKit":"9.9","org.quiverleaf.rigging":"1.2.8"})");
}

TEST(Rigging, ConfigurationIsCheckedAndMerged)
{
    EXPECT_EQ(configError(std::nullopt), "RIGException: [Rigging] Cannot find Info.plist.");
    EXPECT_EQ(configError(Map {}), "RIGException: [Rigging] Value of Info.plist key \"Rigging\" must be a NSDictionary.");
    EXPECT_EQ(configError(Map {{"Rigging", Map {{"Kits", Array {}}}}}),
              "RIGException: [Rigging] Value of Info.plist[Rigging][APIKey] must contain your Rigging API Key.");
    EXPECT_EQ(configError(Map {{"Rigging", Map {{"APIKey", "k"}}}}), "valid");

    test::KitHome home;
    const auto noKey = test::run({test::probePath(), "no-key"});
    EXPECT_EQ(noKey.output,
              "RIGException|[Rigging] Value of Info.plist key \"Rigging\" must be a NSDictionary.|starts=0\n");
    // "KitInfo" {a: 1} over "ObfuscatedKitInfo" {a: 2, b: 3}.
    EXPECT_EQ(test::run({test::probePath(), "kit-config"}).output, "{\"a\":1,\"b\":3}\n");
}
