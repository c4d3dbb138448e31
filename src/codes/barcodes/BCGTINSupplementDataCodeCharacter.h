// A digit of an add-on in the L or G set, its bars computed from the digit.
#pragma once

#include "codes/barcodes/BCGTINSupplementCodeCharacter.h"

namespace ql {

class BCGTINSupplementDataCodeCharacter : public BCGTINSupplementCodeCharacter {
public:
    BCGTINSupplementDataCodeCharacter(unsigned digit, BCEANEncoding encoding);
    BCBarString barString() const override;

private:
    unsigned m_digit;
    BCEANEncoding m_encoding;
};

} // namespace ql
