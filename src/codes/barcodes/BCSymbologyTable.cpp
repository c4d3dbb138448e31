#include "codes/barcodes/BCSymbologyTable.h"

#include "codes/barcodes/BCMutableBarString.h"

namespace ql {

qsizetype BCSymbologyTable::valueOf(QStringView text) const
{
    for (size_t i = 0; i < rows.size(); ++i) {
        // Rows differ mostly in their first character: compare that first.
        const QString& character = rows[i].character;
        if (character.size() == text.size() && (text.isEmpty() || character.front() == text.front()) && character == text)
            return qsizetype(i);
    }
    return -1;
}

BCBarString BCBarsFromNarrowWideEncoding(QStringView encoding)
{
    BCMutableBarString bars;
    bars.reserve(size_t(encoding.size()) * 2);
    for (QChar c : encoding) {
        switch (c.unicode()) {
        case u'b': bars.appendBar(BCBar::Full); break;
        case u'w': bars.appendBar(BCBar::Space); break;
        case u'B': bars.appendBar(BCBar::Full); bars.appendBar(BCBar::Full); break;
        case u'W': bars.appendBar(BCBar::Space); bars.appendBar(BCBar::Space); break;
        default: break;
        }
    }
    return bars;
}

BCBarString BCBarsFromWidths(QStringView widths)
{
    BCMutableBarString bars;
    bars.reserve(size_t(widths.size()) * 4);
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const int width = widths[i].digitValue();
        for (int module = 0; module < width; ++module)
            bars.appendBar(i % 2 == 0 ? BCBar::Full : BCBar::Space);
    }
    return bars;
}

BCBarString BCBarsFromBarText(QStringView encoding)
{
    return BCBarStringFromString(encoding);
}

} // namespace ql
