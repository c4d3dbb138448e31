// One symbol character of a barcode: its bars, and whether it is a marker
// (guard, start or stop) that may be drawn longer and delimits caption zones.
#pragma once

#include "codes/barcodes/BCBarString.h"

#include <memory>
#include <vector>

namespace ql {

class BCCodeCharacter {
public:
    BCCodeCharacter(const BCBarString& bars, bool marker);
    virtual ~BCCodeCharacter() = default;

    // Characters that compute their bars from a digit or text override this.
    virtual BCBarString barString() const { return m_barString; }
    bool isMarker() const { return m_marker; }

    // `isBar` is true for every module that is not a space.
    void enumerateBarsUsingBlock(const std::function<void(BCBarKind bar, bool isBar, size_t index, bool& stop)>& block) const;
    QString description() const;

protected:
    explicit BCCodeCharacter(bool marker = false) : m_marker(marker) {}

private:
    BCBarString m_barString;
    bool m_marker = false;
};

using BCCodeCharacterPtr = std::shared_ptr<const BCCodeCharacter>;
using BCCodeCharacters = std::vector<BCCodeCharacterPtr>;

// A fixed character made from a bar text such as "101".
template <class Character = BCCodeCharacter>
BCCodeCharacterPtr BCMakeCodeCharacter(QStringView bars, bool marker)
{
    return std::make_shared<Character>(BCBarStringFromString(bars), marker);
}

} // namespace ql
