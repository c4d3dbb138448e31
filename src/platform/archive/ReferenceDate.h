// Dates and 32-bit reals as archives store them.
#pragma once

#include <QDateTime>
#include <optional>

namespace ql {

// Seconds since the platform's reference date, 2001-01-01 00:00:00 UTC;
// nullopt when the number is no usable date.
std::optional<QDateTime> dateFromReferenceSeconds(double seconds);
double referenceSecondsFromDate(const QDateTime& date);

// Narrows to a 32-bit float; values beyond its range become infinite rather
// than undefined.
float narrowToFloat(double value);

} // namespace ql
