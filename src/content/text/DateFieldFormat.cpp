#include "content/text/DateFieldFormat.h"

#include <unicode/smpdtfmt.h>
#include <unicode/unistr.h>

namespace ql::text {

QString formatDate(const QString& pattern, const QDateTime& moment)
{
    if (pattern.isEmpty())
        return {};
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString icuPattern(reinterpret_cast<const char16_t*>(pattern.utf16()), int32_t(pattern.size()));
    icu::SimpleDateFormat formatter(icuPattern, status);
    if (U_FAILURE(status))
        return {};
    icu::UnicodeString written;
    formatter.format(UDate(moment.toMSecsSinceEpoch()), written);
    return QString(reinterpret_cast<const QChar*>(written.getBuffer()), written.length());
}

} // namespace ql::text
