// The square module matrix of a QR code: 1 dark, 0 light. A dimension of 0
// marks a failed encoding.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

namespace ql {

class DataMatrix {
public:
    // A dimension below 1 gives an empty matrix. Cells start light.
    explicit DataMatrix(qint64 dimension = 0);

    qint64 dimension() const { return m_dimension; }

    // Column x, row y. Positions outside the matrix are ignored on writing
    // and read as 0, so a bad index never touches memory it does not own.
    // Inline: symbols are filled and read module by module.
    void set(qint8 value, qint64 x, qint64 y)
    {
        if (contains(x, y))
            m_data[static_cast<size_t>(y * m_dimension + x)] = value;
    }
    qint8 valueAt(qint64 x, qint64 y) const
    {
        return contains(x, y) ? m_data[static_cast<size_t>(y * m_dimension + x)] : 0;
    }

    // One line per row, row 0 first, each cell as its number: "0110...\n".
    QString description() const;

    bool operator==(const DataMatrix&) const = default;

private:
    bool contains(qint64 x, qint64 y) const { return x >= 0 && y >= 0 && x < m_dimension && y < m_dimension; }

    qint64 m_dimension = 0;
    std::vector<qint8> m_data; // row-major
};

} // namespace ql
