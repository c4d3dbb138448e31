#include "canvas/guides/StickPoints.h"

#include <algorithm>

namespace ql {

StickPoints::StickPoints(std::shared_ptr<const Lines> lines, qsizetype xCount, qsizetype yCount)
    : m_lines(std::move(lines))
{
    // Never more than the lists hold, and nothing without them.
    if (m_lines) {
        m_xCount = std::clamp<qsizetype>(xCount, 0, m_lines->xs.size());
        m_yCount = std::clamp<qsizetype>(yCount, 0, m_lines->ys.size());
    }
}

QPointF StickPoints::at(qsizetype i) const
{
    return i < m_xCount ? QPointF(m_lines->xs.at(i), 0) : QPointF(0, m_lines->ys.at(i - m_xCount));
}

bool StickPoints::contains(QPointF point) const
{
    bool found = false;
    forEach([&found, point](QPointF each) { found = found || each == point; });
    return found;
}

QList<QPointF> StickPoints::toList() const
{
    QList<QPointF> points;
    points.reserve(size());
    forEach([&points](QPointF point) { points.append(point); });
    return points;
}

} // namespace ql
