// The blank documents the template chooser offers first: one content page
// and one master page of a preset size. They are written at build time by
// the document archive writer and read back as resources, like any template.
#pragma once

#include "platform/Error.h"

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

namespace ql {

struct BlankTemplate {
    int pageSize = 0;
    int orientation = 0;
    QString title;

    // Letter (portrait and landscape), A4, Legal, Tabloid, Postcard,
    // Business Card, in the order the chooser shows them.
    static const QList<BlankTemplate>& all();

    QSizeF pageSizeInPoints() const;
    QString fileName() const { return title + QStringLiteral(".qvleaf"); }
    // Where the build put the document; empty when it is missing.
    QString resourcePath() const;
    // The document file's bytes.
    Result<QByteArray> archive() const;
    // A white page of this shape whose longer side is `side` pixels.
    QImage thumbnail(int side = 200) const;
    // The same for any page shape (the placeholder of templates without one).
    static QImage pageThumbnail(QSizeF page, int side = 200);
};

} // namespace ql
