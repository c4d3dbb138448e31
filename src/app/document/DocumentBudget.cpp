#include "app/document/DocumentBudget.h"

#include "platform/archive/ArchiveError.h"
#include "platform/archive/KeyedUnarchiver.h"

#include <QLocale>
#include <QObject>

namespace ql {

Status DocumentBudget::checkElements(const KeyedUnarchiver& archive, const QString& elementClass)
{
    const qsizetype elements = archive.countRecordsOfClass(elementClass);
    if (elements <= kMaxElements)
        return {};
    const QLocale locale;
    return archiveError(ArchiveErrorCode::TooLarge,
                        QObject::tr("It holds %1 elements; a document can hold up to %2.")
                            .arg(locale.toString(elements), locale.toString(kMaxElements)));
}

} // namespace ql
