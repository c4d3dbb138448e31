#include "ReportTestSupport.h"

#include "sdk/foundation/Base64.h"

#include <algorithm>

namespace qlkit::crashtest {

namespace fs = std::filesystem;

ReportTree::ReportTree(const fs::path& folder)
    : structure(folder / "cache" / "org.quiverleaf.halyard.data" / "org.quiverleaf.crash-probe" / "v3")
{
}

std::vector<fs::path> entriesOf(const fs::path& folder)
{
    std::vector<fs::path> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (it->path().filename().string()[0] != '.')
            entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

ProcessResult runSend(const fs::path& folder, const std::string& url)
{
    return runProcess({toolPath("crash-probe"), "--dir", folder.string(), "--url", url, "send"});
}

ProcessResult runProbeAt(const fs::path& folder, const std::string& url, const std::string& kind)
{
    return runProcess({toolPath("crash-probe"), "--dir", folder.string(), "--url", url, kind});
}

test::ServiceResponse acceptedAnswer()
{
    test::ServiceResponse response;
    response.headers = {{"Content-Type", "application/json"}};
    response.body = "{}";
    return response;
}

test::ServiceResponse answer(long status, std::vector<std::pair<std::string, std::string>> headers)
{
    test::ServiceResponse response;
    response.status = status;
    response.headers = std::move(headers);
    response.headers.emplace_back("Content-Type", "application/json");
    response.body = "{}";
    return response;
}

void scriptReports(const test::TestService& service, std::vector<test::ServiceResponse> responses)
{
    service.script({{"POST", kReportsPath, std::move(responses)}});
}

std::vector<Value> reportPosts(const test::TestService& service)
{
    std::vector<Value> posts;
    for (const auto& entry : service.log())
        if (test::logString(entry, "method") == "POST" && test::logString(entry, "path") == kReportsPath)
            posts.push_back(entry);
    return posts;
}

const Value* partNamed(const Value& post, const std::string& name)
{
    const Value* parts = member(post, "parts");
    if (!parts || !parts->asArray())
        return nullptr;
    for (const auto& part : *parts->asArray()) {
        const Value* field = member(part, "name");
        if (field && field->asString() && *field->asString() == name)
            return &part;
    }
    return nullptr;
}

std::vector<std::string> partNames(const Value& post)
{
    std::vector<std::string> names;
    const Value* parts = member(post, "parts");
    if (parts && parts->asArray())
        for (const auto& part : *parts->asArray())
            names.push_back(member(part, "name")->asString() ? *member(part, "name")->asString() : "");
    return names;
}

std::string partText(const Value& part, const char* key)
{
    const Value* value = member(part, key);
    if (!value || !value->asString())
        return "";
    const auto bytes = base64::decode(*value->asString());
    return bytes ? std::string(bytes->begin(), bytes->end()) : "";
}

} // namespace qlkit::crashtest
