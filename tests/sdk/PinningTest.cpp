#include "TestService.h"

#include "sdk/TextForms.h"
#include "sdk/foundation/Log.h"
#include "sdk/network/RIGNetworkClient.h"
#include "sdk/network/RIGNetworkTaskUtility.h"
#include "sdk/network/RIGPinnedCertificates.h"
#include "support/EnvironmentChange.h"

#include <future>
#include <gtest/gtest.h>
#include <openssl/sha.h>

using namespace qlkit;

namespace {

struct TlsServices {
    TlsServices()
    {
        test::TestService::makeCertificates(certs.path());
        for (const char* name : {"good", "other", "expired", "wronghost", "localhost"}) {
            services.emplace(name, std::make_unique<test::TestService>(std::pair {
                                       (certs.path() / (std::string(name) + ".pem")).string(),
                                       (certs.path() / (std::string(name) + ".key")).string()}));
            services.at(name)->script({{"GET", "/ping", {{200, {}, "pong"}}}});
        }
    }
    std::string der(const char* root) const { return test::readTextFile(certs.path() / (std::string(root) + ".der")); }

    test::TempDir certs;
    std::map<std::string, std::unique_ptr<test::TestService>> services;
};

using Sender = std::function<void(const URLRequest&, DataTaskCompletion)>;

// "ok", or the failure's code.
std::string ping(const Sender& send, const std::string& url)
{
    URLRequest request;
    request.URL = url;
    request.timeoutInterval = 5;
    std::promise<std::string> done;
    send(request, [&](const auto& data, const auto&, const auto& error) {
        done.set_value(error ? std::to_string(error->code) : data.value_or(""));
    });
    return done.get_future().get();
}

std::string ping(const Sender& send, const test::TestService& service) { return ping(send, service.baseURL() + "/ping"); }

} // namespace

TEST(RIGCertificatePinner, AcceptsOnlyChainsEndingAtAPinnedRoot)
{
    TlsServices tls;
    auto pinned = RIGNetworkTaskUtility::create(nullptr, std::vector {tls.der("rootA")});
    auto send = [&](const URLRequest& r, DataTaskCompletion c) { pinned->beginDataTaskWithRequest(r, 0, c); };
    EXPECT_EQ(ping(send, *tls.services.at("good")), "pong");
    EXPECT_EQ(ping(send, *tls.services.at("other")), "-999");     // another root
    EXPECT_EQ(ping(send, *tls.services.at("expired")), "-999");   // out of date
    EXPECT_EQ(ping(send, *tls.services.at("wronghost")), "-999"); // names another host

    // A secure request does not follow a redirect to plain HTTP.
    test::TestService plain;
    plain.script({{"GET", "/ping", {{200, {}, "pong"}}}});
    tls.services.at("good")->script(
        {{"GET", "/ping", {{302, {{"Location", plain.baseURL() + "/ping"}}, ""}}}});
    EXPECT_NE(ping(send, *tls.services.at("good")), "pong");
    EXPECT_TRUE(plain.log().empty());

    tls.services.at("good")->script({{"GET", "/ping", {{200, {}, "pong"}}}});
    auto empty = RIGNetworkClient::create(nullptr, std::vector<std::string> {});
    EXPECT_EQ(ping([&](const URLRequest& r, DataTaskCompletion c) { empty->startDataTaskWithRequest(r, c); },
                   *tls.services.at("good")),
              "-999");

    // The kit's own roots do not know the test root.
    auto shipped = RIGNetworkTaskUtility::create();
    EXPECT_EQ(ping([&](const URLRequest& r, DataTaskCompletion c) { shipped->beginDataTaskWithRequest(r, 0, c); },
                   *tls.services.at("good")),
              "-999");
}

TEST(RIGCertificatePinner, EachHandshakeIsJudgedAgainstTheHostItIsMadeWith)
{
    TlsServices tls;
    auto pinned = RIGNetworkTaskUtility::create(nullptr, std::vector {tls.der("rootA")});
    auto send = [&](const URLRequest& r, DataTaskCompletion c) { pinned->beginDataTaskWithRequest(r, 0, c); };
    auto& good = *tls.services.at("good");
    // A second host: its certificate, from the pinned root, names "localhost" only.
    const auto& second = *tls.services.at("localhost");
    const std::string secondByName = "https://localhost:" + std::to_string(second.port()) + "/ping";
    const std::string secondByAddress = second.baseURL() + "/ping";
    EXPECT_EQ(ping(send, secondByName), "pong");
    good.script({{"GET", "/ping", {{302, {{"Location", secondByName}}, ""}}}});
    EXPECT_EQ(ping(send, good), "pong");
    // Reached by its address, the second host's certificate names another host.
    EXPECT_EQ(ping(send, secondByAddress), "-999");
    good.script({{"GET", "/ping", {{302, {{"Location", secondByAddress}}, ""}}}});
    EXPECT_EQ(ping(send, good), "-999");
}

