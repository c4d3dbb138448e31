// The picture file managers show for a saved document: its first page, in
// the shared thumbnail cache under the per-user cache folder, as the desktop's
// thumbnail convention names and stamps it, so that any file manager finds
// it without opening the document.
#pragma once

#include "platform/Error.h"

#include <QImage>
#include <QString>

class ZVCanvasView;

namespace ql {

class DesktopThumbnail {
public:
    // The two sizes the cache keeps: the folder name and the longest side.
    struct Size {
        const char* folder;
        int pixels;
    };
    static constexpr Size kExtraLarge {"x-large", 512};
    static constexpr Size kLarge {"large", 256};

    // The file's URI as file managers name its thumbnails: "file:///…",
    // escaped byte for byte as GLib escapes it.
    static QString uriOfFile(const QString& path);
    // "<md5 of the URI>.png".
    static QString fileNameFor(const QString& path);
    // The cache's "thumbnails" folder.
    static QString cacheFolder();

    // Writes both sizes of `page` for the file at `path`, which must exist.
    // Each is written under a temporary name and renamed, so that a reader
    // never sees half a picture.
    static Status write(ZVCanvasView& page, const QString& path);

    // The page drawn to fit a square of `pixels`.
    static QImage render(ZVCanvasView& page, int pixels);
};

} // namespace ql
