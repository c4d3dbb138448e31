#include "codes/qr/DataMatrix.h"

namespace ql {

DataMatrix::DataMatrix(qint64 dimension)
    : m_dimension(dimension > 0 ? dimension : 0)
    , m_data(static_cast<size_t>(m_dimension * m_dimension), 0)
{
}

QString DataMatrix::description() const
{
    QString text;
    text.reserve(static_cast<qsizetype>(m_dimension * (m_dimension + 1)));
    for (qint64 y = 0; y < m_dimension; ++y) {
        for (qint64 x = 0; x < m_dimension; ++x)
            text += QString::number(valueAt(x, y));
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace ql
