#include "TestService.h"

#include "sdk/foundation/Base64.h"
#include "sdk/foundation/Json.h"

#include <chrono>
#include <csignal>
#include <curl/curl.h>
#include <stdexcept>
#include <strings.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qlkit::test {
namespace {

std::size_t collect(char* data, std::size_t size, std::size_t count, void* out)
{
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// The control calls use libcurl directly, not the kit's session under test.
std::string control(const std::string& url, const std::optional<std::string>& postBody)
{
    CURL* curl = curl_easy_init();
    std::string out;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    if (postBody) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody->c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, long(postBody->size()));
    }
    const CURLcode result = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (result != CURLE_OK)
        throw std::runtime_error(std::string("test service control failed: ") + curl_easy_strerror(result));
    return out;
}

} // namespace

std::string TestService::servicePath() { return QUIVERLEAF_SOURCE_DIR "/tests/sdk/service/service.py"; }

TestService::TestService(std::optional<std::pair<std::string, std::string>> tls)
    : m_partsDir(m_dir.path() / "parts"), m_tls(tls.has_value())
{
    std::filesystem::create_directories(m_partsDir);
    const auto portFile = m_dir.path() / "port";
    std::vector<std::string> argv {python(), servicePath(), "serve", "--port-file", portFile.string(),
                                   "--parts-dir", m_partsDir.string()};
    if (tls) {
        argv.insert(argv.end(), {"--cert", tls->first, "--key", tls->second});
    }
    m_pid = fork();
    if (m_pid == 0) {
        std::vector<char*> args;
        for (auto& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!std::filesystem::exists(portFile)) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("test service did not start");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    m_port = std::stoi(readTextFile(portFile));
}

TestService::~TestService() { stop(); }

void TestService::stop()
{
    if (const pid_t pid = m_pid.exchange(-1); pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

std::string TestService::baseURL() const
{
    return std::string(m_tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(m_port);
}

void TestService::script(const std::vector<ServiceRule>& rules) const
{
    Array list;
    for (const auto& rule : rules) {
        Array responses;
        for (const auto& response : rule.responses) {
            Array headers;
            for (const auto& [name, value] : response.headers)
                headers.push_back(Array {name, value});
            responses.push_back(Map {{"status", response.status},
                                     {"headers", headers},
                                     {"body_b64", base64::encode(std::string_view(response.body))},
                                     {"mode", response.mode},
                                     {"interval", response.interval},
                                     {"delay_ms", response.delayMs},
                                     {"read_rate", response.readRate},
                                     {"stall_after", Value(std::int64_t(response.stallAfter))},
                                     {"stall_seconds", response.stallSeconds}});
        }
        Map entry {{"path", rule.path}, {"responses", responses}};
        if (!rule.method.empty())
            entry.set("method", rule.method);
        list.push_back(entry);
    }
    control(baseURL() + "/__script", json::serialize(Value(Map {{"rules", list}})));
}

Array TestService::log() const
{
    const auto parsed = json::parse(control(baseURL() + "/__log", std::nullopt));
    if (!parsed.value || !parsed.value->asArray())
        throw std::runtime_error("test service log unreadable");
    return *parsed.value->asArray();
}

void TestService::makeCertificates(const std::filesystem::path& folder)
{
    if (run({python(), servicePath(), "make-certs", folder.string()}).exitCode != 0)
        throw std::runtime_error("making test certificates failed");
}

std::string logHeader(const Value& entry, const std::string& name)
{
    for (const auto& header : *entry.asMap()->find("headers")->asArray()) {
        const auto& pair = *header.asArray();
        if (strcasecmp(pair[0].asString()->c_str(), name.c_str()) == 0)
            return *pair[1].asString();
    }
    return "(absent)";
}

std::vector<std::string> logHeaderNames(const Value& entry)
{
    std::vector<std::string> names;
    for (const auto& header : *entry.asMap()->find("headers")->asArray())
        names.push_back(*header.asArray()->at(0).asString());
    return names;
}

std::string logString(const Value& entry, const std::string& key)
{
    const Value* value = entry.asMap()->find(key);
    if (!value)
        return "";
    if (key == "body_b64") {
        auto bytes = base64::decode(*value->asString());
        return bytes ? std::string(bytes->begin(), bytes->end()) : "";
    }
    return value->description();
}

} // namespace qlkit::test
