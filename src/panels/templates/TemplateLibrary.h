// Builds the chooser's sources: the blank pages the build wrote, the user's
// own templates (each "N.qvleaf" with "N.jpg" as its thumbnail, by name), and
// the library's folders with their templates.
#pragma once

#include "panels/templates/TemplateSource.h"

#include <QSize>

namespace ql {

class HTS3Manager;

class TemplateLibrary {
public:
    // Thumbnail files larger than this are not read: no thumbnail is.
    static constexpr qint64 kLargestThumbnailFile = qint64(8) << 20;

    static TemplateSource blankSource();
    // The thumbnails are decoded within `thumbnailPixels`, the size they show at.
    static TemplateSource savedSource(const QString& folder, QSize thumbnailPixels);
    // Folders (objects of size 0) become sources in listing order; a ".qvleaf"
    // object is a template of its key's folder, a ".jpg" of the same name its
    // thumbnail, its file name without the extension its title. Templates of
    // a folder that is not listed get a source of their own, after the rest;
    // other objects are not shown.
    static QList<TemplateSource> cloudSources(const QList<S3Object>& objects, const HTS3Manager& bucket);
    // The thumbnail of a template that has none.
    static Image placeholder();
};

} // namespace ql
