#include "prompts/ReleaseNotes.h"

#include "prompts/FetchedList.h"

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
    Result<PlistValue::Dictionary> list = readFetchedDictionary(data, QStringLiteral("The release notes"));
    if (!list)
        return list.error();
    return releaseNotesFromPlist(PlistValue::dictionary(std::move(*list)));
}

} // namespace ql
