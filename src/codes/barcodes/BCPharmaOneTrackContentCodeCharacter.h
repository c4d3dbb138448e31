#pragma once

#include "codes/barcodes/BCCodeCharacter.h"

namespace ql {

// The one character of a Pharmacode, its bars computed from the value.
class BCPharmaOneTrackContentCodeCharacter : public BCCodeCharacter {
public:
    explicit BCPharmaOneTrackContentCodeCharacter(qint64 value) : m_integerValue(value) {}
    BCBarString barString() const override;

private:
    qint64 m_integerValue;
};

} // namespace ql
