// A picture computed from others when it is drawn (a photo adjusted), at the
// size it is drawn at rather than whole: a large scan is never adjusted at
// all of its pixels to be shown small. Kept as a stored picture is
// (OnDemandPixels).
#pragma once

#include "platform/graphics/OnDemandPixels.h"

#include <functional>

namespace ql {

class ComputedBitmap final : public OnDemandPixels {
public:
    // The picture at the size asked (no more than the whole), or null.
    using Maker = std::function<QImage(QSize size)>;
    ComputedBitmap(QSize pixelSize, bool alpha, Maker make)
        : OnDemandPixels(pixelSize), m_alpha(alpha), m_make(std::move(make))
    {
    }

    bool hasAlpha() const override { return m_alpha; }

protected:
    QImage make(QSize size) const override { return m_make ? m_make(size) : QImage(); }

private:
    const bool m_alpha;
    const Maker m_make;
};

} // namespace ql
