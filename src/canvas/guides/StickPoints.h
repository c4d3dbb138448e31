// The points an active element snaps to after a guide pass: the x lines the
// pass had found by the time it came to the element, as (x, 0), then its y
// lines so far, as (0, y). Every element of a pass reads the first lines of
// the pass's one pair of lists, so thousands of elements dragged over
// scattered others cost the lines once, not once each.
#pragma once

#include <QList>
#include <QPointF>
#include <memory>

namespace ql {

class StickPoints {
public:
    // The lines of one pass, each value once, in the order found.
    struct Lines {
        QList<double> xs;
        QList<double> ys;
    };

    StickPoints() = default;
    // The first `xCount` x lines and `yCount` y lines of `lines`.
    StickPoints(std::shared_ptr<const Lines> lines, qsizetype xCount, qsizetype yCount);

    qsizetype size() const { return m_xCount + m_yCount; }
    bool isEmpty() const { return size() == 0; }
    QPointF at(qsizetype i) const;
    bool contains(QPointF point) const;
    QList<QPointF> toList() const;
    // The lists this reads from (shared by the elements of one pass).
    const Lines* lines() const { return m_lines.get(); }

    // Calls `visit` with each point in order.
    template <class Visit>
    void forEach(Visit visit) const
    {
        for (qsizetype i = 0; i < m_xCount; ++i)
            visit(QPointF(m_lines->xs.at(i), 0));
        for (qsizetype i = 0; i < m_yCount; ++i)
            visit(QPointF(0, m_lines->ys.at(i)));
    }

private:
    std::shared_ptr<const Lines> m_lines;
    qsizetype m_xCount = 0;
    qsizetype m_yCount = 0;
};

} // namespace ql
