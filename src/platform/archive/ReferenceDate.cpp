#include "platform/archive/ReferenceDate.h"

#include <QTimeZone>
#include <cmath>
#include <limits>

namespace ql {

namespace {

constexpr double referenceDateOffset = 978307200.0; // 1970 to 2001, in seconds

} // namespace

std::optional<QDateTime> dateFromReferenceSeconds(double seconds)
{
    const double ms = (seconds + referenceDateOffset) * 1000.0;
    // A few hundred thousand years either way: far beyond any real file.
    if (!std::isfinite(ms) || std::abs(ms) > 1e16)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround(ms)), QTimeZone::utc());
}

double referenceSecondsFromDate(const QDateTime& date)
{
    return double(date.toMSecsSinceEpoch()) / 1000.0 - referenceDateOffset;
}

float narrowToFloat(double value)
{
    constexpr double largest = double(std::numeric_limits<float>::max());
    if (value > largest)
        return std::numeric_limits<float>::infinity();
    if (value < -largest)
        return -std::numeric_limits<float>::infinity();
    return float(value);
}

} // namespace ql
