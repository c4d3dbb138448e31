// Pixels of PDF and EPS originals: PDF pages through poppler, EPS through
// Ghostscript when it is installed.
#pragma once

#include "platform/Error.h"
#include "platform/graphics/ImageRep.h"

#include <QImage>
#include <atomic>
#include <chrono>

namespace ql {

inline constexpr const char* kVectorRenderingErrorDomain = "ql.VectorRendering";

// The first page (or the EPS bounding box) drawn into `pixels`, on a
// transparent background. EPS waits for its shared conversion.
Result<QImage> renderVectorRepresentation(const ImageRep& rep, QSize pixels);

Result<QImage> renderPdfPage(const QByteArray& data, int pageIndex, QSize pixels);
// Ghostscript's rendering, confined to a private folder and stopped after
// `timeLimit`, or when `cancelled` turns true. `points` is the bounding box
// size. Above kLargestEpsRendering pixels the picture comes smaller, in
// proportion; otherwise it has `pixels`. Drawing goes through
// PictureConversions, which shares and schedules these.
inline constexpr double kLargestEpsRendering = 30e6;
inline constexpr int kEpsTimedOut = 7;
inline constexpr int kEpsFailed = 8;
inline constexpr int kEpsCancelled = 9;
Result<QImage> renderEps(const QByteArray& data, QSizeF points, QSize pixels,
                         std::chrono::milliseconds timeLimit = std::chrono::seconds(20),
                         const std::atomic<bool>* cancelled = nullptr);

// Whether EPS can be rendered here (Ghostscript found on the PATH).
bool canRenderEps();

} // namespace ql
