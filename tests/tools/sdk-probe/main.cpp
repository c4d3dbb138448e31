// sdk-probe: runs the kit's core in a process of its own, for tests that need
// a fresh process (identifiers across launches, a kill during a write).
//
//   sdk-probe identity          start the core twice, print its identifiers
//   sdk-probe no-key            start without an API key, print the exception
//   sdk-probe kit-config        print the configuration of the probe's kit as JSON
//   sdk-probe defaults-set K V  store V under K in the private store and write it
//   sdk-probe defaults-get K    print the value under K, or "(none)"
//   sdk-probe defaults-hammer   write the store over and over until killed
//
// The folders come from the XDG variables of the environment.
#include "sdk/HLYUserDefaults.h"
#include "sdk/KitException.h"
#include "sdk/RIGObfuscator.h"
#include "sdk/Rigging.h"
#include "sdk/foundation/InfoDictionary.h"
#include "sdk/foundation/Json.h"

#include <cstdio>
#include <iostream>
#include <string>

using namespace qlkit;

namespace {

class ProbeKit : public RIGKit {
public:
    explicit ProbeKit(std::string name) : m_name(std::move(name)) {}
    std::string kitClassName() const override { return m_name; }
    void start() override { ++starts; }
    std::optional<std::string> version() const override { return "9.9"; }
    static inline int starts = 0;

private:
    std::string m_name;
};

Map probeInfo()
{
    Map kit {{"KitName", "ProbeKit"},
             {"KitInfo", Map {{"a", 1}}},
             {"ObfuscatedKitInfo", RIGObfuscator::obfuscatedDataFromDictionary(Map {{"a", 2}, {"b", 3}})}};
    return Map {{"CFBundleIdentifier", "org.quiverleaf.probe"},
                {"CFBundleVersion", "7"},
                // Nothing listens there: the start-up download fails at once.
                {"Halyard", Map {{"SettingsEndpoint", "http://127.0.0.1:1"}, {"ConfigureEndpoint", "http://127.0.0.1:1"}}},
                {"Rigging", Map {{"APIKey", "probe-key"}, {"Kits", Array {kit}}}}};
}

int usage()
{
    std::cerr << "usage: sdk-probe identity|no-key|kit-config|defaults-set K V|defaults-get K|defaults-hammer\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    if (command == "identity") {
        info::setMainInfoDictionary(probeInfo());
        Rigging::with({std::make_shared<ProbeKit>("ProbeKit")});
        Rigging& sdk = Rigging::with({std::make_shared<ProbeKit>("OtherKit")});
        std::cout << "install=" << sdk.installID() << "\n"
                  << "first=" << sdk.isFirstInstall() << "\n"
                  << "execution=" << sdk.executionIdentifier() << "\n"
                  << "instance=" << sdk.instanceIdentifier().value_or("") << "\n"
                  << "starts=" << ProbeKit::starts << "\n"
                  << "versions=" << json::serialize(Value(sdk.SDKKitVersions())) << "\n";
        return 0;
    }
    if (command == "no-key") {
        info::setMainInfoDictionary(Map {{"CFBundleIdentifier", "org.quiverleaf.probe"}});
        try {
            Rigging::with({std::make_shared<ProbeKit>("ProbeKit")});
        } catch (const KitException& e) {
            std::cout << e.name() << "|" << e.reason() << "|starts=" << ProbeKit::starts << "\n";
            return 0;
        }
        return 1;
    }
    if (command == "kit-config") {
        info::setMainInfoDictionary(probeInfo());
        auto config = Rigging::sharedSDK().configurationDictionaryForKit(ProbeKit("ProbeKit"));
        std::cout << (config ? json::serialize(Value(*config)) : "(none)") << "\n";
        return 0;
    }
    auto& defaults = HLYUserDefaults::standardUserDefaults();
    if (command == "defaults-set" && argc == 4) {
        defaults.setString(argv[3], argv[2]);
        defaults.synchronize();
        return 0;
    }
    if (command == "defaults-get" && argc == 3) {
        std::cout << defaults.stringForKey(argv[2]).value_or("(none)") << "\n";
        return 0;
    }
    if (command == "defaults-hammer") {
        for (long round = 0;; ++round) {
            // Large values make each write long enough to be interrupted.
            defaults.setString(std::string(200000 + round % 1000, char('a' + round % 26)), "blob");
            defaults.setObject(Value(std::int64_t(round)), "round");
            defaults.synchronize();
            if (round == 0) {
                std::cout << "ready" << std::endl;
            }
        }
    }
    return usage();
}
