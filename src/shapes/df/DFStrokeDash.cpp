#include "shapes/df/DFStrokeDash.h"

#include <cmath>

namespace {

// Dashes shorter than this in total would make millions of pieces on any
// real path: the line is drawn solid instead.
constexpr double smallestPatternLength = 0.1;

} // namespace

DFStrokeDash::DFStrokeDash(QList<double> pattern, double phase)
{
    if (pattern.size() > maximumCount)
        return;
    double total = 0.0;
    for (double length : pattern) {
        if (!std::isfinite(length) || length < 0.0)
            return;
        total += length;
    }
    if (total < smallestPatternLength || !std::isfinite(phase))
        return;
    m_pattern = std::move(pattern);
    m_phase = phase;
}

DFStrokeDash DFStrokeDash::defaultDash()
{
    return DFStrokeDash({5.0, 5.0});
}

DFStrokeDash DFStrokeDash::dashWithPattern(const double* lengths, int count)
{
    if (!lengths || count <= 0 || count > maximumCount)
        return {};
    return DFStrokeDash(QList<double>(lengths, lengths + count));
}

void DFStrokeDash::applyTo(QPen& pen) const
{
    if (m_pattern.isEmpty()) {
        pen.setStyle(Qt::SolidLine);
        return;
    }
    const double unit = pen.widthF() > 0.0 ? pen.widthF() : 1.0;
    QList<qreal> dashes;
    for (double length : m_pattern)
        dashes.append(length / unit);
    if (dashes.size() % 2 == 1)
        dashes.append(dashes); // an odd pattern repeats with the roles swapped
    pen.setDashPattern(dashes);
    pen.setDashOffset(m_phase / unit);
}
