// The little pictures of the align and distribute segments: bars lined up
// on an edge or a centre line, or spread evenly.
#pragma once

#include <QImage>

namespace ql {

enum class AlignmentIcon {
    Left, Right, Top, Bottom, CenterVertical, CenterHorizontal, SpreadHorizontally, SpreadVertically
};

// 18 × 18 points, drawn at twice that for sharp screens.
QImage alignmentIcon(AlignmentIcon icon);

} // namespace ql
