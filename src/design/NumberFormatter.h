// Formats numbers for the inspectors: fixed fraction digits, a minimum of
// integer digits, and ties rounded to even on the number's shortest decimal
// form (so 2.125 with two digits shows 2.12, as typed, not 2.13).
#pragma once

#include <QString>
#include <QVariant>

namespace ql {

class NumberFormatter {
public:
    int minimumFractionDigits() const { return m_minimumFractionDigits; }
    int maximumFractionDigits() const { return m_maximumFractionDigits; }
    int minimumIntegerDigits() const { return m_minimumIntegerDigits; }
    void setMinimumFractionDigits(int digits) { m_minimumFractionDigits = std::max(0, digits); }
    void setMaximumFractionDigits(int digits) { m_maximumFractionDigits = std::max(0, digits); }
    void setMinimumIntegerDigits(int digits) { m_minimumIntegerDigits = std::max(0, digits); }

    QString stringFromNumber(double value) const;
    // Numbers and numeric strings; an empty string for a null value.
    QString stringFromNumber(const QVariant& value) const;

private:
    int m_minimumFractionDigits = 0;
    int m_maximumFractionDigits = 0;
    int m_minimumIntegerDigits = 1;
};

} // namespace ql
