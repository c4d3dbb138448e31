#include "codes/barcodes/BCEANDigitCodeCharacter.h"

namespace ql {

BCEANDigitCodeCharacter::BCEANDigitCodeCharacter(unsigned digit, BCEANEncoding encoding)
    : m_digit(digit)
    , m_encoding(encoding)
    , m_bars(BCBarStringFromString(patternForDigit(digit, encoding)))
{
}

BCBarString BCEANDigitCodeCharacter::barString() const
{
    return m_bars;
}

} // namespace ql
