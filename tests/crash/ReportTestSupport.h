// What the report tests share: the probe's report tree, sending with
// crash-probe against the test service, and reading the service's log of
// report uploads.
#pragma once

#include "CrashTestSupport.h"
#include "TestService.h"

#include <filesystem>
#include <string>
#include <vector>

namespace qlkit::crashtest {

inline constexpr const char* kReportsPath = "/sdk-api/v1/platforms/linux/apps/org.quiverleaf.crash-probe/reports";

// The probe's report folders below a probe folder.
struct ReportTree {
    explicit ReportTree(const std::filesystem::path& folder);
    std::filesystem::path structure;
    std::filesystem::path active() const { return structure / "active"; }
    std::filesystem::path processing() const { return structure / "processing"; }
    std::filesystem::path prepared() const { return structure / "prepared"; }
    std::filesystem::path launchMarker() const { return structure / "launchmarker"; }
};

// Visible entries of a folder, sorted by name.
std::vector<std::filesystem::path> entriesOf(const std::filesystem::path& folder);

ProcessResult runSend(const std::filesystem::path& folder, const std::string& url);
ProcessResult runProbeAt(const std::filesystem::path& folder, const std::string& url, const std::string& kind);

// The service's answer that accepts a report.
test::ServiceResponse acceptedAnswer();
test::ServiceResponse answer(long status, std::vector<std::pair<std::string, std::string>> headers = {});
void scriptReports(const test::TestService& service, std::vector<test::ServiceResponse> responses);
// The POSTs to the reports path, oldest first.
std::vector<Value> reportPosts(const test::TestService& service);
// A part of a logged multipart request by field name; null when absent.
const Value* partNamed(const Value& post, const std::string& name);
std::vector<std::string> partNames(const Value& post);
std::string partText(const Value& part, const char* key = "body_b64");

} // namespace qlkit::crashtest
