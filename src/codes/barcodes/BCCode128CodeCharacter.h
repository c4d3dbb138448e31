// Code 128 symbol characters: starts, stop, set switches, check and content
// characters, each with its symbol value (position) for the check character.
#pragma once

#include "codes/barcodes/BCCodeCharacter.h"

namespace ql {

// The code set a Code 128 symbol is in; NoSet answers content no set can carry.
enum class BCCode128Version : qint8 { A = 0, B = 1, C = 2, NoSet = 3 };

class BCCode128CodeCharacter : public BCCodeCharacter {
public:
    BCCode128CodeCharacter(const BCBarString& bars, quint64 position, bool marker);

    quint64 position() const { return m_position; }

    static BCCodeCharacterPtr startCodeForVersion(BCCode128Version version); // null for NoSet
    static BCCodeCharacterPtr stopCharacter();
    static BCCodeCharacterPtr switchCodeToVersion(BCCode128Version version);
    static BCCodeCharacterPtr characterAtPosition(quint64 position); // null from 107 on
    // A content character (one character in sets A and B, two digits in C);
    // null, with a log line, when the set lacks it.
    static BCCodeCharacterPtr codeCharacterForCharacter(QStringView text, BCCode128Version version);

    // The symbol value of `text` in a set; -1 when the set lacks it.
    static int valueOfCharacter(QStringView text, BCCode128Version version);
    static QString codeMarkerForVersion(BCCode128Version version);

private:
    quint64 m_position;
};

} // namespace ql
