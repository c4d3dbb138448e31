// What fontconfig knows of the installed faces, read once: each face by its
// PostScript name, the faces of each family, and name matching through
// fontconfig's aliases ("Helvetica" is Nimbus Sans, "Arial" Liberation Sans).
#pragma once

#include "content/text/FontService.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace ql::text {

// What a PostScript or family name says of its face.
struct FontRequest {
    QString family;  // "Helvetica Neue"
    // The family as named, style words included ("Nimbus Sans Narrow"),
    // for families whose names end in one.
    QString fullFamily;
    int weight = 400;
    bool italic = false;
    int width = 100;
};

class FontCatalogue {
public:
    // Without a GUI application nothing is measured or drawn, and
    // fontconfig is left alone: the catalogue is empty.
    FontCatalogue();

    // "HelveticaNeue-CondensedBold" → family "Helvetica Neue", weight 700,
    // width 75; names we know to stand for another family are replaced.
    static FontRequest parse(const QString& postScriptName);

    std::optional<FontFace> byPostScriptName(const QString& name) const;
    // The faces of an installed family (any case), ordered by weight, slant,
    // width; empty when no such family is installed.
    QList<FontFace> family(const QString& familyName) const;
    // The face fontconfig picks for the request, when the family is
    // installed or an alias of an installed one; nothing when fontconfig
    // would only fall back to its default face.
    std::optional<FontFace> match(const FontRequest& request) const;
    // The face fontconfig uses when nothing is asked for.
    FontFace defaultFace() const;

private:
    void add(FontFace face, bool preferred);

    QHash<QString, FontFace> m_byName;
    QHash<QString, bool> m_preferredFile; // PostScript name → face read from an sfnt file
    QHash<QString, QList<FontFace>> m_families; // lower-case family → faces
    QStringList m_fallbackMarkers;
    bool m_loaded = false;
};

} // namespace ql::text
