#include "app/document/DocumentBudget.h"

#include "platform/archive/KeyedUnarchiver.h"

#include <QLocale>
#include <QObject>

namespace ql {

namespace {

Status checkRecords(const KeyedUnarchiver& archive, const QString& recordClass, qsizetype most, const char* text)
{
    const qsizetype records = archive.countRecordsOfClass(recordClass);
    if (records <= most)
        return {};
    const QLocale locale;
    return Error {DocumentBudget::kErrorDomain, 1,
                  QObject::tr(text).arg(locale.toString(records), locale.toString(most))};
}

} // namespace

Status DocumentBudget::checkElements(const KeyedUnarchiver& archive, const QString& elementClass)
{
    return checkRecords(archive, elementClass, kMaxElements,
                        QT_TR_NOOP("It holds %1 elements; a document can hold up to %2."));
}

Status DocumentBudget::checkPages(const KeyedUnarchiver& archive, const QString& pageClass)
{
    return checkRecords(archive, pageClass, kMaxPages, QT_TR_NOOP("It holds %1 pages; a document can hold up to %2."));
}

} // namespace ql
