// Black drawn at a coverage over a premultiplied ARGB pixel, rounded as Qt's
// raster engine rounds, for the renderer's bars and captions drawn without
// a painter.
#pragma once

#include <QtGlobal>

namespace ql {

// Exact at the ends without a branch: coverage 0 keeps the pixel, 255 makes
// it opaque black, so whole rows of coverage can be run through it.
inline quint32 BCBlackOver(quint32 pixel, quint32 alpha)
{
    const quint32 keep = 255 - alpha;
    quint32 rb = (pixel & 0x00ff00ff) * keep;
    rb = ((rb + ((rb >> 8) & 0x00ff00ff) + 0x00800080) >> 8) & 0x00ff00ff;
    quint32 ag = ((pixel >> 8) & 0x00ff00ff) * keep;
    ag = (ag + ((ag >> 8) & 0x00ff00ff) + 0x00800080) & 0xff00ff00;
    return (ag | rb) + (alpha << 24);
}

} // namespace ql
