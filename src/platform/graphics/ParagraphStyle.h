// Paragraph settings of styled text, with the platform's numbering of
// alignments so that archived values keep their meaning.
#pragma once

#include <QList>
#include <QMetaType>
#include <optional>

namespace ql {

class ParagraphStyle {
public:
    enum class Alignment { Left = 0, Right = 1, Center = 2, Justified = 3, Natural = 4 };

    Alignment alignment = Alignment::Natural;
    double lineSpacing = 0.0;           // extra space between lines, points
    double paragraphSpacing = 0.0;      // space after a paragraph, points
    double paragraphSpacingBefore = 0.0;
    double headIndent = 0.0;
    double firstLineHeadIndent = 0.0;
    double tailIndent = 0.0;
    double lineHeightMultiple = 0.0;    // 0 means the font's natural height
    double minimumLineHeight = 0.0;
    double maximumLineHeight = 0.0;     // 0 means no limit
    double hyphenationFactor = 0.0;
    // Tab stop locations in points; unset means the default stops (every 28
    // points), an empty list means none.
    std::optional<QList<double>> tabStops;

    bool operator==(const ParagraphStyle&) const = default;
};

} // namespace ql

Q_DECLARE_METATYPE(ql::ParagraphStyle)
