#include "codes/barcodes/BCEANDigitCodeCharacter.h"

namespace ql {

BCEANDigitCodeCharacter::BCEANDigitCodeCharacter(unsigned digit, BCEANEncoding encoding)
    : m_digit(digit)
    , m_encoding(encoding)
{
}

BCBarString BCEANDigitCodeCharacter::barString() const
{
    return BCBarStringFromString(patternForDigit(m_digit, m_encoding));
}

} // namespace ql
