// Codabar's characters: the start/stop letters (not markers: they are drawn
// like content bars), the gap and the 16 content characters.
#pragma once

#include "codes/barcodes/BCTableCodeCharacter.h"

namespace ql {

class BCCodabarCodeCharacter : public BCCodeCharacter {
public:
    BCCodabarCodeCharacter(const BCBarString& bars, bool marker, bool isStartStop);

    bool isStartStop() const { return m_isStartStop; }

    // For the first character of `text`; null when it is none of A B C D T N * E.
    static BCCodeCharacterPtr startStopCodeCharacter(QStringView text);
    static BCCodeCharacterPtr spacingCodeCharacter();
    static BCTableCodeCharacterPtr codeCharacterForCharacter(QStringView text);
    static const BCSymbologyTable& table();

private:
    bool m_isStartStop;
};

} // namespace ql
