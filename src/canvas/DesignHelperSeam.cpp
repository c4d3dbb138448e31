#include "canvas/DesignHelperSeam.h"

#include <array>

namespace ql::canvas {

namespace {

struct SeamState {
    DesignHelperHooks hooks;
    bool keepAspectRatio = true;
};

SeamState& state()
{
    static SeamState seam;
    return seam;
}

} // namespace

void installDesignHelperHooks(DesignHelperHooks hooks)
{
    SeamState& seam = state();
    if (hooks.rectForPageSize)
        seam.hooks.rectForPageSize = std::move(hooks.rectForPageSize);
    if (hooks.setKeepAspectRatio)
        seam.hooks.setKeepAspectRatio = std::move(hooks.setKeepAspectRatio);
    if (hooks.keepAspectRatio)
        seam.hooks.keepAspectRatio = std::move(hooks.keepAspectRatio);
}

QRectF builtInRectForPageSize(int size, int orientation)
{
    static constexpr std::array<double, 14> widths {396, 612, 504, 792, 612, 1191, 842, 595, 420, 144, 156, 156, 288, 297};
    static constexpr std::array<double, 14> heights {612, 1008, 612, 1224, 792, 1684, 1191, 842, 595, 252, 241, 258, 432, 684};
    double width = 612;
    double height = 792;
    if (size >= 2 && size - 2 < int(widths.size())) {
        width = widths[size - 2];
        height = heights[size - 2];
    }
    if (orientation == 1)
        std::swap(width, height);
    return QRectF(0, 0, width, height);
}

QRectF rectForPageSize(int size, int orientation)
{
    const SeamState& seam = state();
    return seam.hooks.rectForPageSize ? seam.hooks.rectForPageSize(size, orientation)
                                      : builtInRectForPageSize(size, orientation);
}

void setKeepAspectRatio(bool keep)
{
    SeamState& seam = state();
    if (seam.hooks.setKeepAspectRatio)
        seam.hooks.setKeepAspectRatio(keep);
    else
        seam.keepAspectRatio = keep;
}

bool keepAspectRatio()
{
    const SeamState& seam = state();
    return seam.hooks.keepAspectRatio ? seam.hooks.keepAspectRatio() : seam.keepAspectRatio;
}

} // namespace ql::canvas
