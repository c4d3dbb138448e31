// Loading an image from a URL (http, https or file) off the main thread.
#pragma once

#include "platform/graphics/Image.h"

#include <QUrl>
#include <functional>

namespace ql {

// Reads the URL in the background, then calls `callback` exactly once on the
// main thread with the image, or a null image when the data cannot be read
// or is not an image. Gives up on a server that does not answer within
// `timeoutMs`.
void loadFromURL(const QUrl& url, std::function<void(Image)> callback, int timeoutMs = 60000);

} // namespace ql
