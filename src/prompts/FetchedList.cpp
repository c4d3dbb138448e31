#include "prompts/FetchedList.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/XmlPlistReader.h"

namespace ql {

Result<PlistValue::Dictionary> readFetchedDictionary(QByteArrayView data, const QString& what)
{
    ArchiveLimits limits;
    limits.maxBytes = 8 << 20;
    limits.maxObjects = 100'000;
    limits.maxCollectionCount = 10'000;
    limits.maxDepth = 8;
    const Result<PlistValue> list = readPropertyList(data, limits);
    if (!list)
        return list.error();
    if (list->type() != PlistValue::Type::Dictionary)
        return archiveError(ArchiveErrorCode::WrongType, QStringLiteral("%1 are not a dictionary.").arg(what));
    return list->toDictionary();
}

} // namespace ql
