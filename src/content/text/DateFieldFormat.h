// Dates as date fields write them: a Unicode date pattern ("MMMM d, yyyy",
// "h:mm a") applied in the user's locale.
#pragma once

#include <QDateTime>
#include <QString>

namespace ql::text {

// The moment written with the pattern; empty for an empty pattern.
QString formatDate(const QString& pattern, const QDateTime& moment);

} // namespace ql::text
