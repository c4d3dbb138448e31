#include "design/ZVDesignHelper.h"

#include <array>

namespace ql {

QRectF ZVDesignHelper::rectForPageSize(int size, int orientation)
{
    // Portrait sizes in points for the presets 2 to 15; 0 (custom), 1 and
    // anything unknown fall back to US letter.
    static constexpr std::array<double, 14> widths {396, 612, 504, 792, 612, 1191, 842, 595, 420, 144, 156, 156, 288, 297};
    static constexpr std::array<double, 14> heights {612, 1008, 612, 1224, 792, 1684, 1191, 842, 595, 252, 241, 258, 432, 684};
    double width = 612;
    double height = 792;
    if (size >= 2 && size <= 15) {
        width = widths[size - 2];
        height = heights[size - 2];
    }
    if (orientation == 1)
        std::swap(width, height);
    return QRectF(0, 0, width, height);
}

} // namespace ql
