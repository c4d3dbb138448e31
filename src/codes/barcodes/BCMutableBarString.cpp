#include "codes/barcodes/BCMutableBarString.h"

#include <QtGlobal>

namespace ql {

void BCMutableBarString::appendBarString(const BCBarString& bars)
{
    m_bars.insert(m_bars.end(), bars.bars().begin(), bars.bars().end());
}

void BCMutableBarString::insertBar(BCBarKind bar, size_t index)
{
    Q_ASSERT(index <= m_bars.size());
    m_bars.insert(m_bars.begin() + static_cast<std::ptrdiff_t>(index), bar);
}

} // namespace ql
