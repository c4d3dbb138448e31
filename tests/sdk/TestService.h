// The scriptable HTTP(S) service of service/service.py, started for one test
// on 127.0.0.1 with a free port and stopped with the object.
#pragma once

#include "SdkTestSupport.h"

#include "sdk/foundation/Value.h"

#include <atomic>
#include <optional>
#include <string>
#include <sys/types.h>

namespace qlkit::test {

struct ServiceResponse {
    long status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string mode = "normal"; // hang, close, truncate, short, garbage, endless, trickle
    double interval = 0.8;       // seconds between the bytes of a trickle
    int delayMs = 0;             // wait before answering
    double readRate = 0;         // bytes per second at most while reading the body; 0: no limit
    long long stallAfter = -1;   // stop reading the body once this many bytes are in...
    double stallSeconds = 0;     // ...for this long
};

struct ServiceRule {
    std::string method;
    std::string path;
    std::vector<ServiceResponse> responses;
};

class TestService {
public:
    // Plain HTTP, or HTTPS with the given certificate and key files.
    explicit TestService(std::optional<std::pair<std::string, std::string>> tls = std::nullopt);
    ~TestService();
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;

    std::string baseURL() const;
    int port() const { return m_port; }
    void script(const std::vector<ServiceRule>& rules) const;
    // Every request the service saw, oldest first.
    Array log() const;
    const std::filesystem::path& partsDir() const { return m_partsDir; }
    // Ends the service at once, cutting every connection it holds.
    void stop();

    // Makes the test roots and server certificates into `folder`.
    static void makeCertificates(const std::filesystem::path& folder);
    static std::string servicePath();

private:
    TempDir m_dir;
    std::filesystem::path m_partsDir;
    bool m_tls = false;
    std::atomic<pid_t> m_pid {-1}; // stop() may come from a watching thread
    int m_port = 0;
};

// Plain helpers over the service's log entries.
std::string logHeader(const Value& entry, const std::string& name);
std::vector<std::string> logHeaderNames(const Value& entry);
std::string logString(const Value& entry, const std::string& key);

} // namespace qlkit::test