TEST(RIGCertificatePinner, ASecureSchemeInAnyLetterCaseIsNeverRedirectedToPlainHTTP)
{
    TlsServices tls;
    auto pinned = RIGNetworkTaskUtility::create(nullptr, std::vector {tls.der("rootA")});
    auto send = [&](const URLRequest& r, DataTaskCompletion c) { pinned->beginDataTaskWithRequest(r, 0, c); };
    auto& good = *tls.services.at("good");
    const std::string address = good.baseURL().substr(std::string("https").size());
    EXPECT_EQ(ping(send, "Https" + address + "/ping"), "pong");

    test::TestService plain;
    plain.script({{"GET", "/ping", {{200, {}, "pong"}}}});
    good.script({{"GET", "/ping", {{302, {{"Location", plain.baseURL() + "/ping"}}, ""}}},
                 {"GET", "/upper", {{302, {{"Location", "HTTP" + plain.baseURL().substr(4) + "/ping"}}, ""}}}});
    for (const char* scheme : {"https", "Https", "HTTPS", "hTtPs"})
        EXPECT_EQ(ping(send, scheme + address + "/ping"), std::to_string(kURLErrorRequiresSecureConnection)) << scheme;
    EXPECT_EQ(ping(send, "Https" + address + "/upper"), std::to_string(kURLErrorRequiresSecureConnection));
    EXPECT_TRUE(plain.log().empty());
}

TEST(RIGCertificatePinner, SystemTrustDecidesInDebugModeAndWithoutPins)
{
    TlsServices tls;
    auto unpinned = RIGNetworkClient::create();
    auto sendUnpinned = [&](const URLRequest& r, DataTaskCompletion c) { unpinned->startDataTaskWithRequest(r, c); };
    auto pinnedB = RIGNetworkTaskUtility::create(nullptr, std::vector {tls.der("rootB")});
    auto sendPinnedB = [&](const URLRequest& r, DataTaskCompletion c) { pinnedB->beginDataTaskWithRequest(r, 0, c); };

    EXPECT_EQ(ping(sendUnpinned, *tls.services.at("good")), "-999"); // the system does not know root A
    const ql::testing::EnvironmentChange systemRoots("SSL_CERT_FILE", (tls.certs.path() / "rootA.pem").string()); // now it does
    EXPECT_EQ(ping(sendUnpinned, *tls.services.at("good")), "pong");
    EXPECT_EQ(ping(sendPinnedB, *tls.services.at("good")), "-999");
    log::setDebug(true);
    EXPECT_EQ(ping(sendPinnedB, *tls.services.at("good")), "pong");
    EXPECT_EQ(ping(sendPinnedB, *tls.services.at("wronghost")), "-999"); // host names still count
    log::setDebug(false);
}

TEST(RIGCertificatePinner, CarriesTheTwoDistributedRoots)
{
    const auto roots = RIGPinnedCertificates();
    ASSERT_EQ(roots.size(), 2u);
    auto sha256 = [](const std::string& der) {
        unsigned char digest[SHA256_DIGEST_LENGTH];
        SHA256(reinterpret_cast<const unsigned char*>(der.data()), der.size(), digest);
        return RIGHexStringFromData(std::string_view(reinterpret_cast<const char*>(digest), sizeof digest));
    };
    EXPECT_EQ(roots[0].size(), 1173u);
    EXPECT_EQ(sha256(roots[0]), "73c176434f1bc6d5adf45b0e76e727287c8de57616c1e6e6141a2b2cbc7d8e4c");
    EXPECT_EQ(roots[1].size(), 969u);
    EXPECT_EQ(sha256(roots[1]), "7431e5f4c3c1ce4690774f0b61e05440883ba9a01ed00ba6abd7806ed3b118cf");

    RIGCertificatePinner pinner(roots);
    SecTrustResultType result = SecTrustResultType::Proceed;
    EXPECT_EQ(RIGCertificatePinner({}).evaluateTrust(ServerTrust {}, &result), 0);
    EXPECT_EQ(result, SecTrustResultType::Invalid);
    bool answered = false;
    auto session = HLYURLSession::sessionWithConfiguration(HLYURLSessionConfiguration::defaultSessionConfiguration());
    EXPECT_FALSE(pinner.handleChallenge(AuthenticationChallenge {}, *session, [&](AuthChallengeDisposition d, auto) {
        answered = d == AuthChallengeDisposition::CancelAuthenticationChallenge;
    }));
    EXPECT_TRUE(answered); // not a server-trust challenge: cancelled
    EXPECT_EQ(RIGCertificatePinner({"not DER"}).evaluateTrust(ServerTrust {}, &result), -1);
    EXPECT_EQ(result, SecTrustResultType::FatalTrustFailure);
}
