// What the template chooser lists: sources (blank pages, the user's own
// templates, the folders of the template library) and their templates.
#pragma once

#include "net/S3Object.h"
#include "platform/graphics/Image.h"

#include <QList>
#include <QString>
#include <QUrl>

namespace ql {

struct TemplateEntry {
    enum class Kind { Blank, Saved, Cloud };
    Kind kind = Kind::Blank;
    QString title;
    // The document file of blank and saved templates.
    QString path;
    // The thumbnail, or where the grid loads it from.
    Image thumbnail;
    QUrl thumbnailURL;
    // The library object of a cloud template.
    S3Object object;
};

struct TemplateSource {
    QString title;
    QList<TemplateEntry> entries;
};

} // namespace ql
