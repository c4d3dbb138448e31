// The little that pages and elements ask of the design helper: the preset
// page sizes and the shared keep-aspect-ratio flag. Until the helper itself
// is wired in, a built-in copy of the page-size table answers; the program's
// start-up installs the helper's own functions through installDesignHelperHooks.
#pragma once

#include <QRectF>
#include <functional>

namespace ql::canvas {

struct DesignHelperHooks {
    // (size index, orientation) → rectangle at the origin; orientation 1 is
    // landscape.
    std::function<QRectF(int, int)> rectForPageSize;
    std::function<void(bool)> setKeepAspectRatio;
    std::function<bool()> keepAspectRatio;
};

// Replaces the hooks that are set in `hooks`; empty ones keep the built-in
// behaviour.
void installDesignHelperHooks(DesignHelperHooks hooks);

QRectF rectForPageSize(int size, int orientation);
void setKeepAspectRatio(bool keep);
bool keepAspectRatio();

// The built-in table: index 2 to 15, every other index US letter.
QRectF builtInRectForPageSize(int size, int orientation);

} // namespace ql::canvas
