#include "codes/barcodes/BCBarString.h"

#include "codes/barcodes/BCMutableBarString.h"

#include <QtGlobal>

namespace ql {

BCBarString::BCBarString(std::vector<BCBarKind> bars)
    : m_bars(std::move(bars))
{
}

BCBarString BCBarString::stringWithBar(BCBarKind bar)
{
    return BCBarString({bar});
}

BCBarKind BCBarString::barAtIndex(size_t index) const
{
    Q_ASSERT(index < m_bars.size());
    return m_bars[index];
}

bool BCBarString::beginsWithBar(BCBarKind bar) const
{
    return !m_bars.empty() && m_bars.front() == bar;
}

bool BCBarString::endsWithBar(BCBarKind bar) const
{
    return !m_bars.empty() && m_bars.back() == bar;
}

void BCBarString::enumerateBarsUsingBlock(const std::function<void(BCBarKind, size_t, bool&)>& block) const
{
    bool stop = false;
    for (size_t i = 0; i < m_bars.size() && !stop; ++i)
        block(m_bars[i], i, stop);
}

QString BCBarString::description() const
{
    return QStringLiteral("<BCBarString bars='%1'>").arg(StringFromBCBarString(*this));
}

BCBarString BCBarStringFromString(QStringView text)
{
    BCMutableBarString bars;
    bars.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        switch (c) {
        case u' ':
            break;
        case u'0': case u'1': case u',': case u'<': case u'=': case u'>': case u'`':
            bars.appendBar(static_cast<BCBarKind>(c));
            break;
        default:
            qWarning("Warning: illegal bar type %d at index %lu in '%s'", int(c), static_cast<unsigned long>(i),
                     qPrintable(text.toString()));
            break;
        }
    }
    return bars;
}

QString StringFromBCBarString(const BCBarString& bars)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bars.length()));
    for (BCBarKind bar : bars.bars())
        text.append(QLatin1Char(bar));
    return text;
}

} // namespace ql
