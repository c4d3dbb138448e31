// The fixed, ordered list of built-in shapes the user can put on a page.
// Each entry is a dictionary of "name" (a string) and "path" (a BezierPath
// inside a 300 x 300 box from the origin). Positions are part of the
// interface: menu items name entries by index.
#pragma once

#include "platform/graphics/BezierPath.h"
#include "platform/graphics/Image.h"

#include <QByteArrayView>
#include <QList>
#include <QVariantMap>
#include <optional>

namespace ql {

using ZVLibraryShape = QVariantMap;

class ZVShapeLibrary {
public:
    static constexpr int count = 28;

    // The 28 entries, built anew (callers keep their own list).
    static QList<ZVLibraryShape> build();

    static QString name(const ZVLibraryShape& shape);
    static BezierPath path(const ZVLibraryShape& shape);
    static ZVLibraryShape entry(const QString& name, const BezierPath& path);

    // An entry as a drag carries it (type "ZVShape"): a keyed archive of the
    // dictionary.
    static QByteArray archivedData(const QString& name, const BezierPath& path);
    // Reads such an archive back; nothing unless it holds exactly an outline
    // under "path" and a string under "name".
    static std::optional<ZVLibraryShape> fromArchivedData(QByteArrayView data);

    // The browser's picture of an entry: the outline stroked and filled into
    // 300 x 300, then turned and mirrored as the entry's name asks. The
    // stored outline is never turned.
    static Image thumbnail(const ZVLibraryShape& shape);
};

} // namespace ql
