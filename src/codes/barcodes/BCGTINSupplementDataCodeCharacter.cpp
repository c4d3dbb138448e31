#include "codes/barcodes/BCGTINSupplementDataCodeCharacter.h"

namespace ql {

BCGTINSupplementDataCodeCharacter::BCGTINSupplementDataCodeCharacter(unsigned digit, BCEANEncoding encoding)
    : m_digit(digit)
    , m_encoding(encoding)
{
}

BCBarString BCGTINSupplementDataCodeCharacter::barString() const
{
    return BCBarStringFromString(BCEANCodeCharacter::patternForDigit(m_digit, m_encoding));
}

} // namespace ql
