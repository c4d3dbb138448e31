// What fontconfig knows of the installed faces, read once: each face by its
// PostScript name (from its OpenType file where it is also installed in an
// older format), the faces of each family, and matching through fontconfig's
// aliases ("Helvetica" is Nimbus Sans) told apart from its last resort.
#pragma once

#include "platform/graphics/FontResolver.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace ql {

struct FontRequest {
    // The family, and other spellings of it, asked for at once.
    QString family;
    QStringList otherSpellings;
    int weight = 400;
    bool italic = false;
    int width = 100;
};

class FontCatalogue {
public:
    // Without a GUI application nothing is measured or drawn, and
    // fontconfig is left alone: the catalogue is empty.
    FontCatalogue();

    // A family's name as the catalogue compares them: any case, no spaces.
    static QString familyKey(QStringView family);

    std::optional<FontFace> byPostScriptName(const QString& name) const;
    // The faces of an installed family (any case, spaces ignored), ordered
    // by weight, slant, width; empty when no such family is installed.
    QList<FontFace> family(const QString& familyName) const;
    // Every installed family once, by name, in alphabetical order.
    QStringList familyNames() const;
    // The face fontconfig picks for the request, when the family is
    // installed or an alias of an installed one; nothing when fontconfig
    // would only fall back to its default face.
    std::optional<FontFace> match(const FontRequest& request) const;
    // The face of the default family ("Helvetica"), or fontconfig's default;
    // found once, as every name of nothing installed falls back to it.
    FontFace defaultFace() const { return m_defaultFace; }

private:
    void add(FontFace face, bool preferred);
    FontFace findDefaultFace() const;

    QHash<QString, FontFace> m_byName;
    QHash<QString, bool> m_preferredFile; // PostScript name → face read from an sfnt file
    QHash<QString, QList<FontFace>> m_families; // family key → faces
    QStringList m_fallbackMarkers;
    bool m_loaded = false;
    FontFace m_defaultFace;
};

} // namespace ql
