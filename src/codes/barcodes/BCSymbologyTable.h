// A symbology's character table: one row per character value, each with the
// character's text and its encoding, and the rule that turns encodings into
// bars.
#pragma once

#include "codes/barcodes/BCBarString.h"

#include <QString>
#include <vector>

namespace ql {

struct BCSymbologyTable {
    struct Row {
        QString character;
        QString encoding;
    };
    std::vector<Row> rows;
    BCBarString (*barsForEncoding)(QStringView encoding);

    // The value (row index) whose character equals `text`; -1 when none does.
    qsizetype valueOf(QStringView text) const;
};

// "b" narrow bar, "w" narrow space, "B" wide bar, "W" wide space (twice as wide).
BCBarString BCBarsFromNarrowWideEncoding(QStringView encoding);
// Digits giving the widths of alternating bars and spaces, bar first.
BCBarString BCBarsFromWidths(QStringView widths);
// The encoding is the bar text itself.
BCBarString BCBarsFromBarText(QStringView encoding);

} // namespace ql
