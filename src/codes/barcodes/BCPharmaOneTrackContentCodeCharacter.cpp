#include "codes/barcodes/BCPharmaOneTrackContentCodeCharacter.h"

namespace ql {

BCBarString BCPharmaOneTrackContentCodeCharacter::barString() const
{
    // Built from the right: an odd remainder is a narrow bar (2 modules), an
    // even one a wide bar (4); spaces are 2 modules.
    QString bars;
    qint64 n = m_integerValue;
    while (true) {
        if (n % 2 == 1) {
            bars.prepend(QStringLiteral("11"));
            n -= 1;
        } else {
            bars.prepend(QStringLiteral("1111"));
            n -= 2;
        }
        if (n < 2)
            break;
        n /= 2;
        bars.prepend(QStringLiteral("00"));
    }
    return BCBarStringFromString(bars);
}

} // namespace ql
