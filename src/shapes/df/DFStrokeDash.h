// A stroke's dash: lengths in points, alternately drawn and skipped, and a
// phase. Patterns that cannot draw (no positive length, non-finite values)
// are refused and leave the dash solid.
#pragma once

#include <QList>
#include <QMetaType>
#include <QPen>

class DFStrokeDash {
public:
    // A solid line (no pattern).
    DFStrokeDash() = default;
    DFStrokeDash(QList<double> pattern, double phase = 0.0);

    // 5 points on, 5 off.
    static DFStrokeDash defaultDash();
    static DFStrokeDash dashWithPattern(const double* lengths, int count);

    bool isSolid() const { return m_pattern.isEmpty(); }
    const QList<double>& pattern() const { return m_pattern; }
    double phase() const { return m_phase; }

    // Applies the dash to a pen (Qt counts dashes in pen widths).
    void applyTo(QPen& pen) const;

    // The most lengths a pattern may have.
    static constexpr int maximumCount = 64;

    bool operator==(const DFStrokeDash&) const = default;

private:
    QList<double> m_pattern;
    double m_phase = 0.0;
};

Q_DECLARE_METATYPE(DFStrokeDash)
