#include "crash/reports/HLYReport.h"

#include "crash/HalyardConstants.h"
#include "crash/logging/HLYUserLogging.h"
#include "sdk/foundation/Dispatch.h"

namespace qlkit {

HLYReport::HLYReport(std::shared_ptr<HLYInternalReport> internalReport) : m_internalReport(std::move(internalReport)) {}

void HLYReport::setUserIdentifier(const std::optional<std::string>& value)
{
    recordValue(value ? std::optional<Value>(*value) : std::nullopt, "user-id");
}

void HLYReport::setUserName(const std::optional<std::string>& value)
{
    recordValue(value ? std::optional<Value>(*value) : std::nullopt, "user-name");
}

void HLYReport::setUserEmail(const std::optional<std::string>& value)
{
    recordValue(value ? std::optional<Value>(*value) : std::nullopt, "user-email");
}

void HLYReport::recordValue(const std::optional<Value>& value, const std::string& internalKey)
{
    const HLYContext* context = HLYContextShared();
    if (!HLYContextIsInitialized() || !context)
        return;
    const std::string incremental = m_internalReport->pathForContentFile("internal_incremental_kv.hlyrecord").string();
    const std::string compacted = m_internalReport->pathForContentFile("internal_compacted_kv.hlyrecord").string();
    // The report's own store, with the running context's user-key limits.
    const HLYUserLoggingKVStorage storage {incremental.c_str(), compacted.c_str(),
                                           context->userKVStorage.compactionThreshold, context->userKVStorage.maxEntries};
    const auto text = HLYValueDescription(value);
    const std::string key = kHalyardInternalKeyPrefix + internalKey;
    if (const auto queue = HLYLoggingQueue()) {
        queue->sync([&] { HLYUserLoggingWriteKeyValue(key, text, &storage, &m_kvCount); });
        // A compaction that line asked for runs now, while the storage lives.
        queue->sync([] {});
    }
}

} // namespace qlkit
