// A digit of an EAN/UPC symbol in the L, G or R set; never a marker.
#pragma once

#include "codes/barcodes/BCEANCodeCharacter.h"

namespace ql {

class BCEANDigitCodeCharacter : public BCEANCodeCharacter {
public:
    BCEANDigitCodeCharacter(unsigned digit, BCEANEncoding encoding);

    unsigned digit() const { return m_digit; }
    BCEANEncoding encoding() const { return m_encoding; }
    BCBarString barString() const override;

private:
    unsigned m_digit;
    BCEANEncoding m_encoding;
    BCBarString m_bars; // made once: digits are shared between codes
};

} // namespace ql
