// Loading an image from a URL (http, https or file) off the main thread.
#pragma once

#include "platform/graphics/Image.h"

#include <QSize>
#include <QUrl>
#include <functional>

namespace ql {

// Nothing worth showing is larger than this.
constexpr qint64 kLargestLoadedImage = qint64(512) * 1024 * 1024;

// How a picture is loaded: what may come, for how long the source may send
// nothing, and whether it is decoded whole (as documents keep pictures) or
// as a thumbnail, fitted within a size in pixels.
struct ImageLoad {
    int timeoutMs = 30000;
    qint64 byteLimit = kLargestLoadedImage;
    QSize fitWithin;
};

// Reads the URL in the background, then calls `callback` exactly once on the
// main thread with the image, or with why there is none.
void loadImageFromURL(const QUrl& url, const ImageLoad& how, std::function<void(Result<Image>)> callback);

// Whether a load failed because the picture was larger than its byte limit.
bool isTooLargeToLoad(const Error& error);

// Reads the URL in the background, then calls `callback` exactly once on the
// main thread with the image, or a null image when the data cannot be read,
// is larger than `byteLimit` or is not an image. Gives up on a server that
// sends nothing for `timeoutMs`.
void loadFromURL(const QUrl& url, std::function<void(Image)> callback, int timeoutMs = 30000,
                 qint64 byteLimit = kLargestLoadedImage);

} // namespace ql
