#include "prompts/ReleaseNotes.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/XmlPlistReader.h"

namespace ql {

namespace {

std::optional<QString> notesFromValue(const PlistValue& value)
{
    if (value.type() == PlistValue::Type::String)
        return value.toString();
    if (value.type() != PlistValue::Type::Array)
        return std::nullopt;
    QStringList lines;
    for (const PlistValue& line : value.toArray()) {
        if (line.type() != PlistValue::Type::String)
            return std::nullopt;
        lines << line.toString();
    }
    return lines.join(u'\n');
}

} // namespace

VersionNotes releaseNotesFromPlist(const PlistValue& dictionary)
{
    VersionNotes notes;
    for (const auto& [version, value] : dictionary.toDictionary())
        notes.insert(version, notesFromValue(value));
    return notes;
}

Result<VersionNotes> readReleaseNotes(QByteArrayView data)
{
    ArchiveLimits limits;
    limits.maxBytes = 8 << 20;
    limits.maxObjects = 100'000;
    limits.maxCollectionCount = 100'000;
    limits.maxDepth = 8;
    const Result<PlistValue> list = readPropertyList(data, limits);
    if (!list)
        return list.error();
    if (list->type() != PlistValue::Type::Dictionary)
        return archiveError(ArchiveErrorCode::WrongType, QStringLiteral("The release notes are not a dictionary of versions."));
    return releaseNotesFromPlist(*list);
}

} // namespace ql
