// The builder for bar strings: symbologies append their characters' bars here
// and hand out the result as a plain BCBarString.
#pragma once

#include "codes/barcodes/BCBarString.h"

namespace ql {

class BCMutableBarString : public BCBarString {
public:
    BCMutableBarString() = default;
    explicit BCMutableBarString(const BCBarString& bars) : BCBarString(bars) {}

    void appendBar(BCBarKind bar) { m_bars.push_back(bar); }
    void appendBarString(const BCBarString& bars);
    // The index must not exceed length().
    void insertBar(BCBarKind bar, size_t index);
    std::vector<BCBarKind>& barArray() { return m_bars; }
    void reserve(size_t bars) { m_bars.reserve(bars); }
};

} // namespace ql
