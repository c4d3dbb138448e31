#include "crash/reports/HLYInternalReport.h"

#include "crash/capture/HLYFile.h"
#include "sdk/foundation/Log.h"

namespace qlkit {
namespace {

namespace fs = std::filesystem;

const char* const kSubmittableFiles[] = {"custom_exception.hlyrecord", "exception.hlyrecord",
                                         "signal.hlyrecord",           "mach_exception.hlyrecord",
                                         "errors_a.hlyrecord",         "errors_b.hlyrecord"};
const char* const kSymbolicatableFiles[] = {"exception.hlyrecord", "mach_exception.hlyrecord", "signal.hlyrecord"};

} // namespace

std::shared_ptr<HLYInternalReport> HLYInternalReport::reportWithPath(const fs::path& path)
{
    auto report = std::make_shared<HLYInternalReport>(path, std::nullopt);
    const Value* identifier = report->metadataValue(0, "identity", "session_id");
    if (identifier && identifier->asString())
        report->m_identifier = *identifier->asString();
    else
        log::always("[Halyard:Crash] Unable to read identifier at path " + path.string());
    return report;
}

HLYInternalReport::HLYInternalReport(fs::path path, std::optional<std::string> executionIdentifier)
    : m_path(std::move(path)), m_identifier(std::move(executionIdentifier))
{
}

std::optional<Array> HLYInternalReport::readMetadataAtPath(const fs::path& path)
{
    auto sections = HLYFileReadSections(path.c_str(), false);
    if (!sections || sections->empty())
        return std::nullopt;
    return sections;
}

std::optional<Array> HLYInternalReport::metadataSections() const
{
    std::call_once(m_metadataOnce, [this] { m_metadataSections = readMetadataAtPath(metadataPath()); });
    return m_metadataSections;
}

const Value* HLYInternalReport::metadataValue(std::size_t section, const char* object, const char* key) const
{
    metadataSections();
    if (!m_metadataSections || section >= m_metadataSections->size())
        return nullptr;
    const Map* line = (*m_metadataSections)[section].asMap();
    const Value* inner = line ? line->find(object) : nullptr;
    const Map* map = inner ? inner->asMap() : nullptr;
    const Value* value = map ? map->find(key) : nullptr;
    return value && !value->isNull() ? value : nullptr;
}

std::optional<std::string> HLYInternalReport::metadataText(std::size_t section, const char* object, const char* key) const
{
    const Value* value = metadataValue(section, object, key);
    return value && value->asString() ? std::optional<std::string>(*value->asString()) : std::nullopt;
}

bool HLYInternalReport::needsToBeSubmitted() const
{
    // Only a record the capture core wrote counts: a planted link names nothing to send.
    std::error_code error;
    for (const char* name : kSubmittableFiles)
        if (fs::symlink_status(pathForContentFile(name), error).type() == fs::file_type::regular)
            return true;
    return false;
}

std::optional<std::string> HLYInternalReport::APIKey() const { return metadataText(0, "identity", "api_key"); }

std::optional<Date> HLYInternalReport::dateCreated() const
{
    const Value* value = metadataValue(0, "identity", "started_at");
    const auto number = value ? value->numberValue() : std::nullopt;
    return number ? std::optional<Date>(Date {double(std::uint64_t(*number))}) : std::nullopt;
}

std::optional<std::string> HLYInternalReport::OSVersion() const { return metadataText(1, "host", "os_display_version"); }

std::optional<std::string> HLYInternalReport::OSBuildVersion() const { return metadataText(1, "host", "os_build_version"); }

std::optional<std::string> HLYInternalReport::bundleVersion() const { return metadataText(2, "application", "build_version"); }

std::optional<std::string> HLYInternalReport::bundleShortVersionString() const
{
    return metadataText(2, "application", "display_version");
}

void HLYInternalReport::enumerateSymbolicatableFilesInContent(const std::function<void(const fs::path&)>& block) const
{
    for (const char* name : kSymbolicatableFiles)
        block(pathForContentFile(name));
}

} // namespace qlkit
