// The report of an earlier run as the application's delegate sees it. User
// identity set on it goes into that report's own internal key files.
#pragma once

#include "crash/capture/HLYContext.h"
#include "crash/reports/HLYInternalReport.h"

#include <cstdint>
#include <memory>

namespace qlkit {

class HLYReport {
public:
    explicit HLYReport(std::shared_ptr<HLYInternalReport> internalReport);

    const std::shared_ptr<HLYInternalReport>& internalReport() const { return m_internalReport; }
    std::optional<std::string> identifier() const { return m_internalReport->identifier(); }
    std::optional<Map> customKeys() const { return std::nullopt; }
    std::optional<std::string> bundleVersion() const { return m_internalReport->bundleVersion(); }
    std::optional<std::string> bundleShortVersionString() const { return m_internalReport->bundleShortVersionString(); }
    std::optional<Date> dateCreated() const { return m_internalReport->dateCreated(); }
    std::optional<Date> crashedOnDate() const { return dateCreated(); }
    std::optional<std::string> OSVersion() const { return m_internalReport->OSVersion(); }
    std::optional<std::string> OSBuildVersion() const { return m_internalReport->OSBuildVersion(); }
    bool isCrash() const { return false; }

    std::optional<std::string> userIdentifier() const { return std::nullopt; }
    std::optional<std::string> userName() const { return std::nullopt; }
    std::optional<std::string> userEmail() const { return std::nullopt; }
    void setUserIdentifier(const std::optional<std::string>& value);
    void setUserName(const std::optional<std::string>& value);
    void setUserEmail(const std::optional<std::string>& value);
    void setObjectValue(const std::optional<Value>&, const std::string&) {}

    void recordValue(const std::optional<Value>& value, const std::string& internalKey);

private:
    std::shared_ptr<HLYInternalReport> m_internalReport;
    std::uint32_t m_kvCount = 0;
};

} // namespace qlkit
