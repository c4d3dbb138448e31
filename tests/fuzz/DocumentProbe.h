// What the document fuzz target does with one input, shared with the test
// that replays its seeds and kept inputs in the normal build: read the bytes
// as a ".qvleaf" file (pages, layers, elements, their contents and
// backgrounds, styled text, pictures, drawings), write the document again
// and read that back, and draw every page small, as a page list does.
#pragma once

#include "app/document/Document.h"
#include "canvas/ZVCanvasView.h"
#include "canvas/painting/PagePainter.h"
#include "support/EnvironmentChange.h"

#include <QByteArrayView>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>

namespace ql::probe {

// EPS pictures are converted by Ghostscript; starting it for every input
// would be all the fuzzer did, so the probe runs without it: with an empty
// PATH, until the returned value goes.
[[nodiscard]] inline auto leaveOutGhostscript()
{
    return std::make_unique<ql::testing::EnvironmentChange>("PATH", "");
}

inline void drawSmall(ZVCanvasView& page)
{
    constexpr int side = 48;
    const QSizeF size = page.frame().size();
    const double longest = std::max(size.width(), size.height());
    if (!(longest > 0) || !std::isfinite(longest))
        return;
    QImage thumbnail(side, side, QImage::Format_ARGB32_Premultiplied);
    thumbnail.fill(Qt::white);
    QPainter painter(&thumbnail);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / longest, side / longest);
    PagePainter::paint(painter, page);
}

// True when the input read as a document; a document read must write, read
// back and draw.
inline bool probeDocument(QByteArrayView data)
{
    Document document;
    if (!document.readFromData(data.toByteArray(), kDesktopDocumentType))
        return false;
    const Result<QByteArray> written = document.dataOfType(kDesktopDocumentType);
    if (!written)
        qFatal("a document that was read could not be written: %s", qPrintable(written.error().message));
    Document again;
    if (const Status read = again.readFromData(*written, kDesktopDocumentType); !read)
        qFatal("a document written from a read one did not read: %s", qPrintable(read.error().message));
    for (ZVCanvasView* page : document.pages())
        drawSmall(*page);
    return true;
}

} // namespace ql::probe
